# The two everyday commands: `make run` and `make test`. Both install what they need first.
.PHONY: run test deps build demo screenshot bench format clean

# With no config.txt the program uses the data folder beside it: the demo data.
PROGRAM_FOLDER := build/dev/src/app/
DEMO := $(PROGRAM_FOLDER)data/
FUZZ_SECONDS ?= 10

deps:
	scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

run: build demo
	$(PROGRAM_FOLDER)quillmark

demo: build
	@[ -d $(DEMO) ] || build/dev/bench/quillmark-generate $(DEMO) 40 30 200 --seed 7
	-build/dev/src/check/quillmark-check $(DEMO)

screenshot: demo
	scripts/screenshot.sh

test: build
	ctest --preset dev
	fuzz/run.sh $(FUZZ_SECONDS)

bench: deps
	bench/run.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build

# The two everyday commands: `make run` and `make test`. Both install what they need first.
.PHONY: run test deps build bench format clean

DEMO := demo/
FUZZ_SECONDS ?= 10

deps:
	scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

# Until the main window exists, running means checking the demo data folder.
run: build
	@[ -d $(DEMO) ] || build/dev/bench/quillmark-generate $(DEMO) 40 30 200 --seed 7
	build/dev/src/check/quillmark-check $(DEMO)

test: build
	ctest --preset dev
	fuzz/run.sh $(FUZZ_SECONDS)

bench: deps
	bench/run.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build

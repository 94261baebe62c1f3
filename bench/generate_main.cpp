// quillmark-generate FOLDER PENDING COMPLETED ARCHIVED [--seed N] [--today yyyy-mm-dd]:
// writes a data folder with that many orders in each order file.

#include "generator.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

int usage() {
    std::fprintf(stderr, "usage: quillmark-generate FOLDER PENDING COMPLETED ARCHIVED [--seed N] "
                         "[--today yyyy-mm-dd]\n");
    return 2;
}

template <typename T> bool parseCount(std::string_view text, T& out) {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), out);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5)
        return usage();
    std::string folder = argv[1];
    if (!folder.ends_with('/'))
        folder += '/';
    qm::GeneratorOptions options;
    options.today = qm::currentDate();
    if (!parseCount(argv[2], options.pending) || !parseCount(argv[3], options.completed) ||
        !parseCount(argv[4], options.archived))
        return usage();
    for (int i = 5; i < argc; i += 2) {
        const std::string_view flag = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string_view value = argv[i + 1];
        if (flag == "--seed") {
            if (!parseCount(value, options.seed))
                return usage();
        } else if (flag == "--today") {
            const auto day = qm::parseDateLiteral(value);
            if (!day || day->hasTime()) {
                std::fprintf(stderr, "quillmark-generate: --today wants yyyy-mm-dd\n");
                return 2;
            }
            options.today = *day;
        } else {
            return usage();
        }
    }
    const auto start = std::chrono::steady_clock::now();
    const qm::Status written = qm::generateDataFolder(folder, options);
    if (!written) {
        std::fprintf(stderr, "quillmark-generate: %s\n", written.error().describe().c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "%s: %zu pending, %zu completed, %zu archived orders (seed %u, today %s) in %.2f s\n",
        folder.c_str(), options.pending, options.completed, options.archived, options.seed,
        qm::formatDateLiteral(options.today).c_str(), seconds);
    return 0;
}

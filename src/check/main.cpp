// quillmark-check [--repair] DATAFOLDER: reports every problem of a data folder, then a summary
// line. With --repair it first moves the bytes of the order files that do not read into side
// files beside them and says what it moved.

#include "data_check.h"
#include "data_check_repair.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace {

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const bool repair = argc == 3 && std::string(argv[1]) == "--repair";
    if (argc != 2 && !repair) {
        std::fprintf(stderr, "usage: quillmark-check [--repair] DATAFOLDER\n");
        return 2;
    }
    std::string folder = argv[argc - 1];
    if (folder.empty() || folder.starts_with('-')) {
        std::fprintf(stderr, "usage: quillmark-check [--repair] DATAFOLDER\n");
        return 2;
    }
    if (!folder.ends_with('/'))
        folder += '/';
    if (repair) {
        auto moved = qm::moveUnreadableOrderBytes(folder, timeStamp());
        if (!moved) {
            std::fprintf(stderr, "quillmark-check: nothing was repaired: %s\n",
                         moved.error().describe().c_str());
            return 1;
        }
        for (const qm::MovedBytes& m : *moved)
            std::printf("%s\n", m.describe().c_str());
        if (moved->empty())
            std::printf("every order file reads; nothing was moved\n");
    }
    const qm::DataReport report = qm::checkDataFolder(folder);
    for (const qm::DataProblem& problem : report.problems)
        std::printf("%s\n", problem.describe().c_str());
    std::printf("%s\n", report.summary().c_str());
    return report.clean() ? 0 : 1;
}

// quillmark-check DATAFOLDER: reports every problem of a data folder, then a summary line.

#include "data_check.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmark-check DATAFOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.ends_with('/'))
        folder += '/';
    const qm::DataReport report = qm::checkDataFolder(folder);
    for (const qm::DataProblem& problem : report.problems)
        std::printf("%s\n", problem.describe().c_str());
    std::printf("%s\n", report.summary().c_str());
    return report.clean() ? 0 : 1;
}

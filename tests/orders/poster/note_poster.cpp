// Test peer: posts notes to one pending order, each in its own locked step, as a workstation
// does. Arguments: data folder, file number, count, a name for this process. Prints "posted N".

#include "message_log.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5)
        return 2;
    const std::string folder = argv[1];
    const std::string number = argv[2];
    const int count = std::atoi(argv[3]);
    const std::string name = argv[4];
    int posted = 0;
    for (int i = 1; i <= count; ++i) {
        const std::string entry =
            qm::formatLogEntry({2026, 12, 8, 10, 0, 0}, name + " note " + std::to_string(i), "T");
        auto result = qm::postLogEntry(folder, number, qm::OrderField::NotesLog, entry);
        if (!result) {
            std::fprintf(stderr, "%s\n", result.error().describe().c_str());
            return 1;
        }
        if (*result == qm::PostResult::Posted)
            ++posted;
    }
    std::printf("posted %d\n", posted);
    return posted == count ? 0 : 3;
}

// qm_process_worker: one holder of the data lock, started by the process tests.
//   append FOLDER ID COUNT      waits for end of input, prints "ready", then COUNT times takes
//                               the lock, appends order W<ID>-<i> to Pending.fil, releases it
//   hold FOLDER                 takes the lock, prints "held" and waits to be killed
//   rewrite FOLDER ROUNDS F1 F2 prints "start", then ROUNDS times rewrites Pending.fil under
//                               the lock with the bytes of file F1 and F2 in turn
// FOLDER ends with "/". Exit status 0 on success, 1 on a storage error, 2 on bad arguments,
// 3 when the lock was seen not to exclude another writer.

#include "files.h"
#include "order.h"
#include "workload.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;
using namespace qm::process_test;

namespace {

int fail(const Error& error) {
    std::fprintf(stderr, "qm_process_worker: %s\n", error.describe().c_str());
    return 1;
}

void say(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}

bool parseCount(const char* text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 0 || v > 1000000)
        return false;
    out = static_cast<int>(v);
    return true;
}

long long sizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

int append(const std::string& folder, int id, int count) {
    // Several workers share one input pipe; its end starts them together.
    char buf[64];
    while (::read(STDIN_FILENO, buf, sizeof buf) > 0) {
    }
    say("ready\n");
    const std::string path = folder + orderFileName(OrderFile::Pending);
    for (int i = 0; i < count; ++i) {
        auto lock = DataLock::acquire(folder);
        if (!lock)
            return fail(lock.error());
        const OrderRecord order = pendingOrder(appendedFileNumber(id, i));
        // Appends are atomic on their own; only the lock keeps the file still between the
        // two looks at its size.
        const long long before = sizeOf(path);
        if (Status s = appendOrder(*lock, order); !s)
            return fail(s.error());
        const long long grown = sizeOf(path) - before;
        if (grown != static_cast<long long>(order.encode().size())) {
            std::fprintf(stderr,
                         "qm_process_worker %d: Pending.fil grew by %lld bytes under the lock\n",
                         id, grown);
            return 3;
        }
    }
    return 0;
}

int hold(const std::string& folder) {
    auto lock = DataLock::acquire(folder);
    if (!lock)
        return fail(lock.error());
    say("held\n");
    for (;;)
        ::pause();
}

int rewrite(const std::string& folder, int rounds, const std::string& first,
            const std::string& second) {
    // Read once, so that the rounds spend their time in the rewrite itself.
    auto one = readWholeFile(first);
    if (!one)
        return fail(one.error());
    auto two = readWholeFile(second);
    if (!two)
        return fail(two.error());
    const std::string path = folder + orderFileName(OrderFile::Pending);
    say("start\n");
    for (int round = 0; round < rounds; ++round) {
        auto lock = DataLock::acquire(folder);
        if (!lock)
            return fail(lock.error());
        const bool odd = round % 2 == 1;
        if (Status s = rewriteFile(*lock, path, odd ? *two : *one); !s)
            return fail(s.error());
        say(odd ? "wrote 2\n" : "wrote 1\n");
    }
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: qm_process_worker append FOLDER ID COUNT | hold FOLDER | "
                         "rewrite FOLDER ROUNDS FILE1 FILE2\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const std::string folder = argv[2];
    int first = 0, second = 0;
    if (command == "append" && argc == 5 && parseCount(argv[3], first) &&
        parseCount(argv[4], second))
        return append(folder, first, second);
    if (command == "hold" && argc == 3)
        return hold(folder);
    if (command == "rewrite" && argc == 6 && parseCount(argv[3], first))
        return rewrite(folder, first, argv[4], argv[5]);
    return usage();
}

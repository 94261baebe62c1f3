// qm_close_worker: BILL or CLOSE of one order, as a workstation runs it, for the process tests.
//   qm_close_worker bill|close FOLDER NUMBER MINUTE [STOP]
// Waits for the end of its input (workers sharing one pipe start together when it closes),
// prints "ready", runs the command at 2026-03-20 16:MINUTE with the fee boxes "150.00",
// "35.50", "12.5" and prints its outcome ("Billed", "AlreadyBilled", "Closed", ...). With STOP
// ("completed" or "pending") it prints "stopped" once that step is on disk, the lock still
// held, and waits to be killed. Exit status 0 on an outcome, 1 on an error, 2 on bad arguments.

#include "close_order.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace qm;

namespace {

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

const char* nameOf(BillResult r) {
    switch (r) {
    case BillResult::Billed:
        return "Billed";
    case BillResult::NotPending:
        return "NotPending";
    case BillResult::AlreadyBilled:
        return "AlreadyBilled";
    case BillResult::CopyExisted:
        return "CopyExisted";
    }
    return "?";
}

const char* nameOf(CloseResult r) {
    switch (r) {
    case CloseResult::Closed:
        return "Closed";
    case CloseResult::CopyFinalised:
        return "CopyFinalised";
    case CloseResult::NotPending:
        return "NotPending";
    case CloseResult::RecordExisted:
        return "RecordExisted";
    }
    return "?";
}

template <typename R> int report(const Result<R>& result) {
    if (!result) {
        std::fprintf(stderr, "qm_close_worker: %s\n", result.error().describe().c_str());
        return 1;
    }
    say(nameOf(*result));
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: qm_close_worker bill|close FOLDER NUMBER MINUTE "
                         "[completed|pending]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6)
        return usage();
    const std::string command = argv[1], folder = argv[2], number = argv[3];
    const int minute = std::atoi(argv[4]);
    if ((command != "bill" && command != "close") || minute < 0 || minute > 59)
        return usage();
    if (argc == 6) {
        const std::string stop = argv[5];
        if (stop != "completed" && stop != "pending")
            return usage();
        const CloseStep at =
            stop == "completed" ? CloseStep::CompletedWritten : CloseStep::PendingRewritten;
        setCloseStepHook([at](CloseStep step) {
            if (step != at)
                return;
            say("stopped");
            for (;;)
                ::pause();
        });
    }
    char buf[64];
    while (::read(STDIN_FILENO, buf, sizeof buf) > 0) {
    }
    say("ready");
    const DateTime now{2026, 3, 20, 16, minute, 0};
    const FeeTexts fees{"150.00", "35.50", "12.5"};
    if (command == "bill")
        return report(billOrder(folder, number, fees, now, "pat q okafor"));
    return report(closeOrder(folder, number, fees, now));
}

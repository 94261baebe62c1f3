// A stand-in for the program: claims the key of argv[1] and reports what happened on stdout.
#include "single_instance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {

void say(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: single_instance_probe KEY\n", stderr);
        return 2;
    }
    qm::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    if (!instance.claim()) {
        say("secondary");
        return 0;
    }
    say("primary");
    QObject::connect(&instance, &qm::SingleInstance::restoreRequested, &app, [] {
        say("restore");
        QCoreApplication::quit();
    });
    // A test that never starts the second copy must not leave this one behind.
    QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(1); });
    return app.exec();
}

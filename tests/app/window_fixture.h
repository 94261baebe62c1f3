#pragma once
// A main window over its own program and data folders, started the way main() starts it.

#include "app_context.h"
#include "clock.h"
#include "dialogs.h"
#include "files.h"
#include "main_window.h"
#include "startup.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <utime.h>

namespace qm::test {

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        program = dir.path().toStdString() + "/";
        data = program + "data/";
        ::mkdir(data.c_str(), 0755);
        put("Companies.lst", "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n");
        put("Attorneys.lst", "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n");
        put("Searchers.lst", "Tom Reed _  _  _  _  _ c _ Verizon _ t@r\r\n");
        put("Services.dat", "\"R.Full\",\"150.00\"\r\n\"M.Water\",\".5\"\r\n");
        put("Pending.fil", "");
        put("Completed.fil", "");
        context.programFolder = program;
        context.clock = &clock;
        context.dialogs = &dialogs;
        env.programFolder = QString::fromStdString(program);
        env.dialogs = &dialogs;
    }
    void put(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(writeWholeFile(data + name, bytes));
        const time_t when = static_cast<time_t>(1'700'000'000 + (++writes) * 10);
        struct utimbuf times {
            when, when
        };
        ::utime((data + name).c_str(), &times);
    }
    MainWindow& start(const std::string& config = "") {
        if (!config.empty()) {
            EXPECT_TRUE(writeWholeFile(program + "config.txt", config));
        }
        window = std::make_unique<MainWindow>(context);
        EXPECT_TRUE(prepareMainWindow(env, context, *window));
        window->show();
        return *window;
    }
    template <typename W> W* find(const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    std::string program, data;
    long writes = 0;
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(9, 0))};
    ScriptedDialogs dialogs;
    AppContext context;
    StartupEnvironment env;
    std::unique_ptr<MainWindow> window;
};

} // namespace qm::test

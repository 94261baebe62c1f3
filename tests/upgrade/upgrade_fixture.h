#pragma once
// A program folder with an old version in it, and loopback servers with packages to fetch.

#include "package_builder.h"
#include "servers.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace upm::test {

// The version being replaced: a program, a settings file and a help folder.
inline void writeOldVersion(const QString& folder) {
    QDir(folder).mkpath("help");
    writeFile(folder + "quillmark", "old program\n",
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                  QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    writeFile(folder + "config.txt", "settings of this workstation\n");
    writeFile(folder + "help/guide.txt", "old guide\n");
}

// The new version: a replaced program, a new file in a new subfolder, a replaced help file.
inline std::vector<Item> newVersion() {
    return {{"quillmark", "new program\n", S_IFREG | 0755},
            {"help/", "", S_IFDIR | 0755},
            {"help/guide.txt", "new guide\n", S_IFREG | 0644},
            {"lib/", "", S_IFDIR | 0750},
            {"lib/forms/letter.txt", "letter\n", S_IFREG | 0640}};
}

class UpgradeFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        served_ = new QTemporaryDir;
        files_ = HttpServer::files(served_->path()).release();
        // The helper misbehaves around a sound package.
        const QString good = served_->path() + "/helper-package.zip";
        writePackage(good, newVersion());
        helper_ = HttpServer::helper(good, served_->path() + "/helper.log").release();
    }
    static void TearDownTestSuite() {
        delete files_;
        delete helper_;
        delete served_;
    }
    void SetUp() override {
        ASSERT_TRUE(files_->running() && helper_->running());
        folder = dir.path() + "/";
        writeOldVersion(folder);
    }

    // Puts a package where serverPath ("a/b") is served, returning its file.
    static QString publish(const QString& serverPath, const std::vector<Item>& items) {
        QDir(served_->path()).mkpath(serverPath);
        const QString path = served_->path() + "/" + serverPath + "/UPGRADE.exe";
        EXPECT_TRUE(writePackage(path, items)) << serverPath.toStdString();
        return path;
    }
    static QString filesUrl() { return files_->url(); }
    static QString helperUrl() { return helper_->url(); }
    static QByteArray helperLog() { return contentOf(served_->path() + "/helper.log"); }

    QTemporaryDir dir;
    QString folder;

  private:
    static inline QTemporaryDir* served_ = nullptr;
    static inline HttpServer* files_ = nullptr;
    static inline HttpServer* helper_ = nullptr;
};

} // namespace upm::test

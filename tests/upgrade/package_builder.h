#pragma once
// Upgrade packages made for the tests with libzip, and program folders to compare.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace upm::test {

struct Item {
    std::string name;
    QByteArray data;
    std::uint32_t mode = S_IFREG | 0644; // Unix mode put in the external attributes; 0: none
    bool stored = false;                 // kept uncompressed, so its bytes can be found
};

// Writes a zip with the items to path, each dated 2001 so that an unpacked file's own time
// tells. Returns false when libzip refuses.
bool writePackage(const QString& path, const std::vector<Item>& items);

// Puts a self-extractor stand-in before the archive and moves its offsets, as such tools do.
bool prependStub(const QString& path, const QByteArray& stub);

// Replaces every occurrence (or the first only) of from by to, of the same length.
bool patchBytes(const QString& path, const QByteArray& from, const QByteArray& to,
                bool firstOnly = false);

// path relative to folder -> mode and contents (or "<folder>"), hidden files included.
std::map<std::string, std::string> snapshot(const QString& folder);

QByteArray contentOf(const QString& path);
void writeFile(const QString& path, const QByteArray& data, QFile::Permissions = {});

// A patch program that writes its arguments and its folder to patch-ran.txt, then exits.
QByteArray patchScript(int status = 0);

} // namespace upm::test

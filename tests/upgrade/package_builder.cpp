#include "package_builder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <cstring>
#include <zip.h>

namespace upm::test {

namespace {

std::uint32_t read32(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.constData() + at, 4);
    return value;
}

std::uint16_t read16(const QByteArray& bytes, qsizetype at) {
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.constData() + at, 2);
    return value;
}

void write32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

} // namespace

bool writePackage(const QString& path, const std::vector<Item>& items) {
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (zip == nullptr)
        return false;
    for (const Item& item : items) {
        const bool folder = !item.name.empty() && item.name.back() == '/';
        zip_int64_t index = -1;
        if (folder) {
            index = zip_dir_add(zip, item.name.c_str(), ZIP_FL_ENC_RAW);
        } else {
            zip_source_t* source = zip_source_buffer(
                zip, item.data.constData(), static_cast<zip_uint64_t>(item.data.size()), 0);
            index = zip_file_add(zip, item.name.c_str(), source, ZIP_FL_ENC_RAW);
            if (index < 0)
                zip_source_free(source);
        }
        if (index < 0) {
            zip_discard(zip);
            return false;
        }
        const auto at = static_cast<zip_uint64_t>(index);
        zip_file_set_mtime(zip, at, 1000000000, 0);
        if (item.stored)
            zip_set_file_compression(zip, at, ZIP_CM_STORE, 0);
        zip_file_set_external_attributes(zip, at, 0, item.mode ? ZIP_OPSYS_UNIX : ZIP_OPSYS_DOS,
                                         item.mode << 16);
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        return false;
    }
    return true;
}

bool prependStub(const QString& path, const QByteArray& stub) {
    QByteArray bytes = contentOf(path);
    const qsizetype end = bytes.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return false;
    const auto shift = static_cast<std::uint32_t>(stub.size());
    const std::uint16_t count = read16(bytes, end + 10);
    qsizetype at = read32(bytes, end + 16);
    for (int i = 0; i < count; ++i) {
        if (read32(bytes, at) != 0x02014b50)
            return false;
        write32(bytes, at + 42, read32(bytes, at + 42) + shift);
        at += 46 + read16(bytes, at + 28) + read16(bytes, at + 30) + read16(bytes, at + 32);
    }
    write32(bytes, end + 16, read32(bytes, end + 16) + shift);
    writeFile(path, stub + bytes);
    return true;
}

bool patchBytes(const QString& path, const QByteArray& from, const QByteArray& to, bool firstOnly) {
    QByteArray bytes = contentOf(path);
    const qsizetype first = bytes.indexOf(from);
    if (from.size() != to.size() || first < 0)
        return false;
    if (firstOnly)
        bytes.replace(first, from.size(), to);
    else
        bytes.replace(from, to);
    writeFile(path, bytes);
    return true;
}

std::map<std::string, std::string> snapshot(const QString& folder) {
    std::map<std::string, std::string> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        struct stat mode;
        ::lstat(QFile::encodeName(path).constData(), &mode);
        files[path.mid(folder.size()).toStdString()] =
            QString::number(mode.st_mode, 8).toStdString() + " " +
            (info.isDir() ? std::string("<folder>") : contentOf(path).toStdString());
    }
    return files;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data, QFile::Permissions permissions) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(data);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

QByteArray patchScript(int status) {
    return "#!/bin/sh\necho \"$@\" > patch-ran.txt\npwd >> patch-ran.txt\nexit " +
           QByteArray::number(status) + "\n";
}

} // namespace upm::test

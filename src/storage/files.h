#pragma once
// Reading and changing shared files: appends and rewrites through the ".new" file, under the
// lock of data_lock.h. No file of the data folder is opened through a symbolic link, and only
// plain files are read or written.

#include "data_lock.h"
#include "result.h"

#include <functional>
#include <string>
#include <string_view>

namespace qm {

// The whole file. A missing file gives FileNotFound, a missing folder PathNotFound; a symbolic
// link, a FIFO or a device is an error naming it.
Result<std::string> readWholeFile(const std::string& path);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// X's temporary copy: the same name with ".new" in place of its extension.
std::string temporaryPathFor(const std::string& path);

// How the records of an appended file are told apart, so that an append can refuse a file
// whose end was torn: quoted fields may hold line ends (order and schedule files), or every
// line is a record (directory files).
enum class RecordLayout { Delimited, Lines };

// Adds bytes at the end of path, creating it when missing. Requires the lock of its folder.
// Refuses a file that does not end on a complete record, naming it and what to do; a failed
// write or sync cuts the file back to its old size.
Status appendToFile(const DataLock& lock, const std::string& path, std::string_view bytes,
                    RecordLayout layout = RecordLayout::Delimited);

// The same for files changed without the lock (Billing.adr). Without the lock another writer
// may be appending too, so nothing is cut back here.
Status appendWithoutLock(const std::string& path, std::string_view bytes);

// Replaces path's content: the ".new" file is written and synced, then renamed over path and
// the folder synced, so path is never missing and a crash leaves the old or the new content.
Status rewriteFile(const DataLock& lock, const std::string& path, std::string_view bytes);
// The same with the content written by `write` to the open ".new" file, for content that is
// built while it is written. An error from `write` leaves path as it was.
Status rewriteFileThrough(const DataLock& lock, const std::string& path,
                          const std::function<Status(int fd)>& write);

// The same replacement for files written without the lock (rate files, config.txt), through a
// temporary file of this writer's own.
Status replaceFileContent(const std::string& path, std::string_view bytes, unsigned mode = 0644);

// Writes bytes to path, creating or truncating it, and syncs it.
Status writeWholeFile(const std::string& path, std::string_view bytes, unsigned mode = 0644);

} // namespace qm

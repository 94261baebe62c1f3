#pragma once
// Asks the vendor's web server for the release date of the newest version.

#include <QByteArray>
#include <QDate>
#include <QUrl>
#include <optional>

namespace qm {

inline constexpr const char* kVersionPath = "/quillmark/version/current.txt";

// Only an answer of exactly 29 characters counts, and of it the date in its first ten.
std::optional<QDate> parseVersionAnswer(const QByteArray& answer);

// GETs baseUrl + kVersionPath, waiting at most timeoutMs for the whole exchange. Any failure
// (no network, time-out, HTTP error, unexpected answer) gives nothing.
std::optional<QDate> fetchReleaseDate(const QUrl& baseUrl, int timeoutMs = 1000);

// True when the program file was last changed before the release date.
bool isUpgradeOffered(const QDate& programFileDate, const QDate& releaseDate);

} // namespace qm

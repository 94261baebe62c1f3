#pragma once
// Who is working at this workstation.

#include <cstddef>
#include <string>

namespace qm {

// Orders and log lines keep at most this many characters of the name.
inline constexpr std::size_t kLogOnNameLength = 24;

// The operating system's log-on name of the user running the program, cut to kLogOnNameLength.
std::string logOnName();

// name cut to its first kLogOnNameLength characters (UTF-8 characters, not bytes).
std::string limitLogOnName(std::string name);

} // namespace qm

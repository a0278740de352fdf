// Process exit codes of kvpack; documented in its --help text.
#pragma once

namespace kvpack {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_VERIFY_FAILED = 1;  // one or more entries failed verification
inline constexpr int EXIT_USAGE = 2;          // bad command line
inline constexpr int EXIT_INPUT = 3;          // a file to read is missing, unreadable or unfit
inline constexpr int EXIT_OUTPUT = 4;         // the output could not be written
inline constexpr int EXIT_SEVERAL_PACKAGES = 5;  // a program holds RCDATA 100 in several languages

}  // namespace kvpack

// Platform seam of the setup log: where the request comes from (an
// environment variable), the log file opened without following a link,
// appended to one line per write and renamed aside when it has grown, and the
// facts a log line carries (time, elevation, the system's last error and its
// message).
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// Results of ReadEnvironmentText.
inline constexpr int ENVIRONMENT_NOT_SET = 0;  // missing or empty
inline constexpr int ENVIRONMENT_READ = 1;
inline constexpr int ENVIRONMENT_TOO_LONG = 2;  // set, but it does not fit

// Copies the environment variable `name` into `buffer` (`capacity` bytes,
// its zero included). Only ENVIRONMENT_READ leaves a text; otherwise the
// buffer holds an empty text.
int ReadEnvironmentText(const char* name, char* buffer, uint32_t capacity);

void CloseLogFile(void* file);

struct LogFileTraits {
  using Value = void*;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { CloseLogFile(value); }
};
using UniqueLogFile = UniqueHandle<LogFileTraits>;

// Outcomes of OpenLogFile.
inline constexpr int LOG_FILE_OPENED = 0;
inline constexpr int LOG_FILE_REFUSED = 1;     // a link, a folder, or a file with more than one name
inline constexpr int LOG_FILE_NOT_OPENED = 2;  // could be neither opened nor created

// Opens `path` for appending, creating it when nothing lies there, without
// following a link: a link at `path` is opened as itself and refused. Also
// refused (or never opened): a folder, a file with more than one hard link (another name could
// lie where the program's rights should not reach), and a file that the
// system resolves to another path than `path` (a link in the path, or one
// the system does not show as such). Others may read the file while it is
// open. On LOG_FILE_OPENED `file` holds it and `size` is its length in bytes;
// otherwise `file` is empty.
int OpenLogFile(const char* path, UniqueLogFile& file, uint64_t& size);

// Renames the open file itself to `newPath`, replacing a file (or a link, as
// a name) there, so no link is followed on either side. 1 when renamed; 0
// also on systems that cannot rename an open file (before Vista).
int RenameLogFile(const UniqueLogFile& file, const char* newPath);

// Appends the `length` bytes at `text` with one write call, nothing buffered
// in the process. 1 when all were written.
int AppendLogText(const UniqueLogFile& file, const char* text, uint32_t length);

// The current time in UTC.
struct UtcTime {
  uint16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t millisecond;
};
void ReadUtcTime(UtcTime& time);

// A millisecond counter for durations (it wraps after 49 days; differences
// stay right across one wrap).
uint32_t MillisecondCounter();

// Results of QueryElevation.
inline constexpr int ELEVATION_UNKNOWN = -1;  // the system cannot tell (before Vista)
inline constexpr int ELEVATION_NO = 0;
inline constexpr int ELEVATION_YES = 1;

// Whether the process token is elevated.
int QueryElevation();

// The calling thread's last system error code. Read it right after the
// failed operation: the seam's own clean-up keeps it.
uint32_t LastSystemError();

// The system's message for error `code` in `buffer` (`capacity` bytes), line
// breaks at its end removed. 1 with the text; 0 with an empty text when the
// system has none or it does not fit.
int DescribeSystemError(uint32_t code, char* buffer, uint32_t capacity);

}  // namespace platform

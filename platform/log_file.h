// Platform seam: the setup log's file, opened without following a link, its
// start read to tell whose it is, appended to one line per write, and renamed
// aside or deleted when it has grown.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

void CloseLogFile(void* file);

using UniqueLogFile = UniqueHandle<NullableHandleTraits<void*, CloseLogFile>>;

// Outcomes of OpenLogFile.
inline constexpr int LOG_FILE_OPENED = 0;
inline constexpr int LOG_FILE_REFUSED = 1;     // a link, a folder, or a file with more than one name
inline constexpr int LOG_FILE_NOT_OPENED = 2;  // could be neither opened nor created (or missing, for
                                               // LOG_OPEN_EXISTING)

// How OpenLogFile treats a path where nothing lies.
inline constexpr int LOG_OPEN_OR_CREATE = 0;  // creates the file
inline constexpr int LOG_OPEN_EXISTING = 1;   // opens nothing

// What the open learnt of the file.
struct LogFileFacts {
  uint64_t size;  // in bytes
  int created;    // 1 when this open made the file
};

// Opens `path` for appending and reading, creating it when nothing lies there
// and `mode` is LOG_OPEN_OR_CREATE, without following a link: a link at `path`
// is opened as itself and refused. Also refused (or never opened): a folder,
// a file with more than one hard link (another name could lie where the
// program's rights should not reach), and a file that the system resolves to
// another path than `path` (a link in the path, or one the system does not
// show as such; the drive letter of a substituted or network drive stands
// for the folder it names). Others may read the file while it is open. On
// LOG_FILE_OPENED `file` holds it and `facts` describes it; otherwise `file`
// is empty. Opening changes nothing in the file.
int OpenLogFile(const char* path, int mode, UniqueLogFile& file, LogFileFacts& facts);

// Reads up to `capacity` bytes from the start of the open file into `buffer`,
// `count` the bytes read. Appending still goes to the end. 1 when read.
int ReadLogFileStart(const UniqueLogFile& file, char* buffer, uint32_t capacity, uint32_t& count);

// Renames the open file itself to `newPath`, which must be free: anything at
// `newPath` (a file, a link, a folder) is left as it is and the rename fails.
// No link is followed on either side. 1 when renamed; 0 also on systems that
// cannot rename an open file (before Vista).
int RenameLogFile(const UniqueLogFile& file, const char* newPath);

// Deletes the open file itself (its name goes once every handle to it is
// closed), never a link's target. 1 when done; 0 also before Vista.
int DeleteLogFile(const UniqueLogFile& file);

// Appends the `length` bytes at `text` with one write call, nothing buffered
// in the process. 1 when all were written.
int AppendLogText(const UniqueLogFile& file, const char* text, uint32_t length);

}  // namespace platform

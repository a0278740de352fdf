// Platform seam: the setup log's file, opened without following a link,
// appended to one line per write and renamed aside when it has grown.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

void CloseLogFile(void* file);

using UniqueLogFile = UniqueHandle<NullableHandleTraits<void*, CloseLogFile>>;

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

}  // namespace platform

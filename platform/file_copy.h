// Platform seam: copying a file over another and resetting its attributes.
#pragma once

#include "platform/handles.h"

namespace platform {

// Copies the file `source` to `destination`, replacing an existing
// destination file. Returns 1 when copied, 0 otherwise (missing source,
// destination in use or read-only, source and destination the same file).
// The copy does not keep the source's zone mark (the "Zone.Identifier"
// stream a downloaded file carries), so starting it later raises no warning
// about its origin; where the file system has no streams, nothing changes.
int CopyFileReplacing(const char* source, const char* destination);

// Copies the file of module `module` (null: the running program) to
// `destination` exactly as CopyFileReplacing does. The source is named by the
// path the loader holds in UTF-16, so the copy is the program's own bytes
// whatever characters its path holds, never a file that an ANSI spelling of
// that path would name. Returns 1 when copied, 0 otherwise.
int CopyModuleFile(ModuleHandle module, const char* destination);

// Sets the file's attributes to normal (0x80), which clears read-only,
// hidden and system. Returns 1 on success, else 0.
int SetFileAttributesNormal(const char* path);

}  // namespace platform

// Loading of optional system libraries from the system folder only.
#pragma once

#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace platform::win32 {

// Loads `name` (a plain file name such as "SHELL32.DLL") from the system
// folder, never from the program's folder or the current folder, so a file
// of that name planted beside the program is not picked up. Empty when the
// library cannot be loaded from there.
UniqueLibrary LoadSystemLibrary(const char* name);

// The way LoadSystemLibrary takes on systems without the search flags of
// LoadLibraryExA: the full path in the system folder. Empty when that path
// would not fit MAX_PATH or the library cannot be loaded from there.
UniqueLibrary LoadSystemLibraryByPath(const char* name);

}  // namespace platform::win32

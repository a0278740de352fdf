// Win32 side of the file-copy seam: CopyFileA and SetFileAttributesA.
#include "platform/file_copy.h"

#include <windows.h>

namespace platform {

int CopyFileReplacing(const char* source, const char* destination) {
  // The last argument is "fail if exists": FALSE replaces the destination.
  return ::CopyFileA(source, destination, FALSE) ? 1 : 0;
}

int SetFileAttributesNormal(const char* path) {
  return ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) ? 1 : 0;
}

}  // namespace platform

// Texts in fixed-size buffers.
#include "app/bounded_text.h"

#include <cstring>

namespace app {

bool CopyText(char* buffer, size_t size, const char* text) {
  size_t length = std::strlen(text);
  if (length >= size) return false;
  std::memcpy(buffer, text, length + 1);
  return true;
}

bool AppendText(char* buffer, size_t size, const char* text) {
  size_t used = std::strlen(buffer);
  size_t length = std::strlen(text);
  if (used >= size || length >= size - used) return false;
  std::memcpy(buffer + used, text, length + 1);
  return true;
}

bool JoinPath(char* buffer, size_t size, const char* folder, const char* name) {
  const size_t folderLength = std::strlen(folder);
  const size_t separator = folderLength > 0 && folder[folderLength - 1] == '\\' ? 0 : 1;
  const size_t nameLength = std::strlen(name);
  if (folderLength + separator + nameLength >= size) return false;
  // memmove: the folder may already be in place.
  std::memmove(buffer, folder, folderLength);
  if (separator) buffer[folderLength] = '\\';
  std::memcpy(buffer + folderLength + separator, name, nameLength + 1);
  return true;
}

}  // namespace app

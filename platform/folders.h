// Platform operations: special folders through the two shell sources, and the
// Windows folder.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// The two sources of special folders. Each is a library loaded at run time
// from the system folder only (never from the program's own or the current
// folder) and freed when its UniqueFolderSource goes.
inline constexpr int FOLDER_SOURCE_SHELL = 1;     // "SHGetSpecialFolderPathA" of "SHELL32.DLL"
inline constexpr int FOLDER_SOURCE_SHFOLDER = 2;  // "SHGetFolderPathA" of "SHFOLDER.DLL"

// Results of OpenFolderSource.
// Each source is asked twice for a folder: by its ANSI function and by the
// UTF-16 counterpart of the same library ("SHGetSpecialFolderPathW",
// "SHGetFolderPathW"), which checks the answer. A source without the
// counterpart cannot vouch for its answers and counts as one without its
// function.
inline constexpr int SOURCE_READY = 0;             // library loaded, both functions found
inline constexpr int SOURCE_LIBRARY_MISSING = 1;   // the library could not be loaded
inline constexpr int SOURCE_FUNCTION_MISSING = 2;  // loaded (and held until release), a function absent

// Results of QuerySpecialFolder.
inline constexpr int FOLDER_FOUND = 0;
// An answer whose ANSI text is not the exact spelling of the folder the
// source names in UTF-16 (a best-fit neighbour, a default character) is no
// answer: it counts as the source's failure, so the next source or the
// default applies, and no path the program acts on is ever a neighbour of
// the folder meant.
inline constexpr int FOLDER_NOT_FOUND = 1;  // the source reported failure, or no exact answer
inline constexpr int FOLDER_TOO_LONG = 2;   // the answer does not fit the caller's buffer

// An opened source. The fields belong to the implementation.
struct FolderSource {
  int source;
  void* library;
  void* function;
  void* wideFunction;
};

// Frees the source's library. Use UniqueFolderSource rather than calling it.
void CloseFolderSource(const FolderSource& source);

struct FolderSourceTraits {
  using Value = FolderSource;
  static Value Invalid() { return FolderSource{0, nullptr, nullptr, nullptr}; }
  static bool IsValid(const Value& value) { return value.library != nullptr; }
  static void Close(const Value& value) { CloseFolderSource(value); }
};
using UniqueFolderSource = UniqueHandle<FolderSourceTraits>;

// Loads source `source` (FOLDER_SOURCE_*) and looks up its function. On
// SOURCE_READY and SOURCE_FUNCTION_MISSING `opened` holds the library; on
// SOURCE_LIBRARY_MISSING it holds nothing.
int OpenFolderSource(int source, UniqueFolderSource& opened);

// Asks an opened source for special folder `folderId` (the system's folder
// number), creating the folder when `create` is 1. On FOLDER_FOUND `buffer`
// holds the path, at most capacity - 1 characters and a zero; on any other
// result it holds an empty text. A source that is not ready answers
// FOLDER_NOT_FOUND.
int QuerySpecialFolder(const UniqueFolderSource& source, int folderId, int create, char* buffer,
                       uint32_t capacity);

// The Windows folder, with the system's own contract: the length of the text
// written to `buffer` (zero excluded) when it fits `capacity` characters,
// 0 on failure, or, when it does not fit, the capacity needed (zero included)
// with `buffer` left as it was.
uint32_t GetWindowsFolder(char* buffer, uint32_t capacity);

}  // namespace platform

// The build manifest of kvpack, and the rules an entry name must meet.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvpack {

// One file named by the manifest.
struct ManifestItem {
  std::filesystem::path path;  // resolved against the manifest's folder
  uint32_t line;               // 1-based line number in the manifest
};

// Splits manifest text into file paths, one per line, in order. Blank lines
// and lines whose first non-blank character is '#' are skipped; white space
// (CR included) around a path is trimmed; relative paths are joined to
// `folder`. Returns 1, or 0 with a one-line reason in `error` (a line holding
// a zero byte). The count is not checked here.
int ParseManifest(const std::string& text, const std::filesystem::path& folder,
                  std::vector<ManifestItem>& items, std::string& error);

// Why `name` cannot be an entry name, or an empty text when it can: it must
// be 1 to 127 bytes, not a device name (package::NameIsDevice), a plain file
// name (no '\\', '/', ':' or "..", not "."), and hold no character that
// Windows refuses in file names, since the setup program writes every entry
// as a file in a Windows folder.
std::string EntryNameProblem(const std::string& name);

}  // namespace kvpack

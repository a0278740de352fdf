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

// Why a name cannot be an entry name, for `problem` as
// package::CheckEntryName answers it about `name` (not NAME_OK, not
// NAME_SAME_FILE): the end of a sentence that begins "the name 'NAME' ".
std::string NameProblemText(int problem, const std::string& name);

// Why `name` cannot be an entry name on its own (package::CheckEntryName, in
// the words of NameProblemText), or an empty text when it can.
std::string EntryNameProblem(const std::string& name);

}  // namespace kvpack

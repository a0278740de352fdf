// Whole-file reading and replace-by-rename writing for kvpack.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvpack {

// The size of the regular file at `path`. Returns 1, or 0 with a one-line
// reason in `error` (missing, not a regular file, not accessible).
int RegularFileSize(const std::filesystem::path& path, uint64_t& size, std::string& error);

// Reads the whole regular file at `path` into `out`, refusing files larger
// than `limit` bytes before reading them. Returns 1, or 0 with a reason.
int ReadWholeFile(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>& out,
                  std::string& error);

// Writes `size` bytes to a new file beside `path` and renames it over
// `path`, so that `path` either keeps what it held or receives all the bytes.
// The new file gets a fresh unpredictable name and is created exclusively
// without following links (mode 0666 less the umask); it is flushed to disk
// before the rename, and removed again on every failure. A link at `path`
// itself is replaced by the file, never written through. Returns 1, or 0
// with a reason.
int WriteFileReplacing(const std::filesystem::path& path, const uint8_t* data, uint64_t size,
                       std::string& error);

// Creates the folder `path` with its missing parents; an existing folder is
// fine. Returns 1, or 0 with a reason.
int MakeFolder(const std::filesystem::path& path, std::string& error);

}  // namespace kvpack

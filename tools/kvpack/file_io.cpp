// Whole-file reading and replace-by-rename writing for kvpack.
#include "tools/kvpack/file_io.h"

#include <cerrno>
#include <fstream>
#include <new>
#include <system_error>

namespace kvpack {
namespace {

// Streams count in std::streamsize, which is 32-bit in 32-bit Windows builds:
// move data in blocks well below that.
constexpr uint64_t kChunk = uint64_t{1} << 24;

std::string Quoted(const std::filesystem::path& path) {
  // Built by appending: GCC 12 warns falsely (-Wrestrict) about
  // "literal" + std::string at -O3.
  std::string text(1, '\'');
  text += path.string();
  text += '\'';
  return text;
}

std::string ErrnoText() { return std::generic_category().message(errno); }

}  // namespace

int RegularFileSize(const std::filesystem::path& path, uint64_t& size, std::string& error) {
  std::error_code code;
  const std::filesystem::file_status status = std::filesystem::status(path, code);
  if (code) {
    error = "cannot read " + Quoted(path) + ": " + code.message();
    return 0;
  }
  if (!std::filesystem::is_regular_file(status)) {
    error = "cannot read " + Quoted(path) + ": " +
            (std::filesystem::exists(status) ? "not a regular file" : "no such file");
    return 0;
  }
  size = std::filesystem::file_size(path, code);
  if (code) {
    error = "cannot read " + Quoted(path) + ": " + code.message();
    return 0;
  }
  return 1;
}

int ReadWholeFile(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>& out,
                  std::string& error) {
  uint64_t size = 0;
  if (RegularFileSize(path, size, error) != 1) {
    return 0;
  }
  if (size > limit) {
    error = Quoted(path) + " is " + std::to_string(size) + " bytes; at most " +
            std::to_string(limit) + " fit";
    return 0;
  }
  errno = 0;
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    error = "cannot open " + Quoted(path) + ": " + ErrnoText();
    return 0;
  }
  try {
    out.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    error = Quoted(path) + " is too large to hold in memory";
    return 0;
  }
  for (uint64_t done = 0; done < size;) {
    const uint64_t step = size - done < kChunk ? size - done : kChunk;
    stream.read(reinterpret_cast<char*>(out.data() + done), static_cast<std::streamsize>(step));
    if (static_cast<uint64_t>(stream.gcount()) != step) {
      error = "cannot read " + Quoted(path) + ": it ended early or a read failed";
      return 0;
    }
    done += step;
  }
  return 1;
}

int WriteFileReplacing(const std::filesystem::path& path, const std::filesystem::path& temp,
                       const uint8_t* data, uint64_t size, std::string& error) {
  std::error_code ignored;
  {
    errno = 0;
    std::ofstream stream(temp, std::ios::binary | std::ios::trunc);
    if (!stream) {
      error = "cannot create " + Quoted(temp) + ": " + ErrnoText();
      return 0;
    }
    for (uint64_t done = 0; done < size && stream;) {
      const uint64_t step = size - done < kChunk ? size - done : kChunk;
      stream.write(reinterpret_cast<const char*>(data + done), static_cast<std::streamsize>(step));
      done += step;
    }
    stream.close();
    if (!stream) {
      error = "cannot write " + Quoted(temp) + ": " + ErrnoText();
      std::filesystem::remove(temp, ignored);
      return 0;
    }
  }
  std::error_code code;
  std::filesystem::rename(temp, path, code);
  if (code && std::filesystem::is_regular_file(path, ignored)) {
    // Some C runtimes refuse to rename onto an existing file; only then is the
    // old file taken away first.
    std::filesystem::remove(path, ignored);
    code.clear();
    std::filesystem::rename(temp, path, code);
  }
  if (code) {
    error = "cannot rename " + Quoted(temp) + " to " + Quoted(path) + ": " + code.message();
    std::filesystem::remove(temp, ignored);
    return 0;
  }
  return 1;
}

int MakeFolder(const std::filesystem::path& path, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(path, code);
  if (code) {
    error = "cannot create folder " + Quoted(path) + ": " + code.message();
    return 0;
  }
  if (!std::filesystem::is_directory(path, code)) {
    error = "cannot create folder " + Quoted(path) + ": a file of that name is in the way";
    return 0;
  }
  return 1;
}

}  // namespace kvpack

// Whole-file reading and replace-by-rename writing for kvpack.
#include "tools/kvpack/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <new>
#include <random>
#include <system_error>

namespace kvpack {
namespace {

// Streams count in std::streamsize, which is 32-bit in 32-bit Windows builds,
// and write calls in unsigned int: move data in blocks well below that.
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

// Fresh names tried before giving up: each is taken only when another file
// already holds it, which for a random name means a file planted in the way.
constexpr int kNameAttempts = 16;

// The few C run-time file calls that differ between the hosts kvpack builds
// for. CreateNew fails with EEXIST when anything, a link included, has the
// name already.
namespace os {
#ifdef _WIN32
int CreateNew(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                _S_IREAD | _S_IWRITE);
}
long Write(int fd, const uint8_t* data, unsigned count) { return _write(fd, data, count); }
int Flush(int fd) { return _commit(fd); }
int Close(int fd) { return _close(fd); }
#else
int CreateNew(const std::filesystem::path& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}
long Write(int fd, const uint8_t* data, unsigned count) { return ::write(fd, data, count); }
int Flush(int fd) { return fsync(fd); }
int Close(int fd) { return close(fd); }
#endif
}  // namespace os

// The new file of one write: closed, and removed unless it was renamed into
// place (path cleared), whichever way the write ends.
struct TempFile {
  std::filesystem::path path;
  int fd = -1;

  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd >= 0) {
      os::Close(fd);
    }
    if (!path.empty()) {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  }
};

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

int WriteFileReplacing(const std::filesystem::path& path, const uint8_t* data, uint64_t size,
                       std::string& error) {
  const std::filesystem::path folder = path.parent_path();
  TempFile temp;
  std::random_device entropy;
  for (int attempt = 0; attempt < kNameAttempts && temp.fd < 0; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, ".kvpack-%08x%08x.tmp", static_cast<unsigned>(entropy()),
                  static_cast<unsigned>(entropy()));
    const std::filesystem::path candidate = folder / name;
    errno = 0;
    temp.fd = os::CreateNew(candidate);
    if (temp.fd >= 0) {
      temp.path = candidate;
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (temp.fd < 0) {
    error = "cannot create a file beside " + Quoted(path) + ": " + ErrnoText();
    return 0;
  }
  for (uint64_t done = 0; done < size;) {
    const uint64_t step = size - done < kChunk ? size - done : kChunk;
    errno = 0;
    const long wrote = os::Write(temp.fd, data + done, static_cast<unsigned>(step));
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      error = "cannot write " + Quoted(temp.path) + ": " + ErrnoText();
      return 0;
    }
    done += static_cast<uint64_t>(wrote);
  }
  errno = 0;
  const bool flushed = os::Flush(temp.fd) == 0;
  const bool closed = os::Close(temp.fd) == 0;
  temp.fd = -1;
  if (!flushed || !closed) {
    error = "cannot write " + Quoted(temp.path) + ": " + ErrnoText();
    return 0;
  }
  std::error_code ignored;
  std::error_code code;
  std::filesystem::rename(temp.path, path, code);
  if (code && std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored))) {
    // Some C runtimes refuse to rename onto an existing file; only then is the
    // old file taken away first.
    std::filesystem::remove(path, ignored);
    code.clear();
    std::filesystem::rename(temp.path, path, code);
  }
  if (code) {
    error = "cannot rename " + Quoted(temp.path) + " to " + Quoted(path) + ": " + code.message();
    return 0;
  }
  temp.path.clear();
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

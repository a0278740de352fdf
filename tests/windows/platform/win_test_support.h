// Helpers of the Windows tests that run under Wine: a throw-away folder on
// the real file system, whole-file reads, the prefix kind, and reaching build
// files through Wine's Z: drive.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace win_test {

// Removes `path` and everything below it, read-only files included.
inline void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") {
        continue;
      }
      const std::string child = path + "\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

// A new empty folder under the temporary folder, removed with its contents
// when the object goes.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "kvtest-%lu-%d", GetCurrentProcessId(), ++counter);
    path_ = std::string(base) + name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The whole content of `path`; `ok` false when it cannot be read.
inline std::string ReadFile(const std::string& path, bool* ok = nullptr) {
  std::string content;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (ok != nullptr) {
    *ok = file != nullptr;
  }
  if (file == nullptr) {
    return content;
  }
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    content.append(buffer, got);
  }
  std::fclose(file);
  return content;
}

inline bool WriteFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && ok;
}

// The Windows name of a Unix path of the build tree: Wine maps / as Z:.
inline std::string FromUnix(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') {
      c = '\\';
    }
  }
  return path;
}

// True in a 64-bit prefix. The test runner sets KV_WINEARCH=win32 for the
// run in the 32-bit prefix and leaves it unset for the 64-bit one.
inline bool In64BitPrefix() {
  const char* arch = std::getenv("KV_WINEARCH");
  return arch == nullptr || std::string(arch) != "win32";
}

// True where this test program runs under WoW64, as the shipped 32-bit
// program does in a 64-bit prefix; never for the 64-bit test build, which
// sees the 64-bit program-files folder and registry view.
inline bool UnderWow64() { return sizeof(void*) == 4 && In64BitPrefix(); }

// A file held open without any sharing, as a running program holds its own
// file, until the object goes.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldFile() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

inline bool MakeReadOnly(const std::string& path) {
  return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

// Wine keeps the read-only attribute in the Unix permission bits, which do
// not bind the superuser: run by root, a read-only file can still be opened
// for writing. Tests of the read-only case ask this first.
inline bool ReadOnlyIsEnforced(const std::string& readOnlyFile) {
  HANDLE file = CreateFileA(readOnlyFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return true;
  }
  CloseHandle(file);
  return false;
}

inline bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace win_test

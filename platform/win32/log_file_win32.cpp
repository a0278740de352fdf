// The setup log's file through Win32.
#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "platform/log_file.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

// SetFileInformationByHandle exists from Vista on; looked up at run time so
// that the program still starts on earlier systems.
using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
// GetFinalPathNameByHandleA and ReOpenFile likewise.
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
using ReOpenFunction = HANDLE(WINAPI*)(HANDLE, DWORD, DWORD, DWORD);

constexpr DWORD LONG_PATH_SIZE = 32768;
constexpr char LOCAL_PREFIX[] = "\\\\?\\";
constexpr char UNC_PREFIX[] = "\\\\?\\UNC\\";

// Opened for appending and to read its facts. Others may read it (a handle
// with the right to delete would turn away every reader that does not share
// deletion, as most do) and nobody else may write it. Deletion is shared so
// that the rotation can reopen the same file with the right to rename it;
// the handle keeps writing to that file whatever its name becomes.
constexpr DWORD LOG_ACCESS = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD LOG_SHARING = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr DWORD RENAME_ACCESS = DELETE | SYNCHRONIZE;
constexpr DWORD RENAME_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FARPROC KernelFunction(const char* name) {
  const HMODULE kernel = GetModuleHandleA("Kernel32.dll");
  return kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
}

// Whether the open file is the one `path` names, seen from the system's own
// resolution of the handle. A link that the open followed all the same (Wine
// shows a host symbolic link as a plain file) resolves elsewhere. Also true
// when the system cannot tell (before Vista); false when it fails to.
bool IsTheNamedFile(HANDLE file, const char* path) {
  const auto finalPath = win32::FunctionCast<FinalPathFunction>(KernelFunction("GetFinalPathNameByHandleA"));
  if (finalPath == nullptr) return true;
  std::unique_ptr<char[]> area(new (std::nothrow) char[3 * LONG_PATH_SIZE]);
  if (area == nullptr) return false;
  char* resolved = area.get();
  char* full = resolved + LONG_PATH_SIZE;
  char* named = full + LONG_PATH_SIZE;
  const DWORD length = finalPath(file, resolved, LONG_PATH_SIZE, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= LONG_PATH_SIZE) return false;
  const DWORD fullLength = GetFullPathNameA(path, LONG_PATH_SIZE, full, nullptr);
  if (fullLength == 0 || fullLength >= LONG_PATH_SIZE) return false;
  const DWORD namedLength = GetLongPathNameA(full, named, LONG_PATH_SIZE);
  if (namedLength == 0 || namedLength >= LONG_PATH_SIZE) return false;

  // "\\?\C:\..." stands for "C:\...", "\\?\UNC\server\..." for "\\server\...".
  const char* compared = resolved;
  if (std::strncmp(resolved, UNC_PREFIX, sizeof UNC_PREFIX - 1) == 0) {
    compared = resolved + sizeof UNC_PREFIX - 3;
    resolved[sizeof UNC_PREFIX - 3] = '\\';
  } else if (std::strncmp(resolved, LOCAL_PREFIX, sizeof LOCAL_PREFIX - 1) == 0) {
    compared = resolved + sizeof LOCAL_PREFIX - 1;
  }
  return lstrcmpiA(compared, named) == 0;
}

}  // namespace

void CloseLogFile(void* file) {
  win32::KeepingLastError([file] { CloseHandle(static_cast<HANDLE>(file)); });
}

int OpenLogFile(const char* path, UniqueLogFile& file, uint64_t& size) {
  file.Reset();
  size = 0;
  // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened as itself, never followed.
  // A missing file is made only where nothing lies, not even a link that
  // leads nowhere (which a plain create would follow to make its target).
  constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  win32::UniqueFile opened(CreateFileA(path, LOG_ACCESS, LOG_SHARING, nullptr, OPEN_EXISTING, flags, nullptr));
  bool created = false;
  if (!opened.IsValid() && GetLastError() == ERROR_FILE_NOT_FOUND) {
    opened.Reset(CreateFileA(path, LOG_ACCESS, LOG_SHARING, nullptr, CREATE_NEW, flags, nullptr));
    created = opened.IsValid();
  }
  if (!opened.IsValid()) return LOG_FILE_NOT_OPENED;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(opened.Get(), &info)) return LOG_FILE_NOT_OPENED;
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
      info.nNumberOfLinks > 1 || !IsTheNamedFile(opened.Get(), path)) {
    // A file made through a link in the path goes again when closed.
    if (created) {
      const auto setInformation =
          win32::FunctionCast<SetFileInformationFunction>(KernelFunction("SetFileInformationByHandle"));
      const auto reopen = win32::FunctionCast<ReOpenFunction>(KernelFunction("ReOpenFile"));
      FILE_DISPOSITION_INFO disposition{TRUE};
      if (setInformation != nullptr && reopen != nullptr) {
        win32::UniqueFile deleting(reopen(opened.Get(), RENAME_ACCESS, RENAME_SHARING, 0));
        if (deleting.IsValid()) {
          setInformation(deleting.Get(), FileDispositionInfo, &disposition, sizeof disposition);
        }
      }
    }
    return LOG_FILE_REFUSED;
  }
  size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  file.Reset(opened.Release());
  return LOG_FILE_OPENED;
}

int RenameLogFile(const UniqueLogFile& file, const char* newPath) {
  const auto setInformation =
      win32::FunctionCast<SetFileInformationFunction>(KernelFunction("SetFileInformationByHandle"));
  const auto reopen = win32::FunctionCast<ReOpenFunction>(KernelFunction("ReOpenFile"));
  if (setInformation == nullptr || reopen == nullptr) return 0;
  // The same file, opened again through the handle (never by name) with the
  // right to rename it.
  win32::UniqueFile renaming(reopen(static_cast<HANDLE>(file.Get()), RENAME_ACCESS, RENAME_SHARING, 0));
  if (!renaming.IsValid()) return 0;

  const int characters = MultiByteToWideChar(CP_ACP, 0, newPath, -1, nullptr, 0);
  if (characters <= 0) return 0;
  // The record ends in a name of FileNameLength bytes; its zero is kept too.
  const size_t bytes = sizeof(FILE_RENAME_INFO) + static_cast<size_t>(characters) * sizeof(WCHAR);
  std::unique_ptr<unsigned char[]> area(new (std::nothrow) unsigned char[bytes]);
  if (area == nullptr) return 0;
  std::memset(area.get(), 0, bytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(area.get());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(characters - 1) * sizeof(WCHAR);
  if (MultiByteToWideChar(CP_ACP, 0, newPath, -1, rename->FileName, characters) != characters) return 0;
  return setInformation(renaming.Get(), FileRenameInfo, rename, static_cast<DWORD>(bytes)) ? 1 : 0;
}

int AppendLogText(const UniqueLogFile& file, const char* text, uint32_t length) {
  DWORD written = 0;
  const BOOL wrote = WriteFile(static_cast<HANDLE>(file.Get()), text, length, &written, nullptr);
  return wrote && written == length ? 1 : 0;
}

}  // namespace platform

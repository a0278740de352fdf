// The setup log's file through Win32.
#include <windows.h>

#include <cstring>
#include <memory>
#include <cwchar>
#include <new>

#include "platform/log_file.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

// SetFileInformationByHandle exists from Vista on; looked up at run time so
// that the program still starts on earlier systems.
using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
// GetFinalPathNameByHandleW, ReOpenFile and CompareStringOrdinal likewise.
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using ReOpenFunction = HANDLE(WINAPI*)(HANDLE, DWORD, DWORD, DWORD);
using CompareOrdinalFunction = int(WINAPI*)(LPCWSTR, int, LPCWSTR, int, BOOL);

constexpr DWORD LONG_PATH_SIZE = 32768;
constexpr wchar_t LOCAL_PREFIX[] = L"\\\\?\\";
constexpr wchar_t UNC_PREFIX[] = L"\\\\?\\UNC\\";

// Opened for appending, to read its start and its facts. Others may read it
// (a handle with the right to delete would turn away every reader that does
// not share deletion, as most do) and nobody else may write it. Deletion is
// shared so that the rotation can reopen the same file with the right to
// rename or delete it; the handle keeps writing to that file whatever its
// name becomes. Without the right to write at an offset, every write goes to
// the end.
constexpr DWORD LOG_ACCESS = FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD LOG_SHARING = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr DWORD RENAME_ACCESS = DELETE | SYNCHRONIZE;
constexpr DWORD RENAME_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FARPROC KernelFunction(const char* name) {
  const HMODULE kernel = GetModuleHandleA("Kernel32.dll");
  return kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
}

// The file's own handle opened again (never by name) with the right to
// rename or delete it; empty before Vista.
win32::UniqueFile ReopenToRename(HANDLE file) {
  const auto reopen = win32::FunctionCast<ReOpenFunction>(KernelFunction("ReOpenFile"));
  if (reopen == nullptr) return win32::UniqueFile();
  return win32::UniqueFile(reopen(file, RENAME_ACCESS, RENAME_SHARING, 0));
}

SetFileInformationFunction SetInformation() {
  return win32::FunctionCast<SetFileInformationFunction>(KernelFunction("SetFileInformationByHandle"));
}

bool MarkForDeletion(HANDLE file) {
  const auto setInformation = SetInformation();
  if (setInformation == nullptr) return false;
  win32::UniqueFile deleting = ReopenToRename(file);
  if (!deleting.IsValid()) return false;
  FILE_DISPOSITION_INFO disposition{TRUE};
  return setInformation(deleting.Get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Ordinal comparison without regard to case, as the file system compares
// names; never the user's locale (a Turkish dotted or dotless i). Where the
// system lacks it, only ASCII letters are folded and any other difference
// counts.
bool SameName(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) {
  if (aLength != bLength) return false;
  const auto compare = win32::FunctionCast<CompareOrdinalFunction>(KernelFunction("CompareStringOrdinal"));
  if (compare != nullptr) {
    return compare(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
  }
  auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
  for (size_t i = 0; i < aLength; ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// The system's resolution of an open handle into `out` (LONG_PATH_SIZE
// characters), "\\?\C:\..." written as "C:\...", "\\?\UNC\server\..."
// as "\\server\...", without a closing backslash. False when it fails.
bool ResolvedPath(FinalPathFunction finalPath, HANDLE handle, wchar_t* out) {
  const DWORD length = finalPath(handle, out, LONG_PATH_SIZE, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= LONG_PATH_SIZE) return false;
  size_t skip = 0;
  if (std::wcsncmp(out, UNC_PREFIX, sizeof UNC_PREFIX / sizeof(wchar_t) - 1) == 0) {
    skip = sizeof UNC_PREFIX / sizeof(wchar_t) - 3;
    out[skip] = L'\\';
  } else if (std::wcsncmp(out, LOCAL_PREFIX, sizeof LOCAL_PREFIX / sizeof(wchar_t) - 1) == 0) {
    skip = sizeof LOCAL_PREFIX / sizeof(wchar_t) - 1;
  }
  size_t end = length - skip;
  std::wmemmove(out, out + skip, end + 1);
  if (end > 0 && out[end - 1] == L'\\') out[--end] = L'\0';
  return true;
}

// Where `named` (a full, long path) lies once its drive is resolved: the
// root of a drive letter or a network share as the system resolves it (a
// substituted drive's folder, a mapped drive's share), then the rest of the
// path as given. Any other volume root (a folder a volume is mounted on) is
// taken as given. False when it cannot be had or does not fit. `named` fits
// LONG_PATH_SIZE, and so `out` when taken as given.
bool ExpectedPath(FinalPathFunction finalPath, const wchar_t* named, wchar_t* root, wchar_t* out) {
  if (!GetVolumePathNameW(named, root, LONG_PATH_SIZE)) return false;
  const size_t rootLength = std::wcslen(root);
  const size_t namedLength = std::wcslen(named);
  const bool driveRoot = rootLength == 3 && root[1] == L':' && root[2] == L'\\';
  const bool shareRoot = root[0] == L'\\' && root[1] == L'\\';
  if ((!driveRoot && !shareRoot) || namedLength < rootLength) {
    std::wmemcpy(out, named, namedLength + 1);
    return true;
  }
  if (!SameName(named, rootLength, root, rootLength)) return false;
  const wchar_t* rest = named + rootLength;
  const size_t restLength = namedLength - rootLength;
  win32::UniqueFile rootFolder(CreateFileW(root, FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!rootFolder.IsValid() || !ResolvedPath(finalPath, rootFolder.Get(), out)) return false;
  const size_t at = std::wcslen(out);
  if (at + 1 + restLength >= LONG_PATH_SIZE) return false;
  out[at] = L'\\';
  std::wmemcpy(out + at + 1, rest, restLength);
  out[at + 1 + restLength] = L'\0';
  return true;
}

// Whether the open file is the one `path` names, seen from the system's own
// resolution of the handle. A link that the open followed all the same (Wine
// shows a host symbolic link as a plain file) resolves elsewhere. Also true
// when the system cannot tell (before Vista); false when it fails to.
bool IsTheNamedFile(HANDLE file, const char* path) {
  const auto finalPath = win32::FunctionCast<FinalPathFunction>(KernelFunction("GetFinalPathNameByHandleW"));
  if (finalPath == nullptr) return true;
  std::unique_ptr<wchar_t[]> area(new (std::nothrow) wchar_t[5 * LONG_PATH_SIZE]);
  if (area == nullptr) return false;
  wchar_t* given = area.get();
  wchar_t* full = given + LONG_PATH_SIZE;
  wchar_t* named = full + LONG_PATH_SIZE;
  wchar_t* expected = named + LONG_PATH_SIZE;
  wchar_t* resolved = expected + LONG_PATH_SIZE;
  // The path as the system's own ANSI calls read it.
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, given, LONG_PATH_SIZE) == 0) return false;
  const DWORD fullLength = GetFullPathNameW(given, LONG_PATH_SIZE, full, nullptr);
  if (fullLength == 0 || fullLength >= LONG_PATH_SIZE) return false;
  const DWORD namedLength = GetLongPathNameW(full, named, LONG_PATH_SIZE);
  if (namedLength == 0 || namedLength >= LONG_PATH_SIZE) return false;
  // `given` is free again: it holds the volume root from here on.
  if (!ExpectedPath(finalPath, named, given, expected)) return false;
  if (!ResolvedPath(finalPath, file, resolved)) return false;
  return SameName(resolved, std::wcslen(resolved), expected, std::wcslen(expected));
}

}  // namespace

void CloseLogFile(void* file) {
  win32::KeepingLastError([file] { CloseHandle(static_cast<HANDLE>(file)); });
}

int OpenLogFile(const char* path, int mode, UniqueLogFile& file, LogFileFacts& facts) {
  file.Reset();
  facts = LogFileFacts{0, 0};
  // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened as itself, never followed.
  // A missing file is made only where nothing lies, not even a link that
  // leads nowhere (which a plain create would follow to make its target).
  constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  win32::UniqueFile opened(CreateFileA(path, LOG_ACCESS, LOG_SHARING, nullptr, OPEN_EXISTING, flags, nullptr));
  bool created = false;
  if (!opened.IsValid() && GetLastError() == ERROR_FILE_NOT_FOUND && mode == LOG_OPEN_OR_CREATE) {
    opened.Reset(CreateFileA(path, LOG_ACCESS, LOG_SHARING, nullptr, CREATE_NEW, flags, nullptr));
    created = opened.IsValid();
  }
  if (!opened.IsValid()) return LOG_FILE_NOT_OPENED;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(opened.Get(), &info)) return LOG_FILE_NOT_OPENED;
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
      info.nNumberOfLinks > 1 || !IsTheNamedFile(opened.Get(), path)) {
    // A file made through a link in the path goes again when closed.
    if (created) MarkForDeletion(opened.Get());
    return LOG_FILE_REFUSED;
  }
  facts.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.created = created ? 1 : 0;
  file.Reset(opened.Release());
  return LOG_FILE_OPENED;
}

int ReadLogFileStart(const UniqueLogFile& file, char* buffer, uint32_t capacity, uint32_t& count) {
  count = 0;
  const HANDLE handle = static_cast<HANDLE>(file.Get());
  // A read at offset 0; writes go to the end whatever the file position.
  OVERLAPPED at{};
  DWORD read = 0;
  const BOOL done = ReadFile(handle, buffer, capacity, &read, &at);
  if (!done && GetLastError() != ERROR_HANDLE_EOF) return 0;
  count = read;
  LARGE_INTEGER none{};
  SetFilePointerEx(handle, none, nullptr, FILE_END);
  return 1;
}

int RenameLogFile(const UniqueLogFile& file, const char* newPath) {
  const auto setInformation = SetInformation();
  if (setInformation == nullptr) return 0;
  // The same file, opened again through the handle (never by name) with the
  // right to rename it.
  win32::UniqueFile renaming = ReopenToRename(static_cast<HANDLE>(file.Get()));
  if (!renaming.IsValid()) return 0;

  const int characters = MultiByteToWideChar(CP_ACP, 0, newPath, -1, nullptr, 0);
  if (characters <= 0) return 0;
  // The record ends in a name of FileNameLength bytes; its zero is kept too.
  const size_t bytes = sizeof(FILE_RENAME_INFO) + static_cast<size_t>(characters) * sizeof(WCHAR);
  std::unique_ptr<unsigned char[]> area(new (std::nothrow) unsigned char[bytes]);
  if (area == nullptr) return 0;
  std::memset(area.get(), 0, bytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(area.get());
  // Whatever lies at the new name stays: only a free name is taken.
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(characters - 1) * sizeof(WCHAR);
  if (MultiByteToWideChar(CP_ACP, 0, newPath, -1, rename->FileName, characters) != characters) return 0;
  return setInformation(renaming.Get(), FileRenameInfo, rename, static_cast<DWORD>(bytes)) ? 1 : 0;
}

int DeleteLogFile(const UniqueLogFile& file) {
  return MarkForDeletion(static_cast<HANDLE>(file.Get())) ? 1 : 0;
}

int AppendLogText(const UniqueLogFile& file, const char* text, uint32_t length) {
  DWORD written = 0;
  const BOOL wrote = WriteFile(static_cast<HANDLE>(file.Get()), text, length, &written, nullptr);
  return wrote && written == length ? 1 : 0;
}

}  // namespace platform

// Work relative to held folders through the native file calls of ntdll:
// NtCreateFile with the held folder as root directory and
// FILE_OPEN_REPARSE_POINT, NtQueryDirectoryFile on the held handle, and
// NtSetInformationFile for deletion (FileDispositionInformation) and renaming
// (FileRenameInformation), all present from Windows XP on and looked up at
// run time.
#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "platform/held_folders.h"
#include "platform/win32/exact_names.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

constexpr NTSTATUS NT_SUCCESS_STATUS = 0;
constexpr NTSTATUS NT_NO_MORE_FILES = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS NT_NOT_A_DIRECTORY = static_cast<NTSTATUS>(0xC0000103);
constexpr NTSTATUS NT_NAME_NOT_FOUND = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS NT_PATH_NOT_FOUND = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS NT_SHARING_VIOLATION = static_cast<NTSTATUS>(0xC0000043);
constexpr NTSTATUS NT_INVALID_PARAMETER = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS NT_PROCEDURE_NOT_FOUND = static_cast<NTSTATUS>(0xC000007A);

// What the create-disposition reported in the status block's information.
constexpr ULONG_PTR NT_FILE_CREATED = 2;

// Access of a held folder: listing, opening below it, reading its
// attributes and deleting it once empty. Without deletion when another
// opener does not share it (the folder could not be deleted then anyway).
constexpr ACCESS_MASK HOLD_ACCESS =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE;
constexpr ACCESS_MASK HOLD_ACCESS_WITHOUT_DELETE = HOLD_ACCESS & ~static_cast<ACCESS_MASK>(DELETE);
constexpr ULONG HOLD_SHARE = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Access of an entry opened to be deleted or renamed, sharing as deletion by
// name does.
constexpr ACCESS_MASK DELETE_ACCESS = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG DELETE_SHARE = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

constexpr ULONG OPEN_OPTIONS =
    FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT;
constexpr ULONG FOLDER_OPTIONS = OPEN_OPTIONS | FILE_DIRECTORY_FILE;
constexpr ULONG FILE_ONLY_OPTIONS = OPEN_OPTIONS | FILE_NON_DIRECTORY_FILE;

// Room for one read of a listing: the product's folders fit in one.
constexpr ULONG LISTING_BUFFER_SIZE = 8192;

// The FILE_DIRECTORY_INFORMATION record of a listing read.
struct DirectoryRecord {
  ULONG NextEntryOffset;
  ULONG FileIndex;
  LARGE_INTEGER CreationTime;
  LARGE_INTEGER LastAccessTime;
  LARGE_INTEGER LastWriteTime;
  LARGE_INTEGER ChangeTime;
  LARGE_INTEGER EndOfFile;
  LARGE_INTEGER AllocationSize;
  ULONG FileAttributes;
  ULONG FileNameLength;
  WCHAR FileName[1];
};

struct RenameRecord {
  BOOLEAN ReplaceIfExists;
  HANDLE RootDirectory;
  ULONG FileNameLength;
  WCHAR FileName[SYSTEM_NAME_UNITS];
};

struct DispositionRecord {
  BOOLEAN DeleteFile;
};

using NtCreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                          PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryDirectoryFileCall = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK,
                                                  PVOID, ULONG, FILE_INFORMATION_CLASS, BOOLEAN,
                                                  PUNICODE_STRING, BOOLEAN);
using NtSetInformationFileCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                  FILE_INFORMATION_CLASS);
using NtQueryAttributesFileCall = NTSTATUS(NTAPI*)(POBJECT_ATTRIBUTES, PFILE_BASIC_INFORMATION);
using RtlNtStatusToDosErrorCall = ULONG(NTAPI*)(NTSTATUS);

struct NativeCalls {
  NtCreateFileCall createFile = nullptr;
  NtQueryDirectoryFileCall queryDirectory = nullptr;
  NtSetInformationFileCall setInformation = nullptr;
  NtQueryAttributesFileCall queryAttributes = nullptr;
  RtlNtStatusToDosErrorCall toDosError = nullptr;
};

template <typename Call>
void Find(HMODULE ntdll, const char* name, Call& call) {
  call = reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
}

// ntdll is in every process and never unloaded: no reference is taken.
NativeCalls LoadNativeCalls() {
  NativeCalls calls;
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return calls;
  Find(ntdll, "NtCreateFile", calls.createFile);
  Find(ntdll, "NtQueryDirectoryFile", calls.queryDirectory);
  Find(ntdll, "NtSetInformationFile", calls.setInformation);
  Find(ntdll, "NtQueryAttributesFile", calls.queryAttributes);
  Find(ntdll, "RtlNtStatusToDosError", calls.toDosError);
  return calls;
}

// Looked up once, by whichever thread comes first. Not a function-local
// static with an initialiser: its thread-safe guard would bring the C++
// library's exception machinery into the program.
NativeCalls nativeCalls;
volatile LONG nativeState = 0;  // 0 not looked up, 1 being looked up, 2 ready
constexpr LONG NATIVE_LOOKING_UP = 1;
constexpr LONG NATIVE_READY = 2;

const NativeCalls& Native() {
  if (InterlockedCompareExchange(&nativeState, NATIVE_LOOKING_UP, 0) == 0) {
    nativeCalls = LoadNativeCalls();
    InterlockedExchange(&nativeState, NATIVE_READY);
  } else {
    while (nativeState != NATIVE_READY) Sleep(0);
  }
  return nativeCalls;
}

// Sets the thread's last error from a native status.
void SetErrorFrom(NTSTATUS status) {
  SetLastError(Native().toDosError != nullptr ? Native().toDosError(status) : ERROR_ACCESS_DENIED);
}

// An open item; a held folder also keeps the listing read through it.
struct Item {
  win32::UniqueFile handle;
  ULONGLONG* listing = nullptr;  // LISTING_BUFFER_SIZE bytes once listed
  ULONG next = 0;                // offset of the next record, or the filled size at the end
  ULONG filled = 0;
  bool more = false;  // a further read may give more records
  ~Item() { delete[] listing; }
};

HANDLE HandleOf(const UniqueHeldItem& item) {
  const auto* opened = static_cast<const Item*>(item.Get());
  return opened != nullptr ? opened->handle.Get() : nullptr;
}

bool Keep(HANDLE handle, UniqueHeldItem& item) {
  auto* opened = new (std::nothrow) Item;
  if (opened == nullptr) {
    CloseHandle(handle);
    return false;
  }
  opened->handle.Reset(handle);
  item.Reset(opened);
  return true;
}

// A name in the held folder: one component, no separator, not "." or "..".
bool IsPlainName(const wchar_t* name, uint32_t length) {
  const bool dots = (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
  if (length == 0 || dots) {
    return false;
  }
  for (uint32_t at = 0; at < length; ++at) {
    if (name[at] == L'\\' || name[at] == L'/') return false;
  }
  return true;
}

// `name` (`length` wide characters) relative to the folder `root`, compared
// without regard to case as Windows names are; `attributes` points at `text`.
void NameRelative(HANDLE root, const wchar_t* name, uint32_t length, UNICODE_STRING& text,
                  OBJECT_ATTRIBUTES& attributes) {
  text.Buffer = const_cast<PWSTR>(name);
  text.Length = static_cast<USHORT>(length * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, root, nullptr);
}

NTSTATUS OpenRelative(HANDLE root, const wchar_t* name, uint32_t length, ACCESS_MASK access, ULONG share,
                      ULONG disposition, ULONG options, HANDLE& opened, ULONG_PTR* information = nullptr) {
  opened = nullptr;
  if (Native().createFile == nullptr) return NT_PROCEDURE_NOT_FOUND;
  if (root == nullptr || !IsPlainName(name, length)) return NT_INVALID_PARAMETER;
  UNICODE_STRING text;
  OBJECT_ATTRIBUTES attributes;
  NameRelative(root, name, length, text, attributes);
  IO_STATUS_BLOCK status{};
  const NTSTATUS result = Native().createFile(&opened, access, &attributes, &status, nullptr, 0, share,
                                              disposition, options, nullptr, 0);
  if (result != NT_SUCCESS_STATUS) opened = nullptr;
  if (information != nullptr) *information = status.Information;
  return result;
}

// The entry's attributes read by name relative to `root`, without opening
// it; 0 when they cannot be read. Wine reads an opened link's attributes
// from what it names, and the entry's own only this way.
DWORD AttributesByName(HANDLE root, const wchar_t* name, uint32_t length) {
  if (Native().queryAttributes == nullptr) return 0;
  UNICODE_STRING text;
  OBJECT_ATTRIBUTES attributes;
  NameRelative(root, name, length, text, attributes);
  FILE_BASIC_INFORMATION basic{};
  return Native().queryAttributes(&attributes, &basic) == NT_SUCCESS_STATUS ? basic.FileAttributes : 0;
}

int KindOf(DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return HELD_LINK;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? HELD_FOLDER : HELD_FILE;
}

int MissingOrUnavailable(NTSTATUS status) {
  SetErrorFrom(status);
  return status == NT_NAME_NOT_FOUND || status == NT_PATH_NOT_FOUND ? HELD_MISSING : HELD_UNAVAILABLE;
}

// Holds the real folder `name` of `root` in `item`, or tells what is there
// instead. `disposition` is FILE_OPEN or FILE_OPEN_IF; `created` reports a
// new folder.
int HoldRelative(HANDLE root, const wchar_t* name, uint32_t length, ULONG disposition, DWORD listed,
                 UniqueHeldItem& item, bool* created = nullptr) {
  item.Reset();
  HANDLE opened = nullptr;
  ULONG_PTR information = 0;
  NTSTATUS status = OpenRelative(root, name, length, HOLD_ACCESS, HOLD_SHARE, disposition, FOLDER_OPTIONS,
                                 opened, &information);
  if (status == NT_SHARING_VIOLATION) {
    status = OpenRelative(root, name, length, HOLD_ACCESS_WITHOUT_DELETE, HOLD_SHARE, FILE_OPEN,
                          FOLDER_OPTIONS, opened, &information);
  }
  if (status == NT_NOT_A_DIRECTORY) {
    // A file, or a link to one, is in the way.
    SetErrorFrom(status);
    return KindOf(AttributesByName(root, name, length)) == HELD_LINK ? HELD_LINK : HELD_FILE;
  }
  if (status != NT_SUCCESS_STATUS) return MissingOrUnavailable(status);
  win32::UniqueFile handle(opened);
  BY_HANDLE_FILE_INFORMATION facts;
  if (!GetFileInformationByHandle(handle.Get(), &facts)) return HELD_UNAVAILABLE;
  const DWORD attributes = facts.dwFileAttributes | listed | AttributesByName(root, name, length);
  const int kind = KindOf(attributes);
  if (kind != HELD_FOLDER) {
    // A link opened as itself: kept for its deletion alone.
    if (kind == HELD_LINK && !Keep(handle.Release(), item)) return HELD_UNAVAILABLE;
    return kind;
  }
  if (!Keep(handle.Release(), item)) return HELD_UNAVAILABLE;
  if (created != nullptr) *created = information == NT_FILE_CREATED;
  return HELD_FOLDER;
}

int OpenForDeletion(HANDLE root, const wchar_t* name, uint32_t length, ULONG options, int kind,
                    UniqueHeldItem& item) {
  item.Reset();
  HANDLE opened = nullptr;
  const NTSTATUS status =
      OpenRelative(root, name, length, DELETE_ACCESS, DELETE_SHARE, FILE_OPEN, options, opened);
  if (status != NT_SUCCESS_STATUS) return MissingOrUnavailable(status);
  return Keep(opened, item) ? kind : HELD_UNAVAILABLE;
}

struct WideName {
  wchar_t units[SYSTEM_NAME_UNITS];
  uint32_t length;
};

bool ToWide(const char* name, WideName& wide) {
  if (name == nullptr || !win32::WideFromAnsi(name, wide.units, SYSTEM_NAME_UNITS, wide.length)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  return true;
}

const wchar_t* UnitsOf(const SystemName& name) {
  static_assert(sizeof(wchar_t) == sizeof(uint16_t));
  return reinterpret_cast<const wchar_t*>(name.units);
}

void FillEntry(const DirectoryRecord& record, HeldEntry& entry) {
  entry.isFolder = (record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
  entry.isLink = (record.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? 1 : 0;
  const uint32_t length = record.FileNameLength / sizeof(WCHAR);
  entry.name[0] = '\0';
  entry.nameExact = 0;
  entry.systemName.length = 0;
  // A name longer than a name can be is kept from nothing: it cannot be
  // opened, so the walk treats it as an entry it cannot delete.
  if (length > SYSTEM_NAME_UNITS) return;
  std::memcpy(entry.systemName.units, record.FileName, length * sizeof(WCHAR));
  entry.systemName.length = length;
  entry.nameExact = win32::ExactAnsiName(record.FileName, length, entry.name, sizeof entry.name) ? 1 : 0;
}

// Reads the next part of the listing into the item's buffer.
bool ReadListing(Item& item, bool restart) {
  if (Native().queryDirectory == nullptr) return false;
  if (item.listing == nullptr) {
    item.listing = new (std::nothrow) ULONGLONG[LISTING_BUFFER_SIZE / sizeof(ULONGLONG)];
    if (item.listing == nullptr) return false;
  }
  IO_STATUS_BLOCK status{};
  const NTSTATUS result =
      Native().queryDirectory(item.handle.Get(), nullptr, nullptr, nullptr, &status, item.listing,
                              LISTING_BUFFER_SIZE, FileDirectoryInformation, FALSE, nullptr,
                              restart ? TRUE : FALSE);
  item.next = 0;
  item.filled = 0;
  item.more = false;
  if (result != NT_SUCCESS_STATUS) {
    if (result != NT_NO_MORE_FILES) SetErrorFrom(result);
    return false;
  }
  item.filled = static_cast<ULONG>(status.Information);
  item.more = true;
  return item.filled >= offsetof(DirectoryRecord, FileName);
}

}  // namespace

void CloseHeldItem(void* item) { delete static_cast<Item*>(item); }

int HoldFolder(const char* path, UniqueHeldItem& item) {
  item.Reset();
  constexpr DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE opened = CreateFileA(path, HOLD_ACCESS, HOLD_SHARE, nullptr, OPEN_EXISTING, flags, nullptr);
  if (opened == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) {
    opened =
        CreateFileA(path, HOLD_ACCESS_WITHOUT_DELETE, HOLD_SHARE, nullptr, OPEN_EXISTING, flags, nullptr);
  }
  win32::UniqueFile handle(opened);
  // Wine may answer from the object a link names: the path's own
  // attributes count as well.
  const DWORD byPath = GetFileAttributesA(path);
  if (!handle.IsValid()) {
    if (byPath == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? HELD_MISSING : HELD_UNAVAILABLE;
    }
    const int kind = KindOf(byPath);
    return kind == HELD_FOLDER ? HELD_UNAVAILABLE : kind;
  }
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle.Get(), &information)) return HELD_UNAVAILABLE;
  const int kind = KindOf(information.dwFileAttributes | (byPath != INVALID_FILE_ATTRIBUTES ? byPath : 0));
  if (kind == HELD_FILE) return kind;
  return Keep(handle.Release(), item) ? kind : HELD_UNAVAILABLE;
}

int OpenHeldName(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item) {
  item.Reset();
  WideName wide;
  if (!ToWide(name, wide)) return HELD_UNAVAILABLE;
  return HoldRelative(HandleOf(folder), wide.units, wide.length, FILE_OPEN, 0, item);
}

int OpenHeldEntry(const UniqueHeldItem& folder, const HeldEntry& entry, UniqueHeldItem& item) {
  item.Reset();
  const HANDLE root = HandleOf(folder);
  const wchar_t* name = UnitsOf(entry.systemName);
  const uint32_t length = entry.systemName.length;
  if (entry.isLink != 0) return OpenForDeletion(root, name, length, OPEN_OPTIONS, HELD_LINK, item);
  if (entry.isFolder == 0) return OpenForDeletion(root, name, length, OPEN_OPTIONS, HELD_FILE, item);
  const int kind = HoldRelative(root, name, length, FILE_OPEN, 0, item);
  // Listed as a folder, now a file: it may go as one.
  if (kind == HELD_FILE) return OpenForDeletion(root, name, length, OPEN_OPTIONS, HELD_FILE, item);
  return kind;
}

int OpenHeldFile(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item) {
  item.Reset();
  WideName wide;
  if (!ToWide(name, wide)) return HELD_UNAVAILABLE;
  return OpenForDeletion(HandleOf(folder), wide.units, wide.length, FILE_ONLY_OPTIONS, HELD_FILE, item);
}

int CreateHeldFolder(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item) {
  item.Reset();
  WideName wide;
  if (!ToWide(name, wide)) return HELD_UNAVAILABLE;
  bool created = false;
  const int kind = HoldRelative(HandleOf(folder), wide.units, wide.length, FILE_OPEN_IF, 0, item, &created);
  if (kind == HELD_LINK) item.Reset();
  if (kind == HELD_MISSING) return HELD_UNAVAILABLE;
  return kind == HELD_FOLDER && created ? HELD_CREATED : kind;
}

int NextHeldEntry(const UniqueHeldItem& folder, int restart, HeldEntry& entry) {
  auto* item = static_cast<Item*>(folder.Get());
  if (item == nullptr) return 0;
  if (restart != 0) {
    if (!ReadListing(*item, true)) return 0;
  } else if (item->listing == nullptr) {
    return 0;
  } else if (item->next >= item->filled) {
    if (!item->more || !ReadListing(*item, false)) return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(item->listing);
  const auto& record = *reinterpret_cast<const DirectoryRecord*>(bytes + item->next);
  if (item->next + offsetof(DirectoryRecord, FileName) + record.FileNameLength > item->filled) {
    item->next = item->filled;
    item->more = false;
    return 0;
  }
  FillEntry(record, entry);
  item->next = record.NextEntryOffset != 0 ? item->next + record.NextEntryOffset : item->filled;
  return 1;
}

int DeleteHeldItem(UniqueHeldItem& item) {
  const HANDLE handle = HandleOf(item);
  if (handle == nullptr || Native().setInformation == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  DispositionRecord disposition{TRUE};
  IO_STATUS_BLOCK status{};
  const NTSTATUS result = Native().setInformation(handle, &status, &disposition, sizeof disposition,
                                                  FileDispositionInformation);
  if (result != NT_SUCCESS_STATUS) {
    SetErrorFrom(result);
    return 0;
  }
  item.Reset();
  return 1;
}

int RenameHeldItem(const UniqueHeldItem& item, const UniqueHeldItem& folder, const char* name) {
  const HANDLE handle = HandleOf(item);
  const HANDLE root = HandleOf(folder);
  WideName wide;
  if (handle == nullptr || root == nullptr || Native().setInformation == nullptr || !ToWide(name, wide) ||
      !IsPlainName(wide.units, wide.length)) {
    return 0;
  }
  RenameRecord rename{};
  rename.ReplaceIfExists = FALSE;
  rename.RootDirectory = root;
  rename.FileNameLength = wide.length * sizeof(WCHAR);
  std::memcpy(rename.FileName, wide.units, rename.FileNameLength);
  IO_STATUS_BLOCK status{};
  const NTSTATUS result =
      Native().setInformation(handle, &status, &rename,
                              static_cast<ULONG>(offsetof(RenameRecord, FileName) + rename.FileNameLength),
                              FileRenameInformation);
  if (result != NT_SUCCESS_STATUS) {
    SetErrorFrom(result);
    return 0;
  }
  return 1;
}

}  // namespace platform

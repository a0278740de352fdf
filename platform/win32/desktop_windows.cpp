// Win32 side of the desktop's top-level windows: EnumWindows through a
// trampoline, GetWindowTextA, and the program of a window's process from the
// system's process list.
#include "platform/desktop_windows.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

#include "platform/win32/exact_names.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

struct EnumerationContext {
  WindowVisitor visitor;
  void* context;
};

BOOL CALLBACK EnumerationTrampoline(HWND window, LPARAM parameter) {
  const EnumerationContext* enumeration = reinterpret_cast<const EnumerationContext*>(parameter);
  return enumeration->visitor(window, enumeration->context) != 0 ? TRUE : FALSE;
}

// The last component of a name that may carry a folder.
const wchar_t* LastComponent(const wchar_t* name) {
  const wchar_t* last = name;
  for (const wchar_t* at = name; *at != L'\0'; ++at) {
    if (*at == L'\\' || *at == L'/') last = at + 1;
  }
  return last;
}

}  // namespace

void EnumerateTopLevelWindows(WindowVisitor visitor, void* context) {
  EnumerationContext enumeration{visitor, context};
  ::EnumWindows(EnumerationTrampoline, reinterpret_cast<LPARAM>(&enumeration));
}

int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity) {
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  const int copied = ::GetWindowTextA(static_cast<HWND>(window), buffer, capacity);
  if (copied <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  return copied;
}

// The process list gives every process's image name on every system from
// XP on, needs no access to the process itself (another user's, an elevated
// or protected one) and holds the name in full, not cut short.
int ReadWindowProgramName(WindowHandle window, char* buffer, int32_t capacity) {
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  DWORD processId = 0;
  ::GetWindowThreadProcessId(static_cast<HWND>(window), &processId);
  if (processId == 0) return 0;
  win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID != processId) continue;
    // A name that fills the list's buffer without its zero was cut short.
    if (::wcsnlen(entry.szExeFile, MAX_PATH) == MAX_PATH) return 0;
    return win32::ExactAnsiName(LastComponent(entry.szExeFile), buffer, static_cast<uint32_t>(capacity));
  }
  return 0;
}

}  // namespace platform

// kv_planted: a stand-in for a library an attacker drops beside the setup
// program. Loading it is the event the security suite looks for: on process
// attach it appends one line (its own path and the program that loaded it)
// to the marker file named by KV_PLANT_MARKER, or to C:\kv-planted.txt when
// that is unset. It exports the folder functions the setup program looks up,
// so that a load of it by name would also look like a good find; both report
// failure and never touch their outputs.
#include <windows.h>

#include <cstring>

namespace {

constexpr const char* MARKER_VARIABLE = "KV_PLANT_MARKER";
constexpr const char* DEFAULT_MARKER = "C:\\kv-planted.txt";
// The folder functions' failure results (E_FAIL and FALSE).
constexpr HRESULT FOLDER_FAILED = static_cast<HRESULT>(0x80004005L);

void AppendMarker(HINSTANCE self) {
  char marker[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableA(MARKER_VARIABLE, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    std::strcpy(marker, DEFAULT_MARKER);
  }
  // Only kernel32 here: the loader lock is held during process attach.
  char line[2 * MAX_PATH + 8] = {};
  GetModuleFileNameA(self, line, MAX_PATH);
  std::strcat(line, " <- ");
  const size_t at = std::strlen(line);
  GetModuleFileNameA(nullptr, line + at, MAX_PATH);
  std::strcat(line, "\r\n");
  HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    AppendMarker(self);
  }
  return TRUE;
}

extern "C" HRESULT WINAPI KvPlantedGetFolderPathA(HWND, int, HANDLE, DWORD, LPSTR) {
  return FOLDER_FAILED;
}

extern "C" BOOL WINAPI KvPlantedGetSpecialFolderPathA(HWND, LPSTR, int, BOOL) { return FALSE; }

// As SETUPAPI.DLL: no device list, so nothing else is ever called with one.
extern "C" HANDLE WINAPI KvPlantedGetClassDevsA(const GUID*, LPCSTR, HWND, DWORD) { return INVALID_HANDLE_VALUE; }
extern "C" BOOL WINAPI KvPlantedEnumDeviceInterfaces(HANDLE, void*, const GUID*, DWORD, void*) { return FALSE; }
extern "C" BOOL WINAPI KvPlantedGetDeviceInterfaceDetailA(HANDLE, void*, void*, DWORD, DWORD*, void*) {
  return FALSE;
}
extern "C" BOOL WINAPI KvPlantedDestroyDeviceInfoList(HANDLE) { return FALSE; }

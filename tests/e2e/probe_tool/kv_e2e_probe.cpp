// kv_e2e_probe: the end-to-end suites' eyes inside a Wine prefix. A 32-bit
// console program, so it sees the machine exactly as the 32-bit setup
// program does (WoW64 redirection, program-files folder, registry view), and
// prints what it finds as key=value lines for the shell scripts to read.
//
//   kv_e2e_probe facts   the driver interface, the host kind and the folders
//   kv_e2e_probe lock    whether the setup program's single-instance lock exists
//   kv_e2e_probe machine-lock
//                        whether its machine-wide lock exists
//   kv_e2e_probe close   posts WM_CLOSE to every setup program window
//   kv_e2e_probe windows lists the top-level windows whose title begins with
//                        "Kelvane Brevik": class, title, visibility, client
//                        size, the client area's origin on the screen and
//                        the outer size
//   kv_e2e_probe metrics the system's non-client metrics: border width plus
//                        padded border width, and caption height
//
// Exit code 0 when the command ran, 2 for an unknown command.
#include <windows.h>
#include <setupapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace {

// The driver's device interface class, the setup program's lock and its
// window class: the names the setup program is known by from outside.
const GUID DRIVER_INTERFACE_CLASS = {0xBEEA29B0, 0xBBA7, 0x4A4B, {0x9D, 0xF1, 0x9D, 0x7B, 0x2C, 0x78, 0x9C, 0x46}};
constexpr const char* SETUP_MUTEX_NAME = "Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}";
constexpr const char* SETUP_MACHINE_MUTEX_NAME =
    "Global\\Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}-Machine";
constexpr const char* SETUP_WINDOW_CLASS = "KVBrevik0Installer0MainWindow0";
constexpr const char* PRODUCT_TITLE_PREFIX = "Kelvane Brevik";

constexpr const char* SHELL_FOLDERS_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

constexpr int EXIT_OK = 0;
constexpr int EXIT_USAGE = 2;

// Counts the interfaces of the driver's class that the device setup service
// lists with the given extra flags (DIGCF_PRESENT, or 0 for all of them);
// -1 when it gives no list at all.
int CountDriverInterfaces(DWORD extraFlags) {
  HDEVINFO list = SetupDiGetClassDevsA(&DRIVER_INTERFACE_CLASS, nullptr, nullptr, DIGCF_DEVICEINTERFACE | extraFlags);
  if (list == INVALID_HANDLE_VALUE) return -1;
  SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof data;
  int count = 0;
  while (SetupDiEnumDeviceInterfaces(list, nullptr, &DRIVER_INTERFACE_CLASS, static_cast<DWORD>(count), &data)) {
    ++count;
  }
  SetupDiDestroyDeviceInfoList(list);
  return count;
}

// The per-user Programs folder exactly where the setup program reads it: the
// "Programs" value of the user's Shell Folders key. Empty when absent.
void ReadUserProgramsValue(char* out, DWORD size) {
  out[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  DWORD type = 0;
  DWORD length = size - 1;
  if (RegQueryValueExA(key, "Programs", nullptr, &type, reinterpret_cast<BYTE*>(out), &length) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    length = 0;
  }
  out[length < size ? length : size - 1] = '\0';
  RegCloseKey(key);
}

void PrintSpecialFolder(const char* name, int csidl) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) path[0] = '\0';
  std::printf("%s=%s\n", name, path);
}

int PrintFacts() {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64)) wow64 = FALSE;
  // The registry value first: the shell calls below may write it themselves.
  char userPrograms[2048];
  ReadUserProgramsValue(userPrograms, sizeof userPrograms);

  std::printf("interfaces_present=%d\n", CountDriverInterfaces(DIGCF_PRESENT));
  std::printf("interfaces_all=%d\n", CountDriverInterfaces(0));
  std::printf("wow64=%d\n", wow64 ? 1 : 0);
  std::printf("user_programs=%s\n", userPrograms);
  PrintSpecialFolder("program_files", CSIDL_PROGRAM_FILES);
  PrintSpecialFolder("common_programs", CSIDL_COMMON_PROGRAMS);
  return EXIT_OK;
}

int PrintLock(const char* name, const char* key) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
  std::printf("%s=%d\n", key, mutex != nullptr ? 1 : 0);
  if (mutex != nullptr) CloseHandle(mutex);
  return EXIT_OK;
}

struct CloseCount {
  int windows = 0;
};

BOOL CALLBACK PostCloseToSetupWindow(HWND window, LPARAM param) {
  char className[128] = {};
  if (GetClassNameA(window, className, sizeof className) > 0 && std::strcmp(className, SETUP_WINDOW_CLASS) == 0 &&
      PostMessageA(window, WM_CLOSE, 0, 0)) {
    ++reinterpret_cast<CloseCount*>(param)->windows;
  }
  return TRUE;
}

int CloseSetupWindows() {
  CloseCount count;
  EnumWindows(PostCloseToSetupWindow, reinterpret_cast<LPARAM>(&count));
  std::printf("closed=%d\n", count.windows);
  return EXIT_OK;
}

BOOL CALLBACK PrintProductWindow(HWND window, LPARAM) {
  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  if (std::strncmp(title, PRODUCT_TITLE_PREFIX, std::strlen(PRODUCT_TITLE_PREFIX)) != 0) return TRUE;
  char className[128] = {};
  GetClassNameA(window, className, sizeof className);
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  RECT outer = {};
  GetWindowRect(window, &outer);
  std::printf("window=%s|%s|visible=%d|client=%ldx%ld|origin=%ld,%ld|outer=%ldx%ld\n", className, title,
              IsWindowVisible(window) ? 1 : 0, client.right - client.left, client.bottom - client.top, origin.x,
              origin.y, outer.right - outer.left, outer.bottom - outer.top);
  return TRUE;
}

int PrintNonClientMetrics() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    std::printf("nc_metrics=0\n");
    return EXIT_OK;
  }
  std::printf("nc_metrics=1\nnc_border=%d\nnc_caption=%d\n", metrics.iBorderWidth + metrics.iPaddedBorderWidth,
              metrics.iCaptionHeight);
  return EXIT_OK;
}

int PrintProductWindows() {
  EnumWindows(PrintProductWindow, 0);
  return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "facts") == 0) return PrintFacts();
  if (argc == 2 && std::strcmp(argv[1], "lock") == 0) return PrintLock(SETUP_MUTEX_NAME, "lock_held");
  if (argc == 2 && std::strcmp(argv[1], "machine-lock") == 0) {
    return PrintLock(SETUP_MACHINE_MUTEX_NAME, "machine_lock_held");
  }
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) return CloseSetupWindows();
  if (argc == 2 && std::strcmp(argv[1], "windows") == 0) return PrintProductWindows();
  if (argc == 2 && std::strcmp(argv[1], "metrics") == 0) return PrintNonClientMetrics();
  std::fprintf(stderr, "usage: kv_e2e_probe facts|lock|machine-lock|close|windows|metrics\n");
  return EXIT_USAGE;
}

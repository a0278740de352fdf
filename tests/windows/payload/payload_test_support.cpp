// Helpers of the sample-payload tests (see payload_test_support.h). The
// identifiers here are written out again rather than taken from the tool's
// headers, so that a tool that drifts from its documented interface fails.
#include "tests/windows/payload/payload_test_support.h"

#include <setupapi.h>

#include <vector>

namespace payload_test {
namespace {

const GUID MEDIA_CLASS = {0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID DRIVER_CLASS = {0xbeea29b0, 0xbba7, 0x4a4b, {0x9d, 0xf1, 0x9d, 0x7b, 0x2c, 0x78, 0x9c, 0x46}};

constexpr const char* MARKER_KEY = "SOFTWARE\\Kelvane\\SONDREL_Setup";
constexpr const char* MARKER_VALUE = "RestartPending";
constexpr DWORD CHILD_TIMEOUT_MS = 60000;
constexpr DWORD NORMAL_PRIORITY = 0x20;  // the setup program's creation flags
constexpr DWORD STARTUP_INFO_SIZE = 68;  // the setup program's start-up record size

struct DeviceList {
  HDEVINFO handle;
  explicit DeviceList(HDEVINFO h) : handle(h) {}
  ~DeviceList() {
    if (handle != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(handle);
  }
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
};

struct Handle {
  HANDLE value = nullptr;
  ~Handle() {
    if (value != nullptr && value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
  void Close() {
    if (value != nullptr) CloseHandle(value);
    value = nullptr;
  }
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

RunResult Run(const std::string& application, const std::string& commandLine, int capture) {
  RunResult result;
  Handle readEnd;
  Handle writeEnd;
  STARTUPINFOA startup{};
  startup.cb = STARTUP_INFO_SIZE;
  if (capture) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (!CreatePipe(&readEnd.value, &writeEnd.value, &inheritable, 0)) return result;
    SetHandleInformation(readEnd.value, HANDLE_FLAG_INHERIT, 0);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.value;
    startup.hStdError = writeEnd.value;
  }
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  const std::string folder = FolderOf(application);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, capture ? TRUE : FALSE, NORMAL_PRIORITY,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return result;
  }
  result.started = 1;
  CloseHandle(process.hThread);
  if (capture) {
    writeEnd.Close();  // so that the read ends when the child's copy closes
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.value, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
  }
  if (WaitForSingleObject(process.hProcess, CHILD_TIMEOUT_MS) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 999);
  }
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace

std::string ToWindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string PayloadFile(const char* name) { return ToWindowsPath(std::string(KV_SAMPLE_PAYLOAD_DIR) + "/" + name); }

int RunsOnWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

int OnA64BitHost() { return sizeof(void*) == 8 || RunsOnWow64() ? 1 : 0; }

std::string HostToolPath() {
  return PayloadFile(RunsOnWow64() ? "SONDREL_Setup_x64.exe" : "SONDREL_Setup.exe");
}

RunResult RunAsSetupProgram(const std::string& application, const std::string& commandLine) {
  return Run(application, commandLine, 0);
}

RunResult RunCapturingOutput(const std::string& application, const std::string& commandLine) {
  return Run(application, commandLine, 1);
}

int CountInterfaces(DWORD extraFlags) {
  DeviceList list(SetupDiGetClassDevsA(&DRIVER_CLASS, nullptr, nullptr, DIGCF_DEVICEINTERFACE | extraFlags));
  if (list.handle == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  while (SetupDiEnumDeviceInterfaces(list.handle, nullptr, &DRIVER_CLASS, count, &data)) ++count;
  return count;
}

int CountPresentInterfaces() { return CountInterfaces(DIGCF_PRESENT); }

int CountAllDevices() {
  DeviceList list(SetupDiGetClassDevsA(&DRIVER_CLASS, nullptr, nullptr, DIGCF_DEVICEINTERFACE));
  if (list.handle == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  while (SetupDiEnumDeviceInfo(list.handle, count, &device)) ++count;
  return count;
}

int ProbeFirstPresentInterface() {
  DeviceList list(SetupDiGetClassDevsA(&DRIVER_CLASS, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (list.handle == INVALID_HANDLE_VALUE) return 0;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  if (!SetupDiEnumDeviceInterfaces(list.handle, nullptr, &DRIVER_CLASS, 0, &data)) return 0;
  DWORD needed = 0;
  SetupDiGetDeviceInterfaceDetailA(list.handle, &data, nullptr, 0, &needed, nullptr);
  if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return 0;
  std::vector<char> storage(needed);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!SetupDiGetDeviceInterfaceDetailA(list.handle, &data, detail, needed, nullptr, nullptr)) return 0;
  const HANDLE device = CreateFileA(detail->DevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_COMPRESSED, nullptr);
  if (device == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(device);
  return 2;
}

int CreateUnlinkedLeftoverDevice() {
  DeviceList list(SetupDiCreateDeviceInfoList(&MEDIA_CLASS, nullptr));
  if (list.handle == INVALID_HANDLE_VALUE) return 0;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  return SetupDiCreateDeviceInfoA(list.handle, "MEDIA", &MEDIA_CLASS, "leftover", nullptr, DICD_GENERATE_ID,
                                  &device) &&
         SetupDiRegisterDeviceInfo(list.handle, &device, 0, nullptr, nullptr, nullptr) &&
         SetupDiCreateDeviceInterfaceA(list.handle, &device, &DRIVER_CLASS, "Mireline", 0, &data);
}

int SetRestartMarker(DWORD value, REGSAM view) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, MARKER_KEY, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return 0;
  }
  const LONG status =
      RegSetValueExA(key, MARKER_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void ClearRestartMarker(REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MARKER_KEY, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, MARKER_VALUE);
  RegCloseKey(key);
}

}  // namespace payload_test

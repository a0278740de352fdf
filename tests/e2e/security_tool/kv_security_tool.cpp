// kv_security_tool: the security suite's hands inside a Wine prefix. A 32-bit
// console program, so it loads libraries, reads the registry and starts
// programs the way the 32-bit setup program does; it prints key=value lines.
//
//   kv_security_tool load NAME             LoadLibraryA(NAME) with the plain
//                                          search order: loaded=<path of the
//                                          module>, or loaded= when none
//   kv_security_tool parse ROOT KEY VALUE  the command text of a registry
//                                          value (ROOT HKLM or HKCU, 32-bit
//                                          view) as the system splits it:
//                                          command=, argc=, arg0=, arg1=, ...
//   kv_security_tool start ROOT KEY VALUE  starts that command text with
//                                          CreateProcessA, suspended, prints
//                                          image=<the program the system
//                                          chose> and ends it unrun
//
// Exit code 0 when the command ran, 1 when the value could not be read or
// the process not started, 2 for a wrong command line.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;
constexpr DWORD VALUE_SIZE = 4096;
constexpr DWORD WAIT_END_MS = 10000;

std::string Narrow(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) {
    return std::string();
  }
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

// The text of a REG_SZ value in this program's own view, which is the setup
// program's (both are built alike: the 32-bit view, but for the 64-bit test
// build); false when the key or value is missing or not text.
bool ReadValue(const char* root, const char* key, const char* value, std::string& out) {
  HKEY rootKey = nullptr;
  if (std::strcmp(root, "HKLM") == 0) {
    rootKey = HKEY_LOCAL_MACHINE;
  } else if (std::strcmp(root, "HKCU") == 0) {
    rootKey = HKEY_CURRENT_USER;
  } else {
    return false;
  }
  HKEY opened = nullptr;
  if (RegOpenKeyExA(rootKey, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return false;
  }
  char data[VALUE_SIZE] = {};
  DWORD type = 0;
  DWORD size = VALUE_SIZE - 1;
  const LONG result =
      RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  out = data;
  return true;
}

int Load(const char* name) {
  HMODULE module = LoadLibraryA(name);
  char path[MAX_PATH + 1] = {};
  if (module != nullptr) {
    GetModuleFileNameA(module, path, MAX_PATH);
  }
  std::printf("loaded=%s\n", path);
  if (module != nullptr) {
    FreeLibrary(module);
  }
  return EXIT_OK;
}

int Parse(const std::string& command) {
  std::printf("command=%s\n", command.c_str());
  const int wideSize = MultiByteToWideChar(CP_ACP, 0, command.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_ACP, 0, command.c_str(), -1, wide.data(), wideSize);
  int count = 0;
  wchar_t** args = CommandLineToArgvW(wide.c_str(), &count);
  if (args == nullptr) {
    return EXIT_FAILED;
  }
  std::printf("argc=%d\n", count);
  for (int i = 0; i < count; ++i) {
    std::printf("arg%d=%s\n", i, Narrow(args[i]).c_str());
  }
  LocalFree(args);
  return EXIT_OK;
}

int Start(std::string command) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &process)) {
    std::printf("image=\nerror=%lu\n", GetLastError());
    return EXIT_FAILED;
  }
  char image[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  QueryFullProcessImageNameA(process.hProcess, 0, image, &size);
  std::printf("image=%s\n", image);
  // Never let the chosen program run: it may be the planted one.
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, WAIT_END_MS);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "load") == 0) {
    return Load(argv[2]);
  }
  if (argc == 5 && (std::strcmp(argv[1], "parse") == 0 || std::strcmp(argv[1], "start") == 0)) {
    std::string command;
    if (!ReadValue(argv[2], argv[3], argv[4], command)) {
      std::printf("command=\n");
      return EXIT_FAILED;
    }
    return std::strcmp(argv[1], "parse") == 0 ? Parse(command) : Start(command);
  }
  std::fprintf(stderr, "usage: kv_security_tool load NAME | parse|start HKLM|HKCU KEY VALUE\n");
  return EXIT_USAGE;
}

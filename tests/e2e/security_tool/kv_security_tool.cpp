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
//   kv_security_tool link KEY TARGET       makes HKCU\KEY a registry link
//                                          (REG_OPTION_CREATE_LINK) to the
//                                          native key path TARGET, such as
//                                          \Registry\Machine\SOFTWARE\X
//   kv_security_tool text KEY VALUE HEX    stores under HKCU\KEY the REG_SZ
//                                          VALUE whose UTF-8 text is HEX,
//                                          through the UTF-16 call, so that
//                                          it may hold what no ANSI text can
//   kv_security_tool short PATH            short=<the 8.3 form of PATH>
//
// Exit code 0 when the command ran, 1 when the value could not be read or
// the process not started, 2 for a wrong command line.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
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

std::wstring Widen(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), size);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

int MakeLink(const char* key, const char* target) {
  HKEY link = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr) != ERROR_SUCCESS) {
    return EXIT_FAILED;
  }
  const std::wstring path = Widen(target);
  const LONG set = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                  reinterpret_cast<const BYTE*>(path.c_str()),
                                  static_cast<DWORD>(path.size() * sizeof(wchar_t)));
  RegCloseKey(link);
  return set == ERROR_SUCCESS ? EXIT_OK : EXIT_FAILED;
}

int StoreText(const char* key, const char* value, const char* hex) {
  std::string utf8;
  for (const char* at = hex; at[0] != '\0' && at[1] != '\0'; at += 2) {
    const char pair[3] = {at[0], at[1], '\0'};
    utf8 += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  const std::wstring text = Widen(utf8);
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return EXIT_FAILED;
  }
  const LONG set = RegSetValueExW(opened, Widen(value).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return set == ERROR_SUCCESS ? EXIT_OK : EXIT_FAILED;
}

int ShortName(const char* path) {
  char shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
  std::printf("short=%s\n", length > 0 && length < MAX_PATH ? shortPath : "");
  return length > 0 && length < MAX_PATH ? EXIT_OK : EXIT_FAILED;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "short") == 0) {
    return ShortName(argv[2]);
  }
  if (argc == 4 && std::strcmp(argv[1], "link") == 0) {
    return MakeLink(argv[2], argv[3]);
  }
  if (argc == 5 && std::strcmp(argv[1], "text") == 0) {
    return StoreText(argv[2], argv[3], argv[4]);
  }
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

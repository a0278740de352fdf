// kv_e2e_fault: makes the faults that the end-to-end fault suites put in the
// setup program's way, from inside a Wine prefix, where the suites run as
// root and Wine therefore enforces neither file permissions nor registry
// access rights. A 32-bit console program, so it sees the registry view and
// the folders that the 32-bit setup program sees.
//
//   kv_e2e_fault hold FILE      opens FILE for reading with no sharing at all
//                               (as a program that keeps its data file open
//                               exclusively), prints "held=1" and keeps the
//                               handle until it is killed: no other opener
//                               may write, replace or delete the file
//   kv_e2e_fault hold-shared FILE
//                               the same with every sharing allowed (as a
//                               scanner that reads files other programs use):
//                               a deletion succeeds but leaves the name in
//                               place, pending, until the handle is closed
//   kv_e2e_fault idle           prints "idle=1" and waits until it is killed;
//                               copied into a folder and started from there,
//                               it is a program whose file is in use
//   kv_e2e_fault volatile-key SUBKEY
//                               creates HKEY_LOCAL_MACHINE\SUBKEY in this
//                               program's own view, which is the setup
//                               program's (built alike: the 32-bit view,
//                               but for the 64-bit test build), as a
//                               volatile key; the system then
//                               refuses to create any non-volatile key below
//                               it. Prints "volatile=1", or "volatile=0" and
//                               the error when the key existed already (as
//                               an ordinary key) or could not be made
//   kv_e2e_fault hold-mutex NAME
//                               creates the mutex NAME, owned, prints
//                               "held=1" and keeps it until it is killed: a
//                               copy of the setup program in another session
//                               holding that lock
//   kv_e2e_fault deny-mutex NAME
//                               the same with a mutex whose access list grants
//                               nobody anything, so that no other program
//                               may open it
//   kv_e2e_fault window TITLE   opens a top-level window titled TITLE, as
//                               another program's (an editor showing a file
//                               named after the product), prints "window=1"
//                               and runs until the window is destroyed or a
//                               destroy request is posted to it
//
// Exit code 0 when the command did what it says, 1 when it failed, 2 for an
// unknown command. The printed lines end in "\n" and are flushed at once, so
// a suite that starts a command in the background can wait for them.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

// Keeps running until the process is killed from outside.
[[noreturn]] void WaitForever() {
  for (;;) Sleep(INFINITE);
}

// Holds `path` open for reading with the given share mode until killed.
int HoldFile(const char* path, DWORD shareMode) {
  HANDLE file = CreateFileA(path, GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("held=0 error=%lu\n", GetLastError());
    return EXIT_FAILED;
  }
  Say("held=1");
  WaitForever();
}

int MakeVolatileKey(const char* subKey) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key, &disposition);
  if (created != ERROR_SUCCESS) {
    std::printf("volatile=0 error=%ld\n", created);
    return EXIT_FAILED;
  }
  RegCloseKey(key);
  // An existing key keeps its kind: only a key made here is volatile.
  if (disposition != REG_CREATED_NEW_KEY) {
    Say("volatile=0 existed");
    return EXIT_FAILED;
  }
  Say("volatile=1");
  return EXIT_OK;
}

// Holds the mutex `name` until killed; with `denyAll`, behind an access list
// without entries.
int HoldMutex(const char* name, bool denyAll) {
  SECURITY_DESCRIPTOR descriptor;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  ACL emptyList;
  if (denyAll && (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
                  !InitializeAcl(&emptyList, sizeof emptyList, ACL_REVISION) ||
                  !SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyList, FALSE))) {
    std::printf("held=0 error=%lu\n", GetLastError());
    return EXIT_FAILED;
  }
  HANDLE mutex = CreateMutexA(denyAll ? &attributes : nullptr, TRUE, name);
  if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
    std::printf("held=0 error=%lu\n", GetLastError());
    return EXIT_FAILED;
  }
  Say("held=1");
  WaitForever();
}

LRESULT CALLBACK ForeignWindowProcedure(HWND window, UINT message, WPARAM first, LPARAM second) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, first, second);
}

int RunForeignWindow(const char* title) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ForeignWindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "KvE2eForeignWindow";
  if (RegisterClassA(&windowClass) == 0 ||
      CreateWindowExA(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                      windowClass.hInstance, nullptr) == nullptr) {
    std::printf("window=0 error=%lu\n", GetLastError());
    return EXIT_FAILED;
  }
  Say("window=1");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
  // Share mode 0: while this handle is open, every further open of the file
  // (for writing, replacing or deleting it) fails with a sharing violation.
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return HoldFile(argv[2], 0);
  // Every sharing allowed: others may open, write and delete the file, but a
  // deletion only takes the name away once this handle is closed.
  if (argc == 3 && std::strcmp(argv[1], "hold-shared") == 0) {
    return HoldFile(argv[2], FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  }
  if (argc == 2 && std::strcmp(argv[1], "idle") == 0) {
    Say("idle=1");
    WaitForever();
  }
  if (argc == 3 && std::strcmp(argv[1], "volatile-key") == 0) return MakeVolatileKey(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "hold-mutex") == 0) return HoldMutex(argv[2], false);
  if (argc == 3 && std::strcmp(argv[1], "deny-mutex") == 0) return HoldMutex(argv[2], true);
  if (argc == 3 && std::strcmp(argv[1], "window") == 0) return RunForeignWindow(argv[2]);
  std::fprintf(stderr,
               "usage: kv_e2e_fault hold FILE | hold-shared FILE | idle | volatile-key SUBKEY | hold-mutex NAME |"
               " deny-mutex NAME | window TITLE\n");
  return EXIT_USAGE;
}

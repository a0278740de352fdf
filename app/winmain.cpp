// The Windows entry of BrevikSetup.exe: hands the command line's tail to the
// portable start-up and ends the process with what it answers.
#include <windows.h>

#include "app/application_main.h"
#include "app/parse_options.h"

namespace {

// A setup program is typically started from a downloads folder, where anyone
// may have left a DLL named like one the system loads on the program's
// behalf. Libraries loaded by bare name (by the program or by system
// libraries for it) are therefore looked up in the system folder only, and
// never in the current folder. SetDefaultDllDirectories came with an update
// to Windows 7, so it is looked up rather than imported; where it is missing,
// SetDllDirectoryA("") still takes the current folder out of the search, but
// the program's own folder is still searched first. The program therefore
// imports only known DLLs and loads any other library by its system path.
void RestrictLibrarySearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto setDefault = kernel != nullptr
                              ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                                    reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                              : nullptr;
  if (setDefault != nullptr) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  ::SetDllDirectoryA("");
}

}  // namespace

// The command line the C runtime passes is not used: the tail is cut from
// the system's own line by the program's rule. The previous instance and the
// show state are not used either.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  return app::ApplicationMain(instance, app::CommandLineTail(::GetCommandLineA()));
}

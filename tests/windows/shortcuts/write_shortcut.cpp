// Writes one shortcut for the check by an independent .lnk reader:
//   write_shortcut FOLDER
// makes FOLDER\Dir\App.exe and writes FOLDER\Menu\Brevik.LNK to it with the
// arguments "-k". Exit code 0 when the shortcut was written.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "setup/shortcuts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_shortcut FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string dir = folder + "\\Dir";
  const std::string menu = folder + "\\Menu";
  const std::string target = dir + "\\App.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA(menu.c_str(), nullptr);
  HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot create %s\n", target.c_str());
    return 1;
  }
  CloseHandle(file);

  // A file left by an earlier run must not pass for this run's.
  DeleteFileA((menu + "\\Brevik.LNK").c_str());
  if (FAILED(CoInitialize(nullptr))) return 1;
  platform::ComResult result = setup::CreateShortcut(target.c_str(), menu.c_str(), "Brevik", "-k");
  CoUninitialize();
  if (result != platform::COM_S_OK) {
    std::fprintf(stderr, "CreateShortcut: 0x%08lx\n", static_cast<unsigned long>(result));
    return 1;
  }
  return 0;
}

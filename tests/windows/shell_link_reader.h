// Reads a shortcut file back through the shell's own link object, for the
// Windows tests that check what the setup program wrote.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

#include <string>

namespace wintest {

struct LinkSettings {
  HRESULT loaded = E_FAIL;
  std::string path;
  std::string description;
  std::string arguments;
  std::string workingDirectory;
};

// Loads `file` with a fresh link object and reads its settings. The calling
// thread must have initialised COM; `loaded` says whether the load worked.
inline LinkSettings ReadLink(const std::string& file) {
  LinkSettings settings;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return settings;
  }
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    std::wstring wide(file.begin(), file.end());
    settings.loaded = persist->Load(wide.c_str(), STGM_READ);
    char text[MAX_PATH * 4];
    text[0] = '\0';
    link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    settings.path = text;
    text[0] = '\0';
    link->GetDescription(text, sizeof text);
    settings.description = text;
    text[0] = '\0';
    link->GetArguments(text, sizeof text);
    settings.arguments = text;
    text[0] = '\0';
    link->GetWorkingDirectory(text, sizeof text);
    settings.workingDirectory = text;
    persist->Release();
  }
  link->Release();
  return settings;
}

}  // namespace wintest

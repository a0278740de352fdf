// The shell link object of the platform seam over the shell's COM object:
// IShellLinkA for the settings, IPersistFile for the save.
#include "platform/shell_link.h"

#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

#include "platform/win32/win32_handles.h"

namespace platform {
namespace {

constexpr DWORD IN_PROCESS_SERVER = 1;  // CLSCTX_INPROC_SERVER
constexpr UINT ANSI_CODE_PAGE = 0;      // CP_ACP

GUID ToGuid(const ComGuid& id) {
  GUID guid;
  guid.Data1 = id.data1;
  guid.Data2 = id.data2;
  guid.Data3 = id.data3;
  for (int i = 0; i < 8; ++i) guid.Data4[i] = id.data4[i];
  return guid;
}

IShellLinkA* AsLink(ShellLinkId link) { return static_cast<IShellLinkA*>(link); }
IPersistFile* AsFile(PersistFileId file) { return static_cast<IPersistFile*>(file); }

}  // namespace

void ReleaseShellLink(ShellLinkId link) {
  win32::KeepingLastError([link] { AsLink(link)->Release(); });
}

void ReleasePersistFile(PersistFileId file) {
  win32::KeepingLastError([file] { AsFile(file)->Release(); });
}

ComResult CreateShellLink(ShellLink& link) {
  const GUID classId = ToGuid(CLSID_SHELL_LINK);
  const GUID interfaceId = ToGuid(IID_SHELL_LINK_A);
  void* object = nullptr;
  HRESULT result = CoCreateInstance(classId, nullptr, IN_PROCESS_SERVER, interfaceId, &object);
  if (SUCCEEDED(result)) link.Reset(object);
  return result;
}

ComResult SetShellLinkPath(ShellLinkId link, const char* targetPath) {
  return AsLink(link)->SetPath(targetPath);
}

ComResult SetShellLinkDescription(ShellLinkId link, const char* description) {
  return AsLink(link)->SetDescription(description);
}

ComResult SetShellLinkArguments(ShellLinkId link, const char* arguments) {
  return AsLink(link)->SetArguments(arguments);
}

ComResult SetShellLinkWorkingDirectory(ShellLinkId link, const char* folder) {
  return AsLink(link)->SetWorkingDirectory(folder);
}

ComResult QueryShellLinkPersistFile(ShellLinkId link, PersistFile& file) {
  const GUID interfaceId = ToGuid(IID_PERSIST_FILE);
  void* object = nullptr;
  HRESULT result = AsLink(link)->QueryInterface(interfaceId, &object);
  if (SUCCEEDED(result)) file.Reset(object);
  return result;
}

ComResult SavePersistFile(PersistFileId file, const char* path) {
  WCHAR widePath[SHELL_LINK_PATH_CAPACITY];
  if (MultiByteToWideChar(ANSI_CODE_PAGE, 0, path, -1, widePath, SHELL_LINK_PATH_CAPACITY) == 0) {
    return HRESULT_FROM_WIN32(GetLastError());
  }
  return AsFile(file)->Save(widePath, TRUE);
}

}  // namespace platform

// The shell link object of the platform seam: create the object, hand it the
// four settings of a shortcut, and save it to a file through its persist-file
// interface. The Windows build uses the shell's COM object; the fake records.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// Status codes of the shell objects, as the system reports them (HRESULT).
using ComResult = int32_t;
inline constexpr ComResult COM_S_OK = 0;
inline constexpr ComResult COM_E_NOINTERFACE = static_cast<int32_t>(0x80004002);
inline constexpr ComResult COM_E_FAIL = static_cast<int32_t>(0x80004005);
inline constexpr ComResult COM_E_INVALIDARG = static_cast<int32_t>(0x80070057);
// What a thread that has not initialised COM gets from object creation.
inline constexpr ComResult COM_CO_E_NOTINITIALIZED = static_cast<int32_t>(0x800401F0);
// ERROR_FILENAME_EXCED_RANGE (206) as a status code: a path too long for the
// areas it has to pass through.
inline constexpr ComResult COM_E_FILENAME_TOO_LONG = static_cast<int32_t>(0x800700CE);

// True for success codes (severity bit clear), as SUCCEEDED() does.
inline constexpr bool ComSucceeded(ComResult code) { return code >= 0; }

// Identifiers of the shell link object and its two interfaces.
struct ComGuid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};
inline constexpr ComGuid CLSID_SHELL_LINK = {0x00021401, 0x0000, 0x0000,
                                      {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr ComGuid IID_SHELL_LINK_A = {0x000214EE, 0x0000, 0x0000,
                                      {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr ComGuid IID_PERSIST_FILE = {0x0000010B, 0x0000, 0x0000,
                                      {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Capacity of the UTF-16 area a shortcut file path is converted into, in
// characters, terminator included.
inline constexpr uint32_t SHELL_LINK_PATH_CAPACITY = 2048;

// Opaque interface pointers obtained through the seam.
using ShellLinkId = void*;
using PersistFileId = void*;

// Release one reference; used by ShellLink and PersistFile only.
void ReleaseShellLink(ShellLinkId link);
void ReleasePersistFile(PersistFileId file);

// Owns one reference to a shell link object (its 8-bit text interface).
using ShellLink = UniqueHandle<NullableHandleTraits<ShellLinkId, ReleaseShellLink>>;

// Owns one reference to the persist-file interface of a shell link object.
using PersistFile = UniqueHandle<NullableHandleTraits<PersistFileId, ReleasePersistFile>>;

// Creates a shell link object (in-process server, no outer object) and puts
// its 8-bit text interface into `link`, which must be empty. The calling
// thread must have initialised COM.
ComResult CreateShellLink(ShellLink& link);

// The four settings of a shortcut. A null text is handed on as it is.
ComResult SetShellLinkPath(ShellLinkId link, const char* targetPath);
ComResult SetShellLinkDescription(ShellLinkId link, const char* description);
ComResult SetShellLinkArguments(ShellLinkId link, const char* arguments);
ComResult SetShellLinkWorkingDirectory(ShellLinkId link, const char* folder);

// Asks `link` for its persist-file interface and puts it into `file`, which
// must be empty.
ComResult QueryShellLinkPersistFile(ShellLinkId link, PersistFile& file);

// Saves the link to the 8-bit path `path` (converted to UTF-16 with the ANSI
// code page; it must fit SHELL_LINK_PATH_CAPACITY characters) and makes that
// file the object's current file. An existing file is replaced.
ComResult SavePersistFile(PersistFileId file, const char* path);

}  // namespace platform

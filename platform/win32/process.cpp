// Win32 side of the process seam: CreateProcessA and the exit code.
#include "platform/process.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "platform/win32/sent_message_wait.h"

namespace platform {

// The start-up record is passed zeroed except for its size, 68 bytes in a
// 32-bit process.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68);

void CloseProcessHandle(void* process) {
  // Closing must not disturb the error value a caller may still read.
  DWORD lastError = ::GetLastError();
  ::CloseHandle(static_cast<HANDLE>(process));
  ::SetLastError(lastError);
}

int StartProcess(const char* application, const char* commandLine, const char* currentFolder,
                 UniqueProcess& process) {
  // CreateProcessA may write into the command line, so it gets a private
  // copy rather than the caller's (often constant) text.
  const size_t lineSize = std::strlen(commandLine) + 1;
  std::unique_ptr<char[]> line(new (std::nothrow) char[lineSize]);
  if (line == nullptr) return PROCESS_NOT_STARTED;
  std::memcpy(line.get(), commandLine, lineSize);

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;  // 68: no window placement is requested
  PROCESS_INFORMATION info;
  std::memset(&info, 0, sizeof info);

  if (!::CreateProcessA(application, line.get(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, currentFolder, &startup, &info)) {
    return PROCESS_NOT_STARTED;
  }
  if (info.hThread != nullptr) ::CloseHandle(info.hThread);
  if (info.hProcess == nullptr) return PROCESS_STARTED_WITHOUT_HANDLE;
  process.Reset(info.hProcess);
  return PROCESS_STARTED;
}

void WaitForProcess(const UniqueProcess& process) {
  win32::WaitAnsweringSentMessages(static_cast<HANDLE>(process.Get()));
}

int ReadProcessExitCode(const UniqueProcess& process, int32_t& exitCode) {
  DWORD code = 0;
  if (!::GetExitCodeProcess(static_cast<HANDLE>(process.Get()), &code)) return 0;
  exitCode = static_cast<int32_t>(code);
  return 1;
}

}  // namespace platform

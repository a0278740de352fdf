// Entry point of the stand-in driver-setup tool: reads the options from the
// whole command line, honours the restart marker, installs or removes the
// Mireline device and reports through its exit code (tool_codes.h).
//
// The tool is a GUI-subsystem program so that no console window appears when
// the setup program starts it. Its text output goes to the standard output it
// was given (a pipe, a file, or the shell's terminal under Wine) or, when it
// has none, to the console of the process that started it.
#include <windows.h>

#include "payload/setup_tool/mireline_device.h"
#include "payload/setup_tool/tool_exit_switches.h"
#include "payload/setup_tool/tool_codes.h"
#include "payload/setup_tool/tool_options.h"

namespace payload {
namespace {

constexpr DWORD MESSAGE_SIZE = 512;

int WriteAll(HANDLE out, const char* text) {
  const DWORD length = static_cast<DWORD>(lstrlenA(text));
  DWORD written = 0;
  return WriteFile(out, text, length, &written, nullptr) && written == length;
}

// Writes `text` to the standard output, or else to the parent's console.
void Print(const char* text) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE && WriteAll(out, text)) return;
  // A GUI program started from a console gets no standard handles: borrow
  // the starting process's console, if it has one, for this one write.
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  const HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
  if (console != INVALID_HANDLE_VALUE) {
    WriteAll(console, text);
    CloseHandle(console);
  }
  FreeConsole();
}

// The result line of an install or uninstall run that was not hidden.
void Report(int action, int code, const DeviceReport& report) {
  char message[MESSAGE_SIZE];
  if (code == TOOL_EXIT_RESTART_PENDING && action == TOOL_ACTION_INSTALL) {
    wsprintfA(message, "A restart is pending (%s\\%s): restart the system first; nothing was changed.\r\n",
              RESTART_MARKER_KEY, RESTART_MARKER_VALUE);
  } else if (code == TOOL_EXIT_RESTART_PENDING) {
    wsprintfA(message,
              "A restart is pending (%s\\%s): removed %d device(s) of the %s, unlinked %d; "
              "the removal finishes at the restart.\r\n",
              RESTART_MARKER_KEY, RESTART_MARKER_VALUE, report.removedDevices, DEVICE_DESCRIPTION,
              report.unlinkedDevices);
  } else if (code != TOOL_EXIT_OK) {
    wsprintfA(message, "%s failed with exit code %d (system error %lu).\r\n",
              action == TOOL_ACTION_INSTALL ? "Install" : "Uninstall", code, report.systemError);
  } else if (action == TOOL_ACTION_INSTALL && report.alreadyPresent) {
    wsprintfA(message, "The %s is already installed.\r\n", DEVICE_DESCRIPTION);
  } else if (action == TOOL_ACTION_INSTALL) {
    wsprintfA(message, "The %s is installed (%d unlinked leftover device(s) removed first).\r\n",
              DEVICE_DESCRIPTION, report.removedDevices);
  } else {
    wsprintfA(message, "Removed %d device(s) of the %s.\r\n", report.removedDevices, DEVICE_DESCRIPTION);
  }
  Print(message);
}

int RunTool(const char* commandLine) {
  const ToolOptions options = ParseToolCommandLine(commandLine);
  if (options.action == TOOL_ACTION_HELP) {
    Print(ToolUsageText());
    return TOOL_EXIT_OK;
  }
  if (options.action == TOOL_ACTION_USAGE_ERROR) {
    if (!options.hidden) Print(ToolUsageText());
    return TOOL_EXIT_USAGE;
  }

  DeviceReport report;
  int code = TOOL_EXIT_RESTART_PENDING;
  if (!RestartPending()) {
    code = options.action == TOOL_ACTION_INSTALL ? InstallMirelineDevice(report)
                                                 : RemoveMirelineDevices(report, REMOVE_NOW_ONLY);
  } else if (options.action == TOOL_ACTION_UNINSTALL) {
    // The setup program deletes this tool with the other files once it
    // returns: "nothing done" here would leave a driver that nothing can
    // remove. So the device goes now, or stops counting as installed, and
    // exit code 1 says that the removal finishes at the restart.
    code = RemoveMirelineDevices(report, UNLINK_WHAT_STAYS);
    if (code == TOOL_EXIT_OK) code = TOOL_EXIT_RESTART_PENDING;
  }
  if (!options.hidden) Report(options.action, code, report);
  return code;
}

}  // namespace
}  // namespace payload

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int code = payload::RunTool(GetCommandLineA());
  payload::DelayExitIfAsked();
  payload::BroadcastSettingChangeIfAsked();
  return code;
}

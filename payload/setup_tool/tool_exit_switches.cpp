// The stand-in tool's switches for tests (tool_exit_switches.h).
#include "payload/setup_tool/tool_exit_switches.h"

#include <windows.h>

#include "payload/setup_tool/tool_codes.h"

namespace payload {
namespace {

// The DWORD `name` under the marker's key; 0 when it is not there as one.
DWORD ReadSwitch(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RESTART_MARKER_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS) {
    return 0;
  }
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  const LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : 0;
}

}  // namespace

void BroadcastSettingChangeIfAsked() {
  // No time limit on purpose: a window whose thread answers no sent message
  // holds the tool here for ever, as it would hold a real tool.
  if (ReadSwitch(BROADCAST_SWITCH_VALUE) != 0) SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0);
}

void DelayExitIfAsked() {
  const DWORD milliseconds = ReadSwitch(DELAY_SWITCH_VALUE);
  if (milliseconds != 0) Sleep(milliseconds);
}

}  // namespace payload

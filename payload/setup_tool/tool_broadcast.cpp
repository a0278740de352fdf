// The stand-in tool's settings broadcast (tool_broadcast.h).
#include "payload/setup_tool/tool_broadcast.h"

#include <windows.h>

#include "payload/setup_tool/tool_codes.h"

namespace payload {
namespace {

int BroadcastSwitchSet() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RESTART_MARKER_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS) {
    return 0;
  }
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  const LONG read = RegQueryValueExA(key, BROADCAST_SWITCH_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                     &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

}  // namespace

void BroadcastSettingChangeIfAsked() {
  // No time limit on purpose: a window whose thread answers no sent message
  // holds the tool here for ever, as it would hold a real tool.
  if (BroadcastSwitchSet()) SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0);
}

}  // namespace payload

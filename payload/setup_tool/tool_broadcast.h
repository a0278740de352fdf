// The stand-in tool's settings broadcast: on request, the tool tells every
// top-level window that a setting changed before it exits, as real device
// and settings tools do, so that tests can check that the setup program's
// waits for it keep answering sent messages.
#pragma once

namespace payload {

// Switch: a DWORD value under the restart marker's key (tool_codes.h), read
// through the 32-bit registry view by both builds. Any non-zero DWORD asks
// for the broadcast; a missing key or value, or another type, does not.
inline constexpr const char* BROADCAST_SWITCH_VALUE = "BroadcastBeforeExit";

// When the switch is set, sends WM_SETTINGCHANGE (both parameters 0) to
// every top-level window and returns once each has answered: SendMessage to
// HWND_BROADCAST, without a time limit. Otherwise does nothing.
void BroadcastSettingChangeIfAsked();

}  // namespace payload

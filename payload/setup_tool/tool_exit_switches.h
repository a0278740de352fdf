// The stand-in tool's switches for tests, both acted on just before the tool
// exits: a settings broadcast, as real device and settings tools send, so
// that tests can check that the setup program's waits for the tool keep
// answering sent messages; and a pause, so that tests can reach the setup
// program while it waits for a slow tool.
#pragma once

namespace payload {

// Switches: DWORD values under the restart marker's key (tool_codes.h), read
// through the 32-bit registry view by both builds. A missing key or value,
// or another type, leaves the switch off.
//
// Any non-zero DWORD asks for the broadcast.
inline constexpr const char* BROADCAST_SWITCH_VALUE = "BroadcastBeforeExit";
// The pause in milliseconds; 0 for none.
inline constexpr const char* DELAY_SWITCH_VALUE = "DelayBeforeExit";

// When the broadcast switch is set, sends WM_SETTINGCHANGE (both parameters
// 0) to every top-level window and returns once each has answered:
// SendMessage to HWND_BROADCAST, without a time limit. Otherwise does
// nothing.
void BroadcastSettingChangeIfAsked();

// Sleeps for the milliseconds the delay switch holds, if any.
void DelayExitIfAsked();

}  // namespace payload

// Exit codes and fixed identifiers of the stand-in driver-setup tool
// (SONDREL_Setup.exe / SONDREL_Setup_x64.exe). The setup program reads only
// exit code 1; the others tell a person or a test what went wrong.
#pragma once

namespace payload {

// Exit codes. Never renumber: tests and payload/README.md rely on them.
inline constexpr int TOOL_EXIT_OK = 0;                     // the requested change is done (or was already so)
inline constexpr int TOOL_EXIT_RESTART_PENDING = 1;        // restart marker set: install did nothing; uninstall
                                                           // removed (or unlinked) the device, done at the restart
inline constexpr int TOOL_EXIT_USAGE = 2;                  // command line not understood
inline constexpr int TOOL_EXIT_DEVICE_LIST_FAILED = 3;     // the device setup service gave no device list
inline constexpr int TOOL_EXIT_DEVICE_REGISTER_FAILED = 4; // the device could not be created or registered
inline constexpr int TOOL_EXIT_INTERFACE_FAILED = 5;       // the device interface could not be created or linked
inline constexpr int TOOL_EXIT_DEVICE_REMOVE_FAILED = 6;   // a device of the interface class could not be removed

// Restart marker: a DWORD value under HKEY_LOCAL_MACHINE, read through the
// 32-bit registry view by both builds, so that one `reg add ... /reg:32`
// reaches the 32-bit and the 64-bit tool alike. Any non-zero DWORD means that
// a restart is pending; a missing key or value, or another type, means none.
inline constexpr const char* RESTART_MARKER_KEY = "SOFTWARE\\Kelvane\\SONDREL_Setup";
inline constexpr const char* RESTART_MARKER_VALUE = "RestartPending";

// The device the tool registers: a root-enumerated device of the media class
// with one interface of the driver's interface class, under this reference
// string.
inline constexpr const char* DEVICE_REFERENCE_STRING = "Mireline";
inline constexpr const char* DEVICE_DESCRIPTION = "Mireline Virtual Audio Device";
inline constexpr const char* DEVICE_MANUFACTURER = "Kelvane";
// Hardware identifier list (REG_MULTI_SZ): one identifier, then the list end.
inline constexpr char DEVICE_HARDWARE_ID[] = "Root\\Mireline\0";

}  // namespace payload

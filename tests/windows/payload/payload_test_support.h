// Helpers of the sample-payload tests: where the built files are, running a
// program the way the setup program runs the driver-setup tool, and the
// device queries the setup program's probe makes.
#pragma once

#include <windows.h>

#include <string>

namespace payload_test {

// The sample payload folder (build tree, Unix path from the build) and a
// file in it, as a Windows path: Wine maps the Unix root as drive Z:.
std::string ToWindowsPath(const std::string& unixPath);
std::string PayloadFile(const char* name);

// 1 when this 32-bit test runs under a 64-bit host (a 64-bit Wine prefix).
int RunsOnWow64();

// 1 on a 64-bit host: under WoW64, or as the 64-bit test build (which runs
// in 64-bit prefixes only).
int OnA64BitHost();

// The driver-setup tool build the setup program would pick on this host.
std::string HostToolPath();

// What a child process did.
struct RunResult {
  int started = 0;     // 1 when CreateProcessA succeeded
  DWORD exitCode = 0;  // valid when started
  std::string output;  // standard output and error, when captured
};

// Starts `application` with exactly `commandLine` (not prefixed with the
// application name) as the setup program does: no handle inheritance,
// normal priority class, zeroed start-up information, the application's
// folder as current folder; waits up to a minute and reads the exit code.
RunResult RunAsSetupProgram(const std::string& application, const std::string& commandLine);

// Like RunAsSetupProgram, but with standard output and error going to a pipe
// whose text is returned in `output`.
RunResult RunCapturingOutput(const std::string& application, const std::string& commandLine);

// Device queries on the driver's interface class
// {BEEA29B0-BBA7-4A4B-9DF1-9D7B2C789C46}. -1 when the device list cannot be
// had.
int CountInterfaces(DWORD extraFlags);  // DIGCF_DEVICEINTERFACE | extraFlags
int CountPresentInterfaces();           // extraFlags = DIGCF_PRESENT
int CountAllDevices();                  // devices exposing an interface of the class, present or not

// The setup program's probe: opens the first present interface's device
// path. 0: no present interface; 1: present and the open failed (what the
// stand-in device gives); 2: present and the open succeeded.
int ProbeFirstPresentInterface();

// Registers a device of the media class with an interface of the driver's
// class but does not link it, as an interrupted install would leave it.
// Returns 1 on success.
int CreateUnlinkedLeftoverDevice();

// Sets (value given) or removes (no value) the restart marker in the 32-bit
// or 64-bit registry view. Returns 1 on success.
int SetRestartMarker(DWORD value, REGSAM view);
void ClearRestartMarker(REGSAM view);

}  // namespace payload_test

// Control of the fakes of the seams the setup log works with (log_file.h,
// environment.h, clock.h, system_error.h, and QueryElevation and
// QueryHostMachine of system.h),
// in the host build: the environment, log files held in memory (apart from
// the fake file system), links and hard links to refuse, a set clock,
// elevation, and the last system error with its message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/log_file.h"

namespace platform::fake {

// No variables, no log files, not elevated, the clock at
// 2026-12-09T01:02:03.456Z, the counter at 0 moving 0 per read, last error
// 0, no error messages, writes succeed. Part of fake::Reset; a test calls it
// alone to start its next case afresh.
void ResetLogFiles();

void SetEnvironmentText(const std::string& name, const std::string& value);

// Paths compare without regard to case. A path opened for the log and not
// there is created (OpenLogFile reports it so).
void PutLogFile(const std::string& path, const std::string& content);
// A link (to wherever) lies at `path`.
void PutLogLink(const std::string& path);
// The file at `path` has `names` hard links.
void SetLogFileNames(const std::string& path, uint32_t names);
void PutLogFolder(const std::string& path);
bool LogFileExists(const std::string& path);
std::string LogFileText(const std::string& path);  // empty when missing
// Every path held, in name order.
std::vector<std::string> LogFilePaths();
// Every write fails from now on.
void FailLogWrites();
// Log files opened and not yet closed.
int OpenLogFiles();

void SetUtcTime(const UtcTime& time);
// Each MillisecondCounter read moves the counter on by `step`.
void SetMillisecondStep(uint32_t step);
void SetElevation(int elevation);
// QueryHostMachine answers `machine`; 0 (as after a reset): it cannot tell.
void SetHostMachine(uint16_t machine);
// LastSystemError answers `code` until set again.
void SetLastSystemError(uint32_t code);
void SetSystemErrorText(uint32_t code, const std::string& text);

}  // namespace platform::fake

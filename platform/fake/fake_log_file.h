// Control of the fake of the setup log's file (log_file.h): log files held
// in memory (apart from the fake file system), links and hard links to
// refuse, and writes that fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/log_file.h"

namespace platform::fake {

// No log files, writes succeed. Part of fake::Reset; a test calls it alone
// to start its next case afresh.
void ResetLogFiles();

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

}  // namespace platform::fake

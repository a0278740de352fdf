// The one record of seam calls that every part of the fake writes, in call
// order, from any thread: one line per call, "Operation arguments" (the
// formats are listed with each part's control header), kept with the name of
// the seam header the operation belongs to ("files", "registry", "threads").
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace platform::fake {

struct SeamCall {
  const char* seam;  // the header's name without ".h"
  std::string line;
};

// Every call since the last reset or ClearCalls.
std::vector<SeamCall> SeamCalls();
void ClearCalls();

// Called with each line right after it was logged, on the calling thread
// (null: nobody), so that a test can look at the fake or change it at an
// exact point, e.g. which files exist when the driver-setup tool starts.
void SetCallObserver(std::function<void(const std::string& line)> observer);

// --- Filters -----------------------------------------------------------------
// The lines of the given seams, in order.
std::vector<std::string> CallsOfSeams(std::initializer_list<const char*> seams);
// The argument parts of the lines of one operation, in order.
std::vector<std::string> CallsOf(const std::string& operation);
// Files, folders, held folders, the package, the system and devices.
std::vector<std::string> Calls();
// Processes, threads, messages, message boxes, file copies and the window
// seams.
std::vector<std::string> SeamLog();
std::vector<std::string> RegistryLog();
std::vector<std::string> ShellLinkLog();

// Appends one line and tells the observer. For the fakes' own use.
void LogCall(const char* seam, const std::string& line);

}  // namespace platform::fake

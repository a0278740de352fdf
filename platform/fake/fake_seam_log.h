// The ordered log shared by the fakes of the process, message, thread and
// file-copy seams, so that a test sees those calls in one sequence.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform::fake {

// One line per call, "Operation arguments", in call order; the formats are
// listed with each fake's control header. Safe to append from any thread.
std::vector<std::string> SeamLog();
void ClearSeamLog();

// Called with each line right after it was logged, on the calling thread
// (null: nobody). Lets a test look at the other fakes at that moment, e.g.
// which files exist when the driver-setup tool starts.
void SetSeamObserver(std::function<void(const std::string& line)> observer);

// Appends one line and tells the observer. For the fakes' own use.
void LogSeamCall(const std::string& line);

}  // namespace platform::fake

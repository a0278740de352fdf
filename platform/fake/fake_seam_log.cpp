// The ordered log shared by the process, message, thread and file-copy fakes.
#include "platform/fake/fake_seam_log.h"

#include <mutex>

namespace platform::fake {

namespace {

struct SeamLogState {
  std::mutex lock;
  std::vector<std::string> lines;
  std::function<void(const std::string&)> observer;
};

SeamLogState& TheLog() {
  static SeamLogState state;
  return state;
}

}  // namespace

std::vector<std::string> SeamLog() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  return TheLog().lines;
}

void ClearSeamLog() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  TheLog().lines.clear();
}

void SetSeamObserver(std::function<void(const std::string& line)> observer) {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  TheLog().observer = std::move(observer);
}

void LogSeamCall(const std::string& line) {
  std::function<void(const std::string&)> observer;
  {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().lines.push_back(line);
    observer = TheLog().observer;
  }
  // Outside the lock: the observer may read the log itself.
  if (observer) observer(line);
}

}  // namespace platform::fake

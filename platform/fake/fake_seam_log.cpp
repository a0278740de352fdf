// The one record of seam calls.
#include "platform/fake/fake_seam_log.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/fake/fake_parts.h"

namespace platform::fake {

namespace {

struct CallLog {
  std::mutex lock;
  std::vector<SeamCall> calls;
  // Shared, so that a call outside the lock runs the stored observer itself
  // (a stateful one keeps its state) even if it is replaced meanwhile.
  std::shared_ptr<std::function<void(const std::string&)>> observer;
};

CallLog& TheLog() {
  static CallLog log;
  return log;
}

}  // namespace

void ResetCallLog() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  TheLog().calls.clear();
  TheLog().observer = nullptr;
}

void ForgetCallsOf(const char* seam) {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  std::vector<SeamCall>& calls = TheLog().calls;
  calls.erase(std::remove_if(calls.begin(), calls.end(),
                             [seam](const SeamCall& call) { return std::strcmp(call.seam, seam) == 0; }),
              calls.end());
}

std::vector<SeamCall> SeamCalls() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  return TheLog().calls;
}

void ClearCalls() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  TheLog().calls.clear();
}

void SetCallObserver(std::function<void(const std::string& line)> observer) {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  TheLog().observer =
      observer ? std::make_shared<std::function<void(const std::string&)>>(std::move(observer)) : nullptr;
}

std::vector<std::string> CallsOfSeams(std::initializer_list<const char*> seams) {
  std::vector<std::string> lines;
  for (const SeamCall& call : SeamCalls()) {
    for (const char* seam : seams) {
      if (std::strcmp(call.seam, seam) == 0) lines.push_back(call.line);
    }
  }
  return lines;
}

std::vector<std::string> CallsOf(const std::string& operation) {
  std::vector<std::string> result;
  const std::string prefix = operation + " ";
  for (const SeamCall& call : SeamCalls()) {
    if (call.line == operation) {
      result.emplace_back();
    } else if (call.line.compare(0, prefix.size(), prefix) == 0) {
      result.push_back(call.line.substr(prefix.size()));
    }
  }
  return result;
}

std::vector<std::string> Calls() {
  return CallsOfSeams({"files", "folders", "held_folders", "package_view", "system", "devices"});
}

std::vector<std::string> SeamLog() {
  return CallsOfSeams({"process", "threads", "messages", "message_box", "file_copy", "window",
                       "desktop_windows", "shell_open", "named_mutex", "system_metrics"});
}

std::vector<std::string> RegistryLog() { return CallsOfSeams({"registry"}); }

std::vector<std::string> ShellLinkLog() { return CallsOfSeams({"shell_link"}); }

void LogCall(const char* seam, const std::string& line) {
  std::shared_ptr<std::function<void(const std::string&)>> observer;
  {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().calls.push_back(SeamCall{seam, line});
    observer = TheLog().observer;
  }
  // Outside the lock: the observer may read the log itself.
  if (observer) (*observer)(line);
}

}  // namespace platform::fake

// The fake of the setup log's file (log_file.h): log files in memory, apart
// from the fake file system.
#include "platform/fake/fake_log_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/fake/fake_parts.h"

namespace platform::fake {

namespace {

struct LogNode {
  std::string path;  // as first given
  std::string content;
  bool link = false;
  bool folder = false;
  uint32_t names = 1;
};

struct OpenFile {
  std::string key;
  bool deleted = false;  // the name went with DeleteLogFile
};

struct LogState {
  std::mutex lock;
  std::map<std::string, LogNode> nodes;  // key: upper-case path
  bool writesFail = false;
  int openFiles = 0;
};

LogState& TheLogState() {
  static LogState state;
  return state;
}

std::string Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

LogNode& NodeAt(const std::string& path) {
  LogNode& node = TheLogState().nodes[Key(path)];
  if (node.path.empty()) node.path = path;
  return node;
}

}  // namespace

void ResetLogFiles() {
  LogState& state = TheLogState();
  std::lock_guard<std::mutex> guard(state.lock);
  state.nodes.clear();
  state.writesFail = false;
  state.openFiles = 0;
}


void PutLogFile(const std::string& path, const std::string& content) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  NodeAt(path).content = content;
}

void PutLogLink(const std::string& path) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  NodeAt(path).link = true;
}

void SetLogFileNames(const std::string& path, uint32_t names) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  NodeAt(path).names = names;
}

void PutLogFolder(const std::string& path) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  NodeAt(path).folder = true;
}

bool LogFileExists(const std::string& path) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  return TheLogState().nodes.count(Key(path)) != 0;
}

std::string LogFileText(const std::string& path) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  auto found = TheLogState().nodes.find(Key(path));
  return found == TheLogState().nodes.end() ? std::string() : found->second.content;
}

std::vector<std::string> LogFilePaths() {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  std::vector<std::string> paths;
  for (const auto& [key, node] : TheLogState().nodes) paths.push_back(node.path);
  return paths;
}

void FailLogWrites() {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  TheLogState().writesFail = true;
}

int OpenLogFiles() {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  return TheLogState().openFiles;
}







}  // namespace platform::fake

namespace platform {

using fake::TheLogState;


void CloseLogFile(void* file) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  --TheLogState().openFiles;
  delete static_cast<fake::OpenFile*>(file);
}

int OpenLogFile(const char* path, int mode, UniqueLogFile& file, LogFileFacts& facts) {
  file.Reset();
  facts = LogFileFacts{0, 0};
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  const bool existed = TheLogState().nodes.count(fake::Key(path)) != 0;
  if (!existed && mode != LOG_OPEN_OR_CREATE) return LOG_FILE_NOT_OPENED;
  fake::LogNode& node = fake::NodeAt(path);
  if (node.link || node.folder || node.names > 1) return LOG_FILE_REFUSED;
  facts.size = node.content.size();
  facts.created = existed ? 0 : 1;
  ++TheLogState().openFiles;
  file.Reset(new fake::OpenFile{fake::Key(path), false});
  return LOG_FILE_OPENED;
}

int ReadLogFileStart(const UniqueLogFile& file, char* buffer, uint32_t capacity, uint32_t& count) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  const auto* open = static_cast<fake::OpenFile*>(file.Get());
  count = 0;
  if (open->deleted) return 1;
  const std::string& content = TheLogState().nodes[open->key].content;
  count = static_cast<uint32_t>(std::min<size_t>(capacity, content.size()));
  std::memcpy(buffer, content.data(), count);
  return 1;
}

int RenameLogFile(const UniqueLogFile& file, const char* newPath) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  auto* open = static_cast<fake::OpenFile*>(file.Get());
  auto& nodes = TheLogState().nodes;
  const std::string target = fake::Key(newPath);
  // Only a free name is taken.
  if (nodes.count(target) != 0) return 0;
  fake::LogNode moved = nodes[open->key];
  moved.path = newPath;
  nodes.erase(open->key);
  nodes[target] = moved;
  open->key = target;
  return 1;
}

int DeleteLogFile(const UniqueLogFile& file) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  auto* open = static_cast<fake::OpenFile*>(file.Get());
  TheLogState().nodes.erase(open->key);
  open->deleted = true;
  return 1;
}

int AppendLogText(const UniqueLogFile& file, const char* text, uint32_t length) {
  std::lock_guard<std::mutex> guard(TheLogState().lock);
  if (TheLogState().writesFail) return 0;
  auto* open = static_cast<fake::OpenFile*>(file.Get());
  if (open->deleted) return 1;
  TheLogState().nodes[open->key].content.append(text, length);
  return 1;
}







}  // namespace platform

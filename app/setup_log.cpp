// The setup log: the request, the safe open with its size cap, the line
// format and the lines the procedures write.
#include "app/setup_log.h"

#include <cstring>
#include <utility>

#include "app/bounded_text.h"
#include "platform/answers.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/system_error.h"

namespace app {

SetupLog setupLog;

namespace {

constexpr char FIELD_SEPARATOR[] = "  ";
constexpr char LINE_END[] = "\r\n";
// Room kept at the end of every line for the cut mark and the line end.
constexpr uint32_t LINE_RESERVE = sizeof LOG_CUT_MARK - 1 + sizeof LINE_END - 1 + 1;
constexpr uint32_t ERROR_TEXT_SIZE = 512;
constexpr uint32_t POLICY_AREA_SIZE = LOG_PATH_SIZE;

// The longest path that still takes the rotation suffix.
constexpr size_t LOG_PATH_LIMIT = LOG_PATH_SIZE - (sizeof LOG_ROTATED_SUFFIX - 1) - 1;

void AddByte(LogLine& line, char c) {
  if (line.length + LINE_RESERVE >= LOG_LINE_SIZE) {
    line.cut = 1;
    return;
  }
  line.text[line.length++] = c;
}

void AddDigits(LogLine& line, uint32_t value, int width) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 && count < 10);
  while (count < width) digits[count++] = '0';
  while (count > 0) AddByte(line, digits[--count]);
}

// Copies a REG_SZ value of `count` bytes (with or without its zero) as a
// text; false when it does not fit `capacity` with a zero after it.
bool CopyRegistryText(const uint8_t* area, uint32_t count, char* out, size_t capacity) {
  size_t length = 0;
  while (length < count && area[length] != 0) ++length;
  if (length >= capacity) return false;
  std::memcpy(out, area, length);
  out[length] = '\0';
  return true;
}

bool ReadPolicyPath(char (&path)[LOG_PATH_SIZE]) {
  platform::RegistryKey key;
  if (platform::OpenRegistryKey(platform::REGISTRY_HKLM, LOG_POLICY_KEY, platform::REGISTRY_ACCESS_DEFAULT,
                                key) != platform::REGISTRY_OK) {
    return false;
  }
  uint8_t area[POLICY_AREA_SIZE];
  uint32_t type = platform::REGISTRY_TYPE_SZ;
  uint32_t count = sizeof area;
  if (platform::QueryRegistryValue(key.Get(), LOG_POLICY_VALUE, type, area, count) != platform::REGISTRY_OK ||
      type != platform::REGISTRY_TYPE_SZ) {
    return false;
  }
  return CopyRegistryText(area, count, path, LOG_PATH_LIMIT + 1);
}

// Whether `text` begins as every log of this program does: the first line
// of a run, "YYYY-MM-DDTHH:MM:SS.mmmZ  start  BrevikSetup ".
bool IsLogStart(const char* text, uint32_t count) {
  if (count < sizeof LOG_SIGNATURE - 1) return false;
  for (uint32_t i = 0; i + 1 < sizeof LOG_SIGNATURE; ++i) {
    const char expected = LOG_SIGNATURE[i];
    const char c = text[i];
    if (expected == LOG_SIGNATURE_DIGIT ? (c < '0' || c > '9') : c != expected) return false;
  }
  return true;
}

// Opens `path` (platform::OpenLogFile's refusals apply) when it is ours to
// write: a file this open made, or one that begins as our logs do.
int OpenOwnLog(const char* path, int mode, platform::UniqueLogFile& file, platform::LogFileFacts& facts) {
  const int opened = platform::OpenLogFile(path, mode, file, facts);
  if (opened != platform::LOG_FILE_OPENED || facts.created == 1) return opened;
  char start[sizeof LOG_SIGNATURE];
  uint32_t count = 0;
  if (platform::ReadLogFileStart(file, start, sizeof start, count) != 1 || !IsLogStart(start, count)) {
    file.Reset();
    return LOG_NOT_OURS;
  }
  return opened;
}

// Frees `rotated` for the rotation: nothing lies there, or an earlier log of
// ours, which goes. False when something else lies there.
bool ClearRotatedPath(const char* rotated) {
  platform::UniqueLogFile earlier;
  platform::LogFileFacts facts{};
  const int opened = OpenOwnLog(rotated, platform::LOG_OPEN_EXISTING, earlier, facts);
  // Not there, or not to be opened: the rename, which takes only a free
  // name, finds out.
  if (opened == platform::LOG_FILE_NOT_OPENED) return true;
  if (opened != platform::LOG_FILE_OPENED) return false;
  return platform::DeleteLogFile(earlier) == platform::ANSWER_YES;
}

bool Open() { return setupLog.file.IsValid(); }

const char* RootName(platform::RegistryKeyId root) {
  return root == platform::REGISTRY_HKLM ? "HKLM\\" : root == platform::REGISTRY_HKCU ? "HKCU\\" : "";
}

// "FOLDER\NAME.LNK", as the shortcut helpers name the file.
void AddShortcutField(LogLine& line, const char* folder, const char* name) {
  // A path longer than a line would be cut by the line anyway.
  char path[LOG_LINE_SIZE];
  AddLogField(line, app::JoinPath(path, sizeof path, folder, name) ? path : folder);
  AddLogText(line, ".LNK");
}

// "KIND  PATH  DONE" when `done` is ANSWER_YES, else "KIND  PATH  FAILED"
// with the system's error when it has one.
void LogPathOutcome(const char* kind, const char* path, int done, const char* doneText, const char* failedText) {
  if (!Open()) return;
  const uint32_t error = done == platform::ANSWER_YES ? 0 : platform::LastSystemError();
  LogLine line;
  StartLogLine(line, kind);
  AddLogField(line, path);
  AddLogField(line, done == platform::ANSWER_YES ? doneText : failedText);
  if (error != 0) AddLogSystemError(line, error);
  WriteLogLine(setupLog, line);
}

// A host machine type by name, or as "0x" and 8 hex digits.
void AddMachineName(LogLine& line, uint16_t machine) {
  switch (machine) {
    case platform::MACHINE_X86: AddLogText(line, "x86"); return;
    case platform::MACHINE_X64: AddLogText(line, "x64"); return;
    case platform::MACHINE_ARM: AddLogText(line, "ARM"); return;
    case platform::MACHINE_ARM64: AddLogText(line, "ARM64"); return;
    default:
      AddLogText(line, "0x");
      AddLogHex(line, machine);
  }
}

}  // namespace

bool FindLogRequest(char (&path)[LOG_PATH_SIZE]) {
  path[0] = '\0';
  char variable[LOG_PATH_SIZE];
  const int read = platform::ReadEnvironmentText(LOG_REQUEST_VARIABLE, variable, sizeof variable);
  // A variable that is set wins, even when its path cannot be used.
  if (read == platform::ENVIRONMENT_TOO_LONG) return false;
  if (read == platform::ENVIRONMENT_READ) {
    if (std::strlen(variable) > LOG_PATH_LIMIT) return false;
    std::memcpy(path, variable, sizeof variable);
    return true;
  }
  if (ReadPolicyPath(path) && path[0] != '\0') return true;
  path[0] = '\0';
  return false;
}

int OpenSetupLog(SetupLog& log, const char* path) {
  log.file.Reset();
  if (path == nullptr || std::strlen(path) > LOG_PATH_LIMIT) return platform::LOG_FILE_NOT_OPENED;
  platform::UniqueLogFile file;
  platform::LogFileFacts facts{};
  int opened = OpenOwnLog(path, platform::LOG_OPEN_OR_CREATE, file, facts);
  if (opened != platform::LOG_FILE_OPENED) return opened;
  if (facts.size > LOG_SIZE_CAP) {
    char rotated[LOG_PATH_SIZE];
    std::strcpy(rotated, path);
    std::strcat(rotated, LOG_ROTATED_SUFFIX);
    // The open file itself is renamed, to a name that is free: a link put at
    // the path meanwhile is not followed, and nothing but an earlier log of
    // ours is ever replaced.
    if (!ClearRotatedPath(rotated) || platform::RenameLogFile(file, rotated) != platform::ANSWER_YES) {
      return LOG_NOT_ROTATED;
    }
    file.Reset();
    opened = OpenOwnLog(path, platform::LOG_OPEN_OR_CREATE, file, facts);
    if (opened != platform::LOG_FILE_OPENED) return opened;
  }
  log.file = std::move(file);
  return platform::LOG_FILE_OPENED;
}

void StartLogLine(LogLine& line, const char* kind) {
  line.length = 0;
  line.cut = 0;
  platform::UtcTime time{};
  platform::ReadUtcTime(time);
  AddDigits(line, time.year, 4);
  AddByte(line, '-');
  AddDigits(line, time.month, 2);
  AddByte(line, '-');
  AddDigits(line, time.day, 2);
  AddByte(line, 'T');
  AddDigits(line, time.hour, 2);
  AddByte(line, ':');
  AddDigits(line, time.minute, 2);
  AddByte(line, ':');
  AddDigits(line, time.second, 2);
  AddByte(line, '.');
  AddDigits(line, time.millisecond, 3);
  AddByte(line, 'Z');
  AddLogField(line, kind);
}

void AddLogField(LogLine& line, const char* text) {
  AddLogText(line, FIELD_SEPARATOR);
  AddLogText(line, text);
}

void AddLogText(LogLine& line, const char* text) {
  if (text == nullptr) return;
  for (const char* c = text; *c != '\0'; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    AddByte(line, byte < 0x20 || byte == 0x7F ? '?' : *c);
  }
}

void AddLogNumber(LogLine& line, int64_t value) {
  uint64_t magnitude = static_cast<uint64_t>(value);
  if (value < 0) {
    AddByte(line, '-');
    magnitude = 0 - magnitude;
  }
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) AddByte(line, digits[--count]);
}

void AddLogHex(LogLine& line, uint32_t value) {
  static constexpr char HEX[] = "0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4) AddByte(line, HEX[(value >> shift) & 0xF]);
}

void AddLogSystemError(LogLine& line, uint32_t code) {
  AddLogField(line, "error ");
  AddLogNumber(line, code);
  char message[ERROR_TEXT_SIZE];
  if (platform::DescribeSystemError(code, message, sizeof message) == 1 && message[0] != '\0') {
    AddLogText(line, ": ");
    AddLogText(line, message);
  }
}

void WriteLogLine(SetupLog& log, LogLine& line) {
  if (!log.file.IsValid()) return;
  // The reserve keeps room for the mark and the line end.
  if (line.cut != 0) {
    std::memcpy(line.text + line.length, LOG_CUT_MARK, sizeof LOG_CUT_MARK - 1);
    line.length += sizeof LOG_CUT_MARK - 1;
  }
  std::memcpy(line.text + line.length, LINE_END, sizeof LINE_END - 1);
  line.length += sizeof LINE_END - 1;
  line.text[line.length] = '\0';
  platform::AppendLogText(log.file, line.text, line.length);
}

void WriteLogHeader(SetupLog& log, const LogHeader& header) {
  if (!log.file.IsValid()) return;
  LogLine line;
  StartLogLine(line, "start");
  AddLogField(line, "BrevikSetup ");
  AddLogText(line, header.version);
  AddLogField(line, "program ");
  AddLogText(line, header.modulePath);
  AddLogField(line, "command \"");
  AddLogText(line, header.commandTail);
  AddLogText(line, "\"");
  AddLogField(line, "os ");
  AddLogNumber(line, header.osClass);
  AddLogField(line, "64-bit ");
  AddLogNumber(line, header.is64BitHost);
  AddLogField(line, "elevated ");
  if (header.elevation == platform::ELEVATION_UNKNOWN) {
    AddLogText(line, "unknown");
  } else {
    AddLogNumber(line, header.elevation);
  }
  // Only where the system tells: under WoW64 an ARM64 host looks like x64.
  uint16_t machine = 0;
  if (platform::QueryHostMachine(machine) == platform::ANSWER_YES) {
    AddLogField(line, "host ");
    AddMachineName(line, machine);
  }
  WriteLogLine(log, line);
}

void LogStep(const char* name, int32_t result) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "step");
  AddLogField(line, name);
  if (result == platform::ANSWER_SUCCESS) {
    AddLogField(line, "ok");
  } else {
    AddLogField(line, "failed ");
    AddLogNumber(line, result);
  }
  WriteLogLine(setupLog, line);
}

void LogFolderCreated(const char* path, int created) {
  LogPathOutcome("folder", path, created, "created", "not created");
}

void LogFolderRemoved(const char* path) {
  if (!Open() || path == nullptr || path[0] == '\0') return;
  // Whether anything is left: a listing of the folder can be had.
  char pattern[LOG_LINE_SIZE];
  bool left = false;
  if (app::JoinPath(pattern, sizeof pattern, path, "*.*")) {
    platform::UniqueFolderListing listing;
    platform::FolderEntry entry;
    left = platform::OpenFolderListing(pattern, listing, entry) == platform::ANSWER_YES;
  }
  LogLine line;
  StartLogLine(line, "folder");
  AddLogField(line, path);
  AddLogField(line, left ? "left" : "removed");
  WriteLogLine(setupLog, line);
}

void LogFolderLink(const char* path, bool isLink) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "folder");
  AddLogField(line, path);
  AddLogField(line, isLink ? "a link: left alone" : "a file: left alone");
  WriteLogLine(setupLog, line);
}

void LogEntryFailure(uint32_t index, const char* name, const char* reason, bool withSystemError) {
  if (!Open()) return;
  const uint32_t error = withSystemError ? platform::LastSystemError() : 0;
  LogLine line;
  StartLogLine(line, "entry");
  AddLogField(line, "");
  AddLogNumber(line, index + 1);
  AddLogText(line, " ");
  AddLogText(line, name);
  AddLogField(line, reason);
  if (error != 0) AddLogSystemError(line, error);
  WriteLogLine(setupLog, line);
}

void LogFileNotDeleted(const char* path) {
  if (!Open()) return;
  const uint32_t error = platform::LastSystemError();
  LogLine line;
  StartLogLine(line, "file");
  AddLogField(line, path);
  AddLogField(line, "not deleted");
  if (error != 0) AddLogSystemError(line, error);
  WriteLogLine(setupLog, line);
}

void LogToolRun(const ToolRun& run) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "tool");
  AddLogField(line, run.path);
  AddLogField(line, "command \"");
  AddLogText(line, run.commandLine);
  AddLogText(line, "\"");
  if (run.started == platform::PROCESS_STARTED) {
    AddLogField(line, "started");
    AddLogField(line, "exit ");
    AddLogNumber(line, run.exitCode);
    AddLogField(line, "");
    AddLogNumber(line, run.milliseconds);
    AddLogText(line, " ms");
  } else {
    AddLogField(line, run.started == platform::PROCESS_NOT_STARTED ? "not started" : "started without a handle");
    if (run.startError != 0) AddLogSystemError(line, run.startError);
  }
  WriteLogLine(setupLog, line);
}

void LogShortcutCreated(const char* folder, const char* name, platform::ComResult status) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "shortcut");
  AddShortcutField(line, folder, name);
  if (status == platform::COM_S_OK) {
    AddLogField(line, "created");
  } else {
    AddLogField(line, "failed 0x");
    AddLogHex(line, static_cast<uint32_t>(status));
  }
  WriteLogLine(setupLog, line);
}

void LogShortcutDeleted(const char* folder, const char* name, int deleted) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "shortcut");
  AddShortcutField(line, folder, name);
  AddLogField(line, deleted == platform::ANSWER_YES ? "deleted" : "not deleted");
  WriteLogLine(setupLog, line);
}

void LogCopied(const char* path, int copied) {
  LogPathOutcome("copy", path, copied, "copied", "not copied");
}

void LogRegistryWritten(const char* key, const char* value, int written) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "registry");
  AddLogField(line, "HKLM\\");
  AddLogText(line, key);
  AddLogField(line, value);
  AddLogField(line, written == platform::ANSWER_YES ? "written" : "not written");
  WriteLogLine(setupLog, line);
}

void LogUserValueInexact(const char* key, const char* value) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "registry");
  AddLogField(line, "HKCU\\");
  AddLogText(line, key);
  AddLogField(line, value);
  AddLogField(line, "no exact ANSI form: per-user shortcuts skipped");
  WriteLogLine(setupLog, line);
}

void LogRegistryDeleted(platform::RegistryKeyId root, const char* key, int deleted) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "registry");
  AddLogField(line, RootName(root));
  AddLogText(line, key);
  AddLogField(line, deleted == platform::ANSWER_YES ? "deleted" : "not deleted");
  WriteLogLine(setupLog, line);
}

void LogResult(const char* procedure, int32_t result) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "result");
  AddLogField(line, procedure);
  AddLogField(line, "");
  AddLogNumber(line, result);
  WriteLogLine(setupLog, line);
}

void LogEnd(int32_t exitCode) {
  if (!Open()) return;
  LogLine line;
  StartLogLine(line, "end");
  AddLogField(line, "exit ");
  AddLogNumber(line, exitCode);
  WriteLogLine(setupLog, line);
}

}  // namespace app

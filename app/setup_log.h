// The setup log, written only on request: by the environment variable
// BREVIK_SETUP_LOG or the machine policy value SetupLog, each naming a file.
// Each line is written whole with one write as the run goes, so the log
// survives a crash or a kill. Writing never changes a result: a log that
// cannot be opened or written is silence.
//
// A line: the UTC time, two blanks, a kind, two blanks, then fields separated
// by two blanks, e.g.
//   2026-12-09T01:02:03.456Z  entry  20 SONDREL_Brevik.exe  digest mismatch
// Kinds: start, step, entry, file, tool, folder, shortcut, copy, registry,
// result, end. A failed system call adds the field "error N: message".
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/answers.h"
#include "platform/log_file.h"
#include "platform/registry.h"
#include "platform/shell_link.h"

namespace app {

// Where the log is asked for; the variable wins over the policy.
inline constexpr char LOG_REQUEST_VARIABLE[] = "BREVIK_SETUP_LOG";
inline constexpr char LOG_POLICY_KEY[] = "SOFTWARE\\Policies\\Kelvane\\Brevik";
inline constexpr char LOG_POLICY_VALUE[] = "SetupLog";

// A log path with its zero; ".1" must still fit behind it.
inline constexpr uint32_t LOG_PATH_SIZE = 1024;
inline constexpr char LOG_ROTATED_SUFFIX[] = ".1";
// A file over this size at the start of a run becomes `path`.1 (replacing an
// earlier log) and the run starts a fresh file: the last run stays whole
// and one earlier file is kept.
inline constexpr uint64_t LOG_SIZE_CAP = 1024 * 1024;
// One line with its CR LF and zero. Longer lines end in LOG_CUT_MARK.
inline constexpr uint32_t LOG_LINE_SIZE = 4096;
inline constexpr char LOG_CUT_MARK[] = " [cut]";

struct SetupLog {
  platform::UniqueLogFile file;  // empty: nothing is logged
};

// The process's log, opened by start-up once the single-instance lock is
// held; the procedures write to it through the Log* helpers below.
extern SetupLog setupLog;

// Finds the requested log path: the variable when set and not empty, else
// the policy's REG_SZ value (read in the program's own registry view) when
// not empty. True with the path in `path`; false when nothing is requested
// or the path that wins does not fit LOG_PATH_SIZE less the rotation suffix.
[[nodiscard]] bool FindLogRequest(char (&path)[LOG_PATH_SIZE]);

// Outcomes of OpenSetupLog: platform::LOG_FILE_* or these.
inline constexpr int LOG_NOT_ROTATED = 3;  // over the cap and could not be renamed aside
inline constexpr int LOG_NOT_OURS = 4;     // a file that is not a log of this program

// How every log of this program begins: the first line of a run, its time
// stamp's digits standing as LOG_SIGNATURE_DIGIT. A file that begins so is
// taken for ours.
inline constexpr char LOG_SIGNATURE_DIGIT = '#';
inline constexpr char LOG_SIGNATURE[] = "####-##-##T##:##:##.###Z  start  BrevikSetup ";

// Opens `path` into `log` (platform::OpenLogFile's refusals apply). Only a
// log of ours is written: a file the open creates, or one that begins with
// LOG_SIGNATURE; anything else is left as it is (LOG_NOT_OURS). A file over
// LOG_SIZE_CAP is first renamed to `path`.1, when that name is free or holds
// a log of ours (deleted first); otherwise LOG_NOT_ROTATED. Anything but
// platform::LOG_FILE_OPENED leaves `log` empty.
int OpenSetupLog(SetupLog& log, const char* path);

// A line being built; texts that do not fit are cut and marked.
struct LogLine {
  char text[LOG_LINE_SIZE];
  uint32_t length;
  int cut;
};

// Starts `line` with the time and `kind`.
void StartLogLine(LogLine& line, const char* kind);
// Adds a field (two blanks, then the text). Control characters become '?',
// so that a line stays one line.
void AddLogField(LogLine& line, const char* text);
// Adds to the current field: a text, a signed decimal, 8 hex digits.
void AddLogText(LogLine& line, const char* text);
void AddLogNumber(LogLine& line, int64_t value);
void AddLogHex(LogLine& line, uint32_t value);
// Adds the field "error N: message" (message left out when the system has none).
void AddLogSystemError(LogLine& line, uint32_t code);
// Ends the line with CR LF and appends it with one write; a failed write is
// ignored.
void WriteLogLine(SetupLog& log, LogLine& line);

// What the header line of a run names.
struct LogHeader {
  const char* version;
  const char* modulePath;
  const char* commandTail;
  OsClass osClass;
  int32_t is64BitHost;
  int elevation;  // platform::ELEVATION_*
};
void WriteLogHeader(SetupLog& log, const LogHeader& header);

// --- Lines of the procedures, written to setupLog ----------------------------
// Each does nothing while no log is open. A step runs first and its line
// follows at once, with nothing between them: those that report a failed
// system call read its error as the step left it.

// "step  NAME  ok" for ANSWER_SUCCESS, else "step  NAME  failed RESULT".
void LogStep(const char* name, int32_t result);
// "folder  PATH  created" for CreateFolderTree's ANSWER_YES, else "folder
// PATH  not created  error ...".
void LogFolderCreated(const char* path, int created);
// After a removal: "folder  PATH  removed" or "folder  PATH  left" (it is
// still there).
void LogFolderRemoved(const char* path);
// "folder  PATH  a link: left alone", or without `isLink` "folder  PATH  a
// file: left alone": something other than a real folder is in the way, and
// nothing is made or deleted below it.
void LogFolderLink(const char* path, bool isLink);
// One failed package entry (`index` from 0) and why.
void LogEntryFailure(uint32_t index, const char* name, const char* reason, bool withSystemError);
// A package file that could not be deleted.
void LogFileNotDeleted(const char* path);

// The driver-setup tool: its path and command line, the start outcome
// (platform::PROCESS_*), then the exit code and the run's duration, or the
// start's system error.
struct ToolRun {
  const char* path;
  const char* commandLine;
  int started;
  uint32_t startError;
  int32_t exitCode;
  uint32_t milliseconds;
};
void LogToolRun(const ToolRun& run);

// "shortcut  FOLDER\NAME.LNK  created" or "failed 0xCODE".
void LogShortcutCreated(const char* folder, const char* name, platform::ComResult status);
// "shortcut  FOLDER\NAME.LNK  deleted" (ANSWER_YES) or "not deleted".
void LogShortcutDeleted(const char* folder, const char* name, int deleted);
// "copy  PATH  copied" (ANSWER_YES) or "not copied  error ...".
void LogCopied(const char* path, int copied);
// "registry  HKLM\KEY  VALUE  written" (ANSWER_YES) or "not written".
void LogRegistryWritten(const char* key, const char* value, int written);
// "registry  HKCU\KEY  VALUE  no exact ANSI form: per-user shortcuts
// skipped": the value names a folder that no ANSI text spells exactly.
void LogUserValueInexact(const char* key, const char* value);
// "registry  ROOT\KEY  deleted" (ANSWER_YES) or "not deleted".
void LogRegistryDeleted(platform::RegistryKeyId root, const char* key, int deleted);
// "result  PROCEDURE  RESULT".
void LogResult(const char* procedure, int32_t result);
// "end  exit CODE".
void LogEnd(int32_t exitCode);

}  // namespace app

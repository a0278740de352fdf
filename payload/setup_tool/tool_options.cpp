// Command-line parsing and usage text of the stand-in driver-setup tool.
#include "payload/setup_tool/tool_options.h"

#include <cstring>

namespace payload {
namespace {

// Longest word worth comparing: every option is shorter. Longer words are
// still consumed whole and then rejected as unknown.
constexpr int MAX_WORD = 16;

int IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the word starting at `*cursor` (blanks already skipped) into `word`,
// dropping quotation marks, and advances the cursor past it. Sets `*tooLong`
// when the word does not fit, so it cannot be mistaken for a shorter option.
void ReadWord(const char** cursor, char (&word)[MAX_WORD], int* tooLong) {
  const char* at = *cursor;
  int length = 0;
  int quoted = 0;
  *tooLong = 0;
  while (*at != '\0' && (quoted || !IsBlank(*at))) {
    if (*at == '"') {
      quoted = !quoted;
    } else if (length + 1 < MAX_WORD) {
      word[length++] = *at;
    } else {
      *tooLong = 1;
    }
    ++at;
  }
  word[length] = '\0';
  *cursor = at;
}

}  // namespace

ToolOptions ParseToolCommandLine(const char* commandLine) {
  ToolOptions options;
  int install = 0;
  int uninstall = 0;
  int help = 0;
  int unknown = 0;
  int firstWord = 1;
  const char* cursor = commandLine != nullptr ? commandLine : "";
  for (;;) {
    while (IsBlank(*cursor)) ++cursor;
    if (*cursor == '\0') break;
    // A program name may be longer than any option; only its first character
    // matters, so read it before the word is cut short.
    const int startsWithDash = (*cursor == '-' || (cursor[0] == '"' && cursor[1] == '-'));
    char word[MAX_WORD];
    int tooLong = 0;
    ReadWord(&cursor, word, &tooLong);
    if (firstWord) {
      firstWord = 0;
      if (!startsWithDash) continue;  // the program's own name
    }
    if (tooLong) {
      unknown = 1;
    } else if (std::strcmp(word, "-h") == 0 || std::strcmp(word, "-H") == 0) {
      options.hidden = 1;
    } else if (std::strcmp(word, "-i") == 0) {
      install = 1;
    } else if (std::strcmp(word, "-u") == 0) {
      uninstall = 1;
    } else if (std::strcmp(word, "-n") == 0) {
      options.noRestart = 1;
    } else if (std::strcmp(word, "--help") == 0) {
      help = 1;
    } else {
      unknown = 1;
    }
  }

  if (help) {
    options.action = TOOL_ACTION_HELP;
  } else if (unknown || install == uninstall || (uninstall && options.noRestart)) {
    options.action = TOOL_ACTION_USAGE_ERROR;
  } else {
    options.action = install ? TOOL_ACTION_INSTALL : TOOL_ACTION_UNINSTALL;
  }
  return options;
}

const char* ToolUsageText() {
  return "SONDREL_Setup: stand-in driver-setup tool of the Kelvane Mireline audio driver\r\n"
         "\r\n"
         "Usage:\r\n"
         "  SONDREL_Setup.exe -i [-n] [-h|-H]   install the Mireline device\r\n"
         "  SONDREL_Setup.exe -u [-h|-H]        remove every Mireline device\r\n"
         "  SONDREL_Setup.exe --help            show this text\r\n"
         "(SONDREL_Setup_x64.exe is the same tool built for 64-bit Windows.)\r\n"
         "\r\n"
         "Options, in any order:\r\n"
         "  -i      install: register a root-enumerated media device exposing one\r\n"
         "          interface of class {BEEA29B0-BBA7-4A4B-9DF1-9D7B2C789C46};\r\n"
         "          nothing is changed when such an interface is already present\r\n"
         "  -u      uninstall: remove every device exposing that interface class\r\n"
         "  -n      with -i: never restart the machine (the tool never does)\r\n"
         "  -h, -H  hidden: print nothing\r\n"
         "\r\n"
         "Exit codes:\r\n"
         "  0  success, also when there was nothing to do\r\n"
         "  1  a restart is pending: -i did nothing; -u removed the device\r\n"
         "     (or unlinked it when it could not be removed): the removal\r\n"
         "     finishes at the restart\r\n"
         "  2  command line not understood\r\n"
         "  3  the device setup service gave no device list\r\n"
         "  4  the device could not be created or registered\r\n"
         "  5  the device interface could not be created or linked\r\n"
         "  6  a device could not be removed\r\n"
         "\r\n"
         "Restart marker: a REG_DWORD value RestartPending other than 0 under\r\n"
         "  HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\SONDREL_Setup (32-bit registry view).\r\n"
         "  To set it:\r\n"
         "  reg add HKLM\\SOFTWARE\\Kelvane\\SONDREL_Setup /v RestartPending /t REG_DWORD /d 1 /f /reg:32\r\n";
}

}  // namespace payload

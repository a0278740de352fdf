// Command-line parsing of the stand-in driver-setup tool: pure text in, a
// small options record out, so it can be tested without starting processes.
#pragma once

namespace payload {

// What the tool was asked to do.
inline constexpr int TOOL_ACTION_USAGE_ERROR = 0;  // unknown word, no mode, or both modes
inline constexpr int TOOL_ACTION_HELP = 1;         // "--help" anywhere
inline constexpr int TOOL_ACTION_INSTALL = 2;      // "-i"
inline constexpr int TOOL_ACTION_UNINSTALL = 3;    // "-u"

struct ToolOptions {
  int action = TOOL_ACTION_USAGE_ERROR;
  int hidden = 0;     // 1 when "-h" or "-H" was given: print nothing at all
  int noRestart = 0;  // 1 when "-n" was given (install only)
};

// Parses a whole process command line as GetCommandLineA returns it.
//
// The setup program starts the tool with an application name and a command
// line that does not repeat that name ("-h -i -H -n"), so the first word may
// already be an option. Words are separated by spaces or tabs; a word may be
// quoted with '"' to hold spaces. The first word is taken as the program name
// and skipped only when it does not begin with '-'. The remaining words must
// each be one of "-h", "-H", "-i", "-u", "-n", "--help", in any order and
// repeated at will. "--help" wins over everything else; otherwise exactly one
// of "-i" and "-u" must be present, and "-n" only with "-i". `hidden` is set
// whenever "-h" or "-H" appears, even on a usage error, so that a hidden run
// stays silent however it fails. A null text is an empty command line.
ToolOptions ParseToolCommandLine(const char* commandLine);

// The usage text printed for "--help" and on a usage error: options, exit
// codes and the restart marker, lines separated by "\r\n".
const char* ToolUsageText();

}  // namespace payload

// Command-line parsing of the stand-in driver-setup tool, table-driven: the
// setup program's two command lines in any order, with and without a program
// name in front, and the lines that must be refused.
#include <gtest/gtest.h>

#include "payload/setup_tool/tool_options.h"

namespace payload {
namespace {

struct Row {
  const char* line;
  int action;
  int hidden;
  int noRestart;
};

constexpr int I = TOOL_ACTION_INSTALL;
constexpr int U = TOOL_ACTION_UNINSTALL;
constexpr int H = TOOL_ACTION_HELP;
constexpr int E = TOOL_ACTION_USAGE_ERROR;

TEST(ToolOptions, CommandLinesTable) {
  const Row rows[] = {
      // The setup program's lines, as its CreateProcessA hands them over.
      {"-h -i -H -n", I, 1, 1},
      {"-h -u -H", U, 1, 0},
      // Any order, repeats, tabs, several blanks.
      {"-n -H -i -h", I, 1, 1},
      {"-u\t-h", U, 1, 0},
      {"  -i   -i  ", I, 0, 0},
      // A program name in front is skipped, quoted or not.
      {"SONDREL_Setup.exe -i", I, 0, 0},
      {"\"C:\\Program Files\\KV\\Brevik\\SONDREL_Setup.exe\" -h -u -H", U, 1, 0},
      {"C:\\A_path_much_longer_than_any_option\\SONDREL_Setup_x64.exe -u", U, 0, 0},
      // Quotation marks around an option are dropped.
      {"\"-i\" -h", I, 1, 0},
      // Help wins over everything, errors included.
      {"--help", H, 0, 0},
      {"tool -h -i --help -x", H, 1, 0},
      // Refused: no mode, both modes, -n with -u, unknown or mis-cased words.
      {"", E, 0, 0},
      {"SONDREL_Setup.exe", E, 0, 0},
      {"-h -H", E, 1, 0},
      {"-i -u", E, 0, 0},
      {"-h -u -n", E, 1, 1},
      {"-I", E, 0, 0},
      {"-U -h", E, 1, 0},
      {"-ih", E, 0, 0},
      {"-h -i extra", E, 1, 0},
      {"tool -i -", E, 0, 0},
      // A long word is refused whole, never cut down to an option.
      {"-i --helpxxxxxxxxxxxxxxxxxxxxxx", E, 0, 0},
      {"-u -hhhhhhhhhhhhhhhhhhhhhhhhhhhhh", E, 0, 0},
  };
  for (const Row& row : rows) {
    const ToolOptions options = ParseToolCommandLine(row.line);
    EXPECT_EQ(options.action, row.action) << '"' << row.line << '"';
    EXPECT_EQ(options.hidden, row.hidden) << '"' << row.line << '"';
    EXPECT_EQ(options.noRestart, row.noRestart) << '"' << row.line << '"';
  }
}

TEST(ToolOptions, NullCommandLineIsAnEmptyOne) {
  const ToolOptions options = ParseToolCommandLine(nullptr);
  EXPECT_EQ(options.action, TOOL_ACTION_USAGE_ERROR);
  EXPECT_EQ(options.hidden, 0);
}

}  // namespace
}  // namespace payload

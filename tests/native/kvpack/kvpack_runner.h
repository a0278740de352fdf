// Running the built kvpack program from tests: its exit code and what it
// printed, plus the small file helpers the kvpack tests share.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kvtest {

namespace fs = std::filesystem;

// Entry names of the test payloads, in table order: the four fixed names in
// their places, the driver files named by system and build.
inline constexpr const char* ENTRY_NAMES[21] = {
    "pin_in.ico",  "pin_out.ico", "vista32.cat",       "vista32.sys",
    "win7_32.cat", "win7_32.sys", "xp32.cat",          "xp32.sys",
    "vista64.cat", "vista64.sys", "win7_64.cat",       "win7_64.sys",
    "SONDREL_Setup.exe",          "SONDREL_Setup_x64.exe",
    "vista32.inf", "win7_32.inf", "xp32.inf",          "vista64.inf",
    "win7_64.inf", "SONDREL_Brevik.exe",               "readme.txt"};

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ReadText(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream << text;
}

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

// Runs kvpack with `args`; its output is kept in files under `scratch`.
inline Result RunKvpack(const fs::path& scratch, const std::vector<std::string>& args) {
  std::string command = ShellQuoted(KVPACK_PATH);
  for (const std::string& arg : args) {
    command += " " + ShellQuoted(arg);
  }
  const fs::path out = scratch / "stdout.txt";
  const fs::path err = scratch / "stderr.txt";
  command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
  const int status = std::system(command.c_str());
  Result result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(out);
  result.err = ReadText(err);
  return result;
}

// kvpack reports an error as exactly one line "kvpack: ..." holding
// `messagePart`.
inline void ExpectOneErrorLine(const Result& result, const std::string& messagePart) {
  EXPECT_EQ(result.err.rfind("kvpack: ", 0), 0u) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_NE(result.err.find(messagePart), std::string::npos) << result.err;
}

}  // namespace kvtest

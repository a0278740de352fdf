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

#include "payload/sample_entries.h"

namespace kvtest {

namespace fs = std::filesystem;

// Entry names and count of the test payloads: the sample payload's, in
// table order.
inline constexpr const auto& ENTRY_NAMES = sample_payload::ENTRY_NAMES;
inline constexpr int ENTRY_COUNT = static_cast<int>(sample_payload::ENTRY_COUNT);

// A name in capitals, as Windows takes it for the same file.
inline std::string Capitals(std::string name) {
  for (char& c : name) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return name;
}

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

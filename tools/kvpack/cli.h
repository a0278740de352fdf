// Command-line parsing of kvpack and its help texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvpack {

enum class Command { None, Build, Check, List, Verify, Extract };

// What one command line asks for.
struct Invocation {
  Command command = Command::None;
  bool help = false;           // --help or -h: print the help of `command` (or the global one)
  std::string output;          // build: -o OUT
  uint32_t reserved = 0;       // build: --reserved VALUE
  std::vector<std::string> operands;  // MANIFEST, or PKG [DIR]
};

// Parses the arguments after the program name. Returns 1 and fills
// `invocation`, or returns 0 and puts a one-line reason in `error`.
int ParseCommandLine(const std::vector<std::string>& args, Invocation& invocation,
                     std::string& error);

// Parses a 32-bit value written in decimal or as 0x hexadecimal. Returns 1 on
// success; 0 for empty text, stray characters or a value above 0xFFFFFFFF.
int ParseUint32(const std::string& text, uint32_t& value);

// The help text for `command` (Command::None: the global one).
std::string HelpText(Command command);

}  // namespace kvpack

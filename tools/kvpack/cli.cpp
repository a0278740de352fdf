// Command-line parsing of kvpack and its help texts.
#include "tools/kvpack/cli.h"

#include "package/package_format.h"

namespace kvpack {
namespace {

struct CommandName {
  const char* name;
  Command command;
  size_t operandCount;
};

constexpr CommandName kCommands[] = {
    {"build", Command::Build, 1},
    {"check", Command::Check, 1},
    {"list", Command::List, 1},
    {"verify", Command::Verify, 1},
    {"extract", Command::Extract, 2},
};

const CommandName* FindCommand(const std::string& name) {
  for (const CommandName& entry : kCommands) {
    if (name == entry.name) {
      return &entry;
    }
  }
  return nullptr;
}

// Said by the help of every command that reads a package.
constexpr const char* kProgramNote =
    "\n"
    "PKG is a package file, or a Windows program that carries the package as\n"
    "its RCDATA 100 resource (such as BrevikSetup.exe), read without running\n"
    "it. A program holding RCDATA 100 in more than one language is refused\n"
    "(exit code 5) and none of them is read: the system picks one by the\n"
    "user's language, so no single check tells what a machine installs.\n";

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

int ParseUint32(const std::string& text, uint32_t& value) {
  uint64_t base = 10;
  size_t at = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    at = 2;
  }
  if (at >= text.size()) {
    return 0;
  }
  uint64_t result = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    uint64_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint64_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<uint64_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<uint64_t>(c - 'A' + 10);
    } else {
      return 0;
    }
    result = result * base + digit;
    if (result > UINT32_MAX) {
      return 0;
    }
  }
  value = static_cast<uint32_t>(result);
  return 1;
}

int ParseCommandLine(const std::vector<std::string>& args, Invocation& invocation,
                     std::string& error) {
  invocation = Invocation{};
  invocation.reserved = package::DEFAULT_RESERVED;
  if (args.empty()) {
    error = "no command given (try 'kvpack --help')";
    return 0;
  }
  if (IsHelp(args[0])) {
    invocation.help = true;
    return 1;
  }
  const CommandName* command = FindCommand(args[0]);
  if (command == nullptr) {
    error = "unknown command '" + args[0] + "' (try 'kvpack --help')";
    return 0;
  }
  invocation.command = command->command;

  bool optionsEnded = false;
  bool haveOutput = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      invocation.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (IsHelp(arg)) {
      invocation.help = true;
      return 1;
    }
    if (command->command == Command::Build) {
      // Options that take a value accept it as the next argument or after '='.
      std::string value;
      std::string name = arg;
      const size_t equals = arg.find('=');
      const bool inlineValue = arg.rfind("--", 0) == 0 && equals != std::string::npos;
      if (inlineValue) {
        name = arg.substr(0, equals);
        value = arg.substr(equals + 1);
      }
      if (name == "-o" || name == "--output" || name == "--reserved") {
        if (!inlineValue) {
          if (i + 1 >= args.size()) {
            error = "option '" + name + "' needs a value";
            return 0;
          }
          value = args[++i];
        }
        if (name == "--reserved") {
          if (ParseUint32(value, invocation.reserved) != 1) {
            error = "--reserved wants a 32-bit value in decimal or 0x hex, not '" + value + "'";
            return 0;
          }
        } else {
          if (value.empty()) {
            error = "option '" + name + "' needs a file name";
            return 0;
          }
          invocation.output = value;
          haveOutput = true;
        }
        continue;
      }
    }
    error = "unknown option '" + arg + "' for '" + command->name + "' (try 'kvpack " +
            command->name + " --help')";
    return 0;
  }

  if (command->command == Command::Build && !haveOutput) {
    error = "build needs an output file: -o OUT";
    return 0;
  }
  if (invocation.operands.size() != command->operandCount) {
    error = std::string(command->name) + " takes " +
            (command->operandCount == 1 ? "one operand" : "two operands") + ", got " +
            std::to_string(invocation.operands.size()) + " (try 'kvpack " + command->name +
            " --help')";
    return 0;
  }
  return 1;
}

std::string HelpText(Command command) {
  switch (command) {
    case Command::Build:
      return "Usage: kvpack build -o OUT [--reserved VALUE] MANIFEST\n"
             "\n"
             "Builds a package from the 21 files that MANIFEST lists in table order,\n"
             "one path per line. Blank lines and lines starting with '#' are skipped,\n"
             "surrounding white space is trimmed, and relative paths are taken from\n"
             "the manifest's own folder. Each entry is named after its file's base\n"
             "name, which must be a name the setup program writes (see 'kvpack check\n"
             "--help'). The same inputs always give the same bytes. OUT is written\n"
             "to a new file of a fresh name beside it and then renamed, so a failed\n"
             "build leaves no output behind and a link at OUT is replaced, never\n"
             "written through.\n"
             "\n"
             "Options:\n"
             "  -o, --output OUT    the package file to write\n"
             "  --reserved VALUE    the value of every entry's reserved field, decimal\n"
             "                      or 0x hex (default 0x00440AA8)\n"
             "  -h, --help          show this help\n";
    case Command::Check:
      return "Usage: kvpack check MANIFEST\n"
             "\n"
             "Checks MANIFEST as build does, without reading the files' contents or\n"
             "writing anything, and prints the 21 files' paths, one a line, as build\n"
             "would read them. Exits 3 with one line naming the entry when the\n"
             "manifest does not list exactly 21 regular files, a package of them\n"
             "would pass 4 GiB, or a file's base name cannot name its entry: empty\n"
             "or over 127 bytes; a Windows device name (CON, PRN, AUX, NUL, COM1-9,\n"
             "LPT1-9, CONIN$, CONOUT$, COM or LPT with a superscript digit, also\n"
             "with an extension); a folder part ('\\', '/', ':' or '..', or '.'\n"
             "alone); a control character or < > \" | ? *; a full stop or a space\n"
             "at the end, which Windows drops; a name that fits 8.3 (at most 8\n"
             "bytes, or 8, a full stop and 3) and holds a '~', so that it could be\n"
             "the short name of another file; or the same name as an earlier\n"
             "entry's apart from ASCII letter case. The setup program refuses the\n"
             "same names when it installs.\n"
             "\n"
             "Options:\n"
             "  -h, --help          show this help\n";
    case Command::List:
      return std::string("Usage: kvpack list PKG\n"
             "\n"
             "Prints the package's table: index, name, offset, size, digest, and\n"
             "whether the entry verifies along the key chain (ok, or FAILED with the\n"
             "reason: out of bounds, digest mismatch, unsafe name, same file as\n"
             "another entry). Exits 0 when the table could be shown, whatever the\n"
             "entries hold.\n") +
             kProgramNote +
             "For a program, a line before the table tells where in it the package\n"
             "lies.\n";
    case Command::Verify:
      return std::string("Usage: kvpack verify PKG\n"
             "\n"
             "Walks the package along the key chain and checks every entry. Prints\n"
             "the result an extraction would give: 0 when all 21 entries verify,\n"
             "-(100+n) when n entries fail, -1 when the package is unreadable or\n"
             "holds no more than its 3276-byte table. Failing entries are named on\n"
             "stderr; exits 1 when any entry fails.\n") +
             kProgramNote;
    case Command::Extract:
      return std::string("Usage: kvpack extract PKG DIR\n"
             "\n"
             "Writes every entry that verifies and has a plain file name into DIR,\n"
             "creating DIR when it is missing. Each file is written as OUT is by\n"
             "build: through a new file beside it, renamed into place. An entry that\n"
             "fails is never written; failing entries are named on stderr and the\n"
             "exit code is then 1.\n") +
             kProgramNote;
    case Command::None:
      break;
  }
  return "kvpack: builds, inspects and unpacks 21-entry setup packages\n"
         "\n"
         "Usage:\n"
         "  kvpack build -o OUT [--reserved VALUE] MANIFEST\n"
         "  kvpack check MANIFEST\n"
         "  kvpack list PKG\n"
         "  kvpack verify PKG\n"
         "  kvpack extract PKG DIR\n"
         "  kvpack COMMAND --help\n"
         "\n"
         "PKG is a package file, or a Windows program that carries the package as\n"
         "its RCDATA 100 resource.\n"
         "\n"
         "Exit codes:\n"
         "  0  success\n"
         "  1  one or more entries failed verification\n"
         "  2  usage error\n"
         "  3  input error: a missing or unreadable file, a bad manifest or name,\n"
         "     a package over 4 GiB, or one too short to hold its table, a program\n"
         "     without the package resource or with damaged headers\n"
         "  4  output error: the output could not be written\n"
         "  5  several packages: the program holds RCDATA 100 in more than one\n"
         "     language, and none of them is checked\n";
}

}  // namespace kvpack

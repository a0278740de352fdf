// The five kvpack commands, and the dispatch from a command line to them.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "tools/kvpack/cli.h"

namespace kvpack {

// Each command writes its report to `out` and its errors to `err` as lines
// "kvpack: ...", and returns one of the exit codes of exit_codes.h.
int RunBuild(const Invocation& invocation, std::ostream& out, std::ostream& err);
// Checks a manifest as build does, reading no file's content and writing
// nothing, and prints the 21 files' paths as build reads them, one a line.
int RunCheck(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunList(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunVerify(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunExtract(const Invocation& invocation, std::ostream& out, std::ostream& err);

// What `list` and `verify` do once the file is read: `file` is the whole
// file's bytes (a package, or a program holding one as RCDATA 100) and `path`
// names it in the report. Same output and exit codes as RunList and
// RunVerify; nothing is read from or written to disk.
int ListPackageBytes(package::ByteView file, const std::filesystem::path& path,
                     std::ostream& out, std::ostream& err);
int VerifyPackageBytes(package::ByteView file, const std::filesystem::path& path,
                       std::ostream& out, std::ostream& err);

// Parses the arguments after the program name and runs the command, or
// prints help. Returns the process exit code.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kvpack

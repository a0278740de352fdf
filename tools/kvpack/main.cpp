// kvpack: host tool that builds, lists, verifies and extracts packages.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "tools/kvpack/commands.h"
#include "tools/kvpack/exit_codes.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return kvpack::RunCommandLine(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "kvpack: out of memory\n";
  } catch (const std::exception& failure) {
    std::cerr << "kvpack: " << failure.what() << '\n';
  }
  return kvpack::EXIT_OUTPUT;
}

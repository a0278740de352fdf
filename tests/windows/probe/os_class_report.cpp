// Prints what GetVersionExA reports to this program and the operating-system
// class the probe makes of it: "major minor productType class".
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "probe/system_probe.h"

int main() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    std::printf("refused %d\n", static_cast<int>(probe::GetOsClass()));
    return 1;
  }
  std::printf("%lu %lu %u %d\n", info.dwMajorVersion, info.dwMinorVersion,
              static_cast<unsigned>(info.wProductType), static_cast<int>(probe::GetOsClass()));
  return 0;
}

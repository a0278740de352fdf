// Times the install and the uninstall procedure of the embedded sample
// package in the running Wine prefix: `procedures_timing RUNS` runs both
// RUNS times (hidden, so no box) and prints the median, fastest and slowest
// of each in milliseconds. Exit code 0 when every run succeeded.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/app_state.h"
#include "app/options.h"
#include "platform/system.h"
#include "probe/folder_resolution.h"
#include "probe/system_probe.h"
#include "setup/install.h"
#include "setup/uninstall.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  std::printf("%-10s median %8.1f ms  min %8.1f ms  max %8.1f ms  (%u runs)\n", what, times[times.size() / 2],
              times.front(), times.back(), static_cast<unsigned>(times.size()));
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  if (runs < 1) runs = 1;
  CoInitialize(nullptr);
  probe::InitSpecialFolders();
  app::hiddenMode = 1;
  auto state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  state->instance = GetModuleHandleA(nullptr);
  state->is64BitHost = probe::IsWow64Host();
  platform::GetModulePath(nullptr, state->modulePath, sizeof state->modulePath);

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> installs;
  std::vector<double> uninstalls;
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    LARGE_INTEGER start, middle, end;
    QueryPerformanceCounter(&start);
    int32_t installed = setup::RunInstall(*state);
    QueryPerformanceCounter(&middle);
    int32_t removed = setup::RunUninstall(*state);
    QueryPerformanceCounter(&end);
    if (installed != 0 || removed != 0) {
      std::printf("run %d: install %d, uninstall %d\n", run, static_cast<int>(installed), static_cast<int>(removed));
      ++failures;
    }
    installs.push_back(Milliseconds(start, middle, frequency));
    uninstalls.push_back(Milliseconds(middle, end, frequency));
  }
  Report("install", installs);
  Report("uninstall", uninstalls);
  CoUninitialize();
  return failures == 0 ? 0 : 1;
}

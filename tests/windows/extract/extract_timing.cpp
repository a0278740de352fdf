// Whole-process timing of extraction under Wine or Windows. Extracts, N times
// each, into a fresh folder:
//   - the sample package embedded in this program as raw-data resource 100;
//   - a package of the shipped entry sizes (3.5 MB), built in memory and
//     embedded as resource 100 into a copy of this program, which is then
//     loaded as a data file and handed to the extraction as its module.
// Prints the time per extraction and the rate, and compares the process's
// CPU time for the extractions with, in the same run over the same bytes, the
// least work any verified extraction must do: two MD5 passes over every entry
// (its stored data for the chain, its plain content for the check) and one
// pass of the key stream.
//
//   extract_timing [N]        (default 20)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench/shipped_size_files.h"
#include "package/extract.h"
#include "package/load_table.h"
#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_walk.h"
#include "package/scramble.h"
#include "platform/digest.h"
#include "platform/package_view.h"
#include "setup/folder_tree.h"

namespace {

std::vector<uint8_t> ShippedSizePackage() {
  const std::vector<package::PackFile> files = benchdata::ShippedSizeFiles();
  std::vector<uint8_t> bytes;
  package::BuildPackage(files, package::DEFAULT_RESERVED, bytes);
  return bytes;
}

// Copies this program to `copy` with `bytes` as its only resource, raw-data
// 100, and loads the copy as a data file.
HMODULE EmbedIntoCopy(const std::string& copy, const std::vector<uint8_t>& bytes) {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (!CopyFileA(self, copy.c_str(), FALSE)) {
    return nullptr;
  }
  HANDLE update = BeginUpdateResourceA(copy.c_str(), TRUE);
  if (update == nullptr) {
    return nullptr;
  }
  const BOOL added =
      UpdateResourceA(update, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(platform::PACKAGE_RESOURCE_ID),
                      MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                      const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  if (!EndUpdateResourceA(update, added ? FALSE : TRUE) || !added) {
    return nullptr;
  }
  return LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// User plus kernel time of this process so far, in seconds.
double ProcessCpuSeconds() {
  FILETIME created;
  FILETIME exited;
  FILETIME kernel;
  FILETIME user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    return 0.0;
  }
  const auto ticks = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}

// The floor of a verified extraction, `rounds` times over the package's
// in-bounds entries: MD5 of the stored data, the key stream into a scratch
// block, MD5 of the result. Returns the CPU seconds it took.
double BaselineCpuSeconds(const platform::ReadOnlyBytes& bytes, const package::PackageTable& table,
                          int rounds) {
  std::vector<uint8_t> scratch;
  uint8_t digest[package::DIGEST_SIZE];
  const double start = ProcessCpuSeconds();
  for (int round = 0; round < rounds; ++round) {
    package::KeyChain chain = package::StartChain();
    for (uint32_t index = 0; index < package::PACKAGE_ENTRY_COUNT; ++index) {
      const package::PackageEntry entry = package::ReadEntry(table, index);
      if (!package::EntryInBounds(entry, bytes.size)) continue;
      const uint8_t* stored = bytes.data + entry.offset;
      scratch.resize(entry.size == 0 ? 1 : entry.size);
      platform::Md5Digest(stored, entry.size, digest);
      package::ScrambleBytes(scratch.data(), stored, entry.size, chain.running, chain.key);
      package::AdvanceChain(chain, digest);
      platform::Md5Digest(scratch.data(), entry.size, digest);
    }
  }
  return ProcessCpuSeconds() - start;
}

// Extracts the package of `module` `rounds` times into `folder`; prints one
// line. False when an extraction failed.
bool Time(const char* label, HMODULE module, const std::string& folder, int rounds) {
  auto state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  state->instance = module;
  const std::string target = folder + "\\KV\\Brevik";
  std::strcpy(state->targetFolder, target.c_str());
  platform::UniquePackage package;
  platform::ReadOnlyBytes bytes{nullptr, 0};
  if (setup::CreateFolderTree(target.c_str()) != 1 ||
      platform::OpenPackage(module, package, bytes) != platform::PACKAGE_OPEN ||
      package::LoadPackageTable(*state) != package::LOAD_TABLE_OK) {
    std::printf("%s: no package or no folder\n", label);
    return false;
  }
  const double megabytes = static_cast<double>(bytes.size) / (1024.0 * 1024.0);

  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  const double cpuStart = ProcessCpuSeconds();
  QueryPerformanceCounter(&start);
  int failures = 0;
  for (int round = 0; round < rounds; ++round) {
    if (package::ExtractPackage(*state) != package::EXTRACT_OK) {
      ++failures;
    }
  }
  QueryPerformanceCounter(&end);
  const double extractionCpu = ProcessCpuSeconds() - cpuStart;
  const double seconds =
      static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("%s: %.2f MB, %d extractions in %.3f s: %.1f ms each, %.1f MB/s%s\n", label,
              megabytes, rounds, seconds, seconds * 1000.0 / rounds, megabytes * rounds / seconds,
              failures != 0 ? " (SOME FAILED)" : "");
  const double baselineCpu = BaselineCpuSeconds(bytes, state->packageTable, rounds);
  std::printf("%s: CPU %.1f ms each for extraction, %.1f ms each for 2 x MD5 + key stream: %.2fx\n",
              label, extractionCpu * 1000.0 / rounds, baselineCpu * 1000.0 / rounds,
              baselineCpu > 0.0 ? extractionCpu / baselineCpu : 0.0);
  return failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 20;
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string work = std::string(temp) + "kv-extract-timing";
  setup::DeleteFolderTree(work.c_str());
  setup::CreateFolderTree((work + "\\x").c_str());

  bool ok = Time("sample package", GetModuleHandleA(nullptr), work + "\\sample", rounds);

  const std::vector<uint8_t> shipped = ShippedSizePackage();
  HMODULE copy = EmbedIntoCopy(work + "\\shipped-size.exe", shipped);
  if (copy == nullptr) {
    std::printf("shipped-size package: could not embed it\n");
    ok = false;
  } else {
    ok = Time("shipped-size package", copy, work + "\\shipped", rounds) && ok;
    FreeLibrary(copy);
  }
  setup::DeleteFolderTree(work.c_str());
  return ok ? 0 : 1;
}

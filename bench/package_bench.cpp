// Throughput of the verifying walk over a package of the shipped size, and of
// its two ingredients, MD5 and the key stream, over the same bytes. The walk
// costs two MD5 passes and one stream pass per byte; compare it with that.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench/shipped_size_files.h"
#include "package/extract.h"
#include "package/package_build.h"
#include "package/package_walk.h"
#include "package/scramble.h"
#include "platform/digest.h"
#include "platform/fake/fake_platform.h"

namespace {

struct Fixture {
  std::vector<package::PackFile> files;
  std::vector<uint8_t> package;
  uint64_t dataBytes = 0;
};

const Fixture& SharedFixture() {
  static const Fixture fixture = [] {
    Fixture made;
    made.files = benchdata::ShippedSizeFiles();
    for (const package::PackFile& file : made.files) {
      made.dataBytes += file.content.size();
    }
    if (package::BuildPackage(made.files, package::DEFAULT_RESERVED, made.package) !=
        package::BUILD_OK) {
      std::abort();
    }
    return made;
  }();
  return fixture;
}

void BM_WalkPackage(benchmark::State& state) {
  const Fixture& fixture = SharedFixture();
  package::PackageTable table;
  std::memcpy(table.bytes, fixture.package.data(), sizeof table.bytes);
  const package::ByteView view{fixture.package.data(), fixture.package.size()};
  for (auto _ : state) {
    uint32_t verified = 0;
    const uint32_t failures = package::WalkPackage(
        view, table, [&verified](const package::EntryOutcome& outcome) {
          verified += static_cast<uint32_t>(outcome.verified);
          benchmark::DoNotOptimize(outcome.plain);
        });
    if (failures != 0 || verified != 21) {
      state.SkipWithError("the package did not verify");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture.dataBytes));
}
BENCHMARK(BM_WalkPackage)->Unit(benchmark::kMillisecond);

void BM_Md5(benchmark::State& state) {
  const Fixture& fixture = SharedFixture();
  uint8_t digest[platform::MD5_DIGEST_SIZE];
  for (auto _ : state) {
    for (const package::PackFile& file : fixture.files) {
      platform::Md5Digest(file.content.data(), static_cast<uint32_t>(file.content.size()), digest);
      benchmark::DoNotOptimize(digest);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture.dataBytes));
}
BENCHMARK(BM_Md5)->Unit(benchmark::kMillisecond);

void BM_ScrambleBytes(benchmark::State& state) {
  const Fixture& fixture = SharedFixture();
  std::vector<uint8_t> out(1505568);
  const uint8_t key[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                           0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
  for (auto _ : state) {
    for (const package::PackFile& file : fixture.files) {
      package::ScrambleBytes(out.data(), file.content.data(),
                             static_cast<uint32_t>(file.content.size()), 0x3C91E2A7, key);
      benchmark::DoNotOptimize(out.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture.dataBytes));
}
BENCHMARK(BM_ScrambleBytes)->Unit(benchmark::kMillisecond);

// The whole extraction, as the install runs it, into the host build's
// in-memory file system: the walk plus building each path and handing each
// file's bytes to the platform's write. Against BM_WalkPackage this shows what
// extraction adds on top of verifying and unscrambling.
void BM_ExtractPackage(benchmark::State& state) {
  const Fixture& fixture = SharedFixture();
  namespace fake = platform::fake;
  fake::Reset();
  fake::SetPackage(fixture.package);
  fake::AddFolder("C:\\Program Files\\KV\\Brevik");
  static app::AppState appState;
  app::ClearAppState(appState);
  std::strcpy(appState.targetFolder, "C:\\Program Files\\KV\\Brevik");
  for (auto _ : state) {
    if (package::ExtractPackage(appState) != 0) {
      state.SkipWithError("the package did not extract");
      break;
    }
    state.PauseTiming();
    fake::ClearCalls();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture.dataBytes));
}
BENCHMARK(BM_ExtractPackage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

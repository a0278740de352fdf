// The fake of the system's answers (system.h): versions, WOW64, elevation,
// the host machine and the program's own path, as a test sets them.
#include "platform/fake/fake_system.h"

#include <cstring>
#include <string>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/system.h"

namespace platform::fake {

namespace {

constexpr char kSeam[] = "system";

struct SystemState {
  bool versionAnswered[3] = {};
  SystemVersion versions[3] = {};
  int wow64Result = WOW64_ANSWERED;
  int wow64Flag = 0;
  int elevation = ELEVATION_NO;
  uint16_t hostMachine = 0;
  bool modulePathFails = false;
  std::string modulePath = "C:\\Setup\\BrevikSetup.exe";
};

SystemState& TheSystem() {
  static SystemState state;
  return state;
}

}  // namespace

void ResetSystem() { TheSystem() = SystemState(); }

void SetVersion(int record, SystemVersion version) {
  if (record == VERSION_RECORD_EXTENDED || record == VERSION_RECORD_BASIC) {
    TheSystem().versionAnswered[record] = true;
    TheSystem().versions[record] = version;
  }
}
void RefuseVersion(int record) {
  if (record == VERSION_RECORD_EXTENDED || record == VERSION_RECORD_BASIC) {
    TheSystem().versionAnswered[record] = false;
  }
}
void SetWow64(int result, int flag) {
  TheSystem().wow64Result = result;
  TheSystem().wow64Flag = flag;
}
void SetModulePath(const std::string& path) {
  TheSystem().modulePath = path;
  TheSystem().modulePathFails = false;
}
void SetModulePathFails() { TheSystem().modulePathFails = true; }
const std::string& ModulePath() { return TheSystem().modulePath; }
void SetElevation(int elevation) {
  TheSystem().elevation = elevation;
}
void SetHostMachine(uint16_t machine) {
  TheSystem().hostMachine = machine;
}

}  // namespace platform::fake

namespace platform {

int QuerySystemVersion(int record, SystemVersion& version) {
  fake::LogCall(fake::kSeam, "QuerySystemVersion " + std::to_string(record));
  if (record < VERSION_RECORD_EXTENDED || record > VERSION_RECORD_BASIC ||
      !fake::TheSystem().versionAnswered[record]) {
    return 0;
  }
  version = fake::TheSystem().versions[record];
  if (record == VERSION_RECORD_BASIC) {
    version.productType = 0;
  }
  return 1;
}

int QueryWow64(int& isWow64) {
  fake::LogCall(fake::kSeam, "QueryWow64");
  if (fake::TheSystem().wow64Result == WOW64_ANSWERED) {
    isWow64 = fake::TheSystem().wow64Flag;
  }
  return fake::TheSystem().wow64Result;
}

int QueryElevation() {
  return fake::TheSystem().elevation;
}

int QueryHostMachine(uint16_t& machine) {
  if (fake::TheSystem().hostMachine == 0) return 0;
  machine = fake::TheSystem().hostMachine;
  return 1;
}

int GetModulePath(ModuleHandle module, char* buffer, uint32_t capacity) {
  (void)module;
  fake::LogCall(fake::kSeam, "GetModulePath " + std::to_string(capacity));
  if (capacity == 0) {
    return 0;
  }
  buffer[0] = '\0';
  const std::string& path = fake::TheSystem().modulePath;
  if (fake::TheSystem().modulePathFails || path.size() >= capacity || !fake::HasExactAnsiForm(path)) {
    return 0;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 1;
}

int GetModuleName(ModuleHandle module, char* buffer, uint32_t capacity) {
  (void)module;
  fake::LogCall(fake::kSeam, "GetModuleName " + std::to_string(capacity));
  if (capacity == 0) return 0;
  buffer[0] = '\0';
  const std::string& path = fake::TheSystem().modulePath;
  const size_t slash = path.rfind('\\');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (fake::TheSystem().modulePathFails || name.empty() || name.size() >= capacity ||
      !fake::HasExactAnsiForm(name)) {
    return 0;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return 1;
}

}  // namespace platform

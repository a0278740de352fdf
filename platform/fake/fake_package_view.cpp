// The fake of the package view (package_view.h): the bytes a test sets.
#include "platform/fake/fake_package_view.h"

#include <vector>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/package_view.h"

namespace platform::fake {

namespace {

constexpr char kSeam[] = "package_view";

struct PackageToken {
  int unused = 0;
};

struct PackageState {
  int package = PACKAGE_MISSING;
  std::vector<uint8_t> packageBytes;
  int openPackages = 0;
  ModuleHandle lastPackageModule = nullptr;
};

PackageState& ThePackage() {
  static PackageState state;
  return state;
}

}  // namespace

void ResetPackage() { ThePackage() = PackageState(); }

void SetPackage(const std::vector<uint8_t>& bytes) {
  ThePackage().package = PACKAGE_OPEN;
  ThePackage().packageBytes = bytes;
}
void SetPackageMissing() { ThePackage().package = PACKAGE_MISSING; }
void SetPackageUnreadable() { ThePackage().package = PACKAGE_UNREADABLE; }
int OpenPackages() { return ThePackage().openPackages; }
ModuleHandle LastPackageModule() { return ThePackage().lastPackageModule; }

}  // namespace platform::fake

namespace platform {

void ReleasePackage(void* package) {
  fake::LogCall(fake::kSeam, "ReleasePackage");
  --fake::ThePackage().openPackages;
  delete static_cast<fake::PackageToken*>(package);
}

int OpenPackage(ModuleHandle instance, UniquePackage& package, ReadOnlyBytes& bytes) {
  package.Reset();
  fake::LogCall(fake::kSeam, "OpenPackage");
  fake::ThePackage().lastPackageModule = instance;
  bytes = ReadOnlyBytes{nullptr, 0};
  if (fake::ThePackage().package != PACKAGE_OPEN) {
    return fake::ThePackage().package;
  }
  ++fake::ThePackage().openPackages;
  package.Reset(new fake::PackageToken);
  bytes = ReadOnlyBytes{fake::ThePackage().packageBytes.data(), fake::ThePackage().packageBytes.size()};
  return PACKAGE_OPEN;
}

}  // namespace platform

// Control of the fake package view (package_view.h). After fake::Reset there
// is no package.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/handles.h"

namespace platform::fake {

void SetPackage(const std::vector<uint8_t>& bytes);
void SetPackageMissing();
void SetPackageUnreadable();
// Package views opened and not yet released.
int OpenPackages();
// The module handle the last OpenPackage was asked about.
ModuleHandle LastPackageModule();

}  // namespace platform::fake

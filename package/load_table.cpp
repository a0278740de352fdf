// Loading of the package table from the package resource.
#include "package/load_table.h"

#include "package/package_format.h"
#include "platform/package_view.h"

namespace package {

int LoadPackageTable(app::AppState& state) {
  platform::UniquePackage resource;
  platform::ReadOnlyBytes bytes{nullptr, 0};
  if (platform::OpenPackage(state.instance, resource, bytes) != platform::PACKAGE_OPEN) {
    return LOAD_TABLE_FAILED;
  }
  return CopyPackageTable(ByteView{bytes.data, bytes.size}, state.packageTable) == TABLE_COPIED
             ? LOAD_TABLE_OK
             : LOAD_TABLE_FAILED;
}

}  // namespace package

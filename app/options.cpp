// The process-wide option flags.
#include "app/options.h"

namespace app {

int32_t hiddenMode = 0;
int32_t installMode = 0;
int32_t uninstallMode = 0;

}  // namespace app

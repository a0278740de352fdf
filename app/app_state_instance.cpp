// The process-wide application state record.
#include "app/app_state_instance.h"

namespace app {

AppState appState;

}  // namespace app

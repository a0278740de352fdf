// The in-memory platform that host tests link instead of the Windows layer:
// one fake per seam header (platform/X.h is faked in fake_X.cpp, controlled
// through fake_X.h), one reset for them all and one call log
// (fake_seam_log.h). Tests include this header for the whole fake.
#pragma once

#include "platform/fake/fake_canvas.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop_windows.h"
#include "platform/fake/fake_devices.h"
#include "platform/fake/fake_environment.h"
#include "platform/fake/fake_file_copy.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_folders.h"
#include "platform/fake/fake_log_file.h"
#include "platform/fake/fake_message_box.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_named_mutex.h"
#include "platform/fake/fake_package_view.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_shell_link.h"
#include "platform/fake/fake_shell_open.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_system_error.h"
#include "platform/fake/fake_system_metrics.h"
#include "platform/fake/fake_threads.h"
#include "platform/fake/fake_window.h"
#include "platform/platform.h"

namespace platform::fake {

// The whole fake back to its start state, every part at once (each part's
// header says what that is), the call log empty and without an observer.
// The native tests' main runs it before every test.
void Reset();

}  // namespace platform::fake

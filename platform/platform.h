// The platform seam: every operation the program's logic needs from the
// operating system, one kind per header. It is a link-time seam: the Windows
// build links the implementation in platform/win32, the host build the
// in-memory fake in platform/fake (all but the digest, platform/digest.h,
// which is real in both).
#pragma once

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/desktop_windows.h"
#include "platform/devices.h"
#include "platform/digest.h"
#include "platform/environment.h"
#include "platform/file_copy.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/held_folders.h"
#include "platform/log_file.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/named_mutex.h"
#include "platform/package_view.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell_link.h"
#include "platform/shell_open.h"
#include "platform/system.h"
#include "platform/system_error.h"
#include "platform/system_metrics.h"
#include "platform/threads.h"
#include "platform/window.h"

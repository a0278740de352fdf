// The platform seam: every operation the program's logic needs from the
// operating system. It is a link-time seam: the Windows build links the
// implementation in platform/win32, the host build the in-memory fake in
// platform/fake (all but the digest, platform/digest.h, which is real in both).
#pragma once

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/package_view.h"
#include "platform/system.h"

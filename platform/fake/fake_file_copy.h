// Control of the fake file-copy seam of the host build. Copies act on the
// fake file system (fake_files.h): the source must exist as a file and
// differ from the destination, whose content it then replaces.
//
// Seam log lines (fake_seam_log.h):
//   "CopyFileReplacing SOURCE | DESTINATION", "CopyModuleFile DESTINATION"
//   (the source is the module path set with SetModulePath, in whatever
//   characters), "SetFileAttributesNormal PATH"
#pragma once

namespace platform::fake {

// After fake::Reset copies and attribute changes behave as described above.
// Every copy fails from now on (or behaves normally again).
void FailFileCopy(bool fail);
// Every attribute change fails from now on (or succeeds again).
void FailSetAttributes(bool fail);

}  // namespace platform::fake

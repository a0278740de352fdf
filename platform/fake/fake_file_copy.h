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

// What a test sets; fake::Reset puts back these values (copies and
// attribute changes behave as described above).
struct FileCopyKnobs {
  bool failCopy = false;        // every copy fails
  bool failAttributes = false;  // every attribute change fails
};
extern FileCopyKnobs fileCopyKnobs;

}  // namespace platform::fake

// Extraction and removal of the package's files.
#include "package/extract.h"

#include <cstring>

#include "app/bounded_text.h"
#include "app/setup_log.h"
#include "package/package_format.h"
#include "package/package_walk.h"
#include "platform/answers.h"
#include "platform/files.h"
#include "platform/held_folders.h"
#include "platform/package_view.h"

namespace package {

namespace {

// Joins the target folder and the name of entry `index` of `table` into
// `out`. False for an empty folder (which would put the file at the root of
// the current drive), a name that is not a plain file name or that names the
// same file as another entry's, or a path longer than 1023 characters.
bool BuildEntryPath(const char* folder, const PackageTable& table, uint32_t index,
                    char (&out)[ENTRY_PATH_SIZE]) {
  if (!EntryMayBeWritten(table, index)) {
    return false;
  }
  const PackageEntry entry = ReadEntry(table, index);
  const size_t folderLength = strnlen(folder, app::TARGET_FOLDER_SIZE);
  if (folderLength == 0 || folderLength == app::TARGET_FOLDER_SIZE) {
    return false;
  }
  return app::JoinPath(out, sizeof out, folder, entry.name);
}

// Logs why an entry failed. The name field may lack its zero byte.
void LogEntry(const EntryOutcome& outcome, const char* reason, bool withSystemError) {
  char name[PACKAGE_NAME_SIZE + 1];
  std::memcpy(name, outcome.entry.name, PACKAGE_NAME_SIZE);
  name[PACKAGE_NAME_SIZE] = '\0';
  app::LogEntryFailure(outcome.index, name, reason, withSystemError);
}

}  // namespace

int ExtractPackage(app::AppState& state) {
  platform::UniquePackage resource;
  platform::ReadOnlyBytes bytes{nullptr, 0};
  if (platform::OpenPackage(state.instance, resource, bytes) != platform::PACKAGE_OPEN) {
    return EXTRACT_PACKAGE_MISSING;
  }
  const ByteView package{bytes.data, bytes.size};
  // A package not larger than the table leaves the table as it was; the walk
  // then goes on with it and every entry fails its bound test.
  CopyPackageTable(package, state.packageTable);

  uint32_t writeFailures = 0;
  const uint32_t unverified =
      WalkPackage(package, state.packageTable, [&](const EntryOutcome& outcome) {
        if (!outcome.verified) {
          // Counted by the walk.
          LogEntry(outcome, outcome.inBounds ? "digest mismatch" : "outside the package", false);
          return;
        }
        char path[ENTRY_PATH_SIZE];
        if (!BuildEntryPath(state.targetFolder, state.packageTable, outcome.index, path)) {
          LogEntry(outcome, "name or path refused", false);
          ++writeFailures;
        } else if ((outcome.plain == nullptr && outcome.entry.size > 0) ||
                   WriteWholeFile(path, outcome.plain, outcome.entry.size) != platform::ANSWER_YES) {
          LogEntry(outcome, "not written", true);
          ++writeFailures;
        }
      });
  return ExtractionResult(unverified + writeFailures);
}

int WriteWholeFile(const char* path, const void* data, uint32_t length) {
  const platform::BlockWrite write = platform::WriteFileBlock(path, data, length);
  return write.opened != 0 && write.writeReported != 0 && write.written == length ? platform::ANSWER_YES
                                                                                : platform::ANSWER_NO;
}

int DeletePackageFiles(app::AppState& state) {
  platform::UniqueHeldItem folder;
  if (state.targetFolder[0] != '\0') platform::HoldFolder(state.targetFolder, folder);
  return DeletePackageFiles(state, folder);
}

int DeletePackageFiles(app::AppState& state, const platform::UniqueHeldItem& folder) {
  for (uint32_t index = 0; index < PACKAGE_ENTRY_COUNT; ++index) {
    char path[ENTRY_PATH_SIZE];
    if (!BuildEntryPath(state.targetFolder, state.packageTable, index, path)) continue;
    const PackageEntry entry = ReadEntry(state.packageTable, index);
    // The path is for the log alone: the file is opened relative to the
    // held folder, never by the joined path.
    platform::UniqueHeldItem file;
    if (!folder.IsValid() || platform::OpenHeldFile(folder, entry.name, file) != platform::HELD_FILE ||
        platform::DeleteHeldItem(file) != platform::ANSWER_YES) {
      app::LogFileNotDeleted(path);
    }
  }
  return DELETE_FILES_DONE;
}

}  // namespace package

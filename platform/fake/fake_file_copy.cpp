// The fake file-copy seam over the fake file system.
#include "platform/fake/fake_file_copy.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/file_copy.h"

namespace platform::fake {

FileCopyKnobs fileCopyKnobs;

namespace {

bool SamePath(std::string first, std::string second) {
  auto upper = [](std::string& text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  };
  upper(first);
  upper(second);
  return first == second;
}

std::string ParentFolder(const std::string& path) {
  size_t at = path.rfind('\\');
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

}  // namespace

void ResetFileCopy() { fileCopyKnobs = FileCopyKnobs{}; }

}  // namespace platform::fake

namespace platform {

namespace {

bool CopyInFake(const std::string& source, const char* destination) {
  // A file cannot be copied onto itself: the system refuses, since the
  // source is open for reading while the destination is replaced.
  if (fake::fileCopyKnobs.failCopy || !fake::FileExists(source) || fake::SamePath(source, destination) ||
      fake::FolderExists(destination) || !fake::FolderExists(fake::ParentFolder(destination))) {
    return false;
  }
  fake::AddFile(destination, fake::FileContent(source));
  return true;
}

}  // namespace

int CopyFileReplacing(const char* source, const char* destination) {
  fake::LogCall("file_copy", std::string("CopyFileReplacing ") + source + " | " + destination);
  return CopyInFake(source, destination) ? 1 : 0;
}

int CopyModuleFile(ModuleHandle module, const char* destination) {
  (void)module;
  fake::LogCall("file_copy", std::string("CopyModuleFile ") + destination);
  return CopyInFake(fake::ModulePath(), destination) ? 1 : 0;
}

int SetFileAttributesNormal(const char* path) {
  fake::LogCall("file_copy", std::string("SetFileAttributesNormal ") + path);
  if (fake::fileCopyKnobs.failAttributes || !fake::FileExists(path)) return 0;
  return 1;
}

}  // namespace platform

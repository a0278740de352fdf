// The build manifest of kvpack, and the rules an entry name must meet.
#include "tools/kvpack/manifest.h"

#include "package/bytes.h"
#include "package/package_format.h"

namespace kvpack {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) {
    ++begin;
  }
  while (end > begin && IsBlank(text[end - 1])) {
    --end;
  }
  return text.substr(begin, end - begin);
}

}  // namespace

int ParseManifest(const std::string& text, const std::filesystem::path& folder,
                  std::vector<ManifestItem>& items, std::string& error) {
  items.clear();
  uint32_t lineNumber = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    ++lineNumber;
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#') {
      continue;
    }
    if (line.find('\0') != std::string::npos) {
      error = "line " + std::to_string(lineNumber) + " holds a zero byte";
      return 0;
    }
    const std::filesystem::path path(line);
    items.push_back({path.is_absolute() ? path : folder / path, lineNumber});
  }
  return 1;
}

std::string EntryNameProblem(const std::string& name) {
  if (name.empty()) {
    return "names no file";
  }
  if (name.size() >= package::PACKAGE_NAME_SIZE) {
    return "is " + std::to_string(name.size()) + " bytes long; an entry name holds at most " +
           std::to_string(package::PACKAGE_NAME_SIZE - 1);
  }
  if (name.find('\0') != std::string::npos) {
    return "holds a zero byte";
  }
  // A device name is told apart from a folder part: the release engineer
  // has to rename the file, not move it.
  if (package::NameIsDevice(name.data(), static_cast<uint32_t>(name.size())) == 1) {
    return "is a device name on Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, "
           "COM or LPT with a superscript digit), with or without an extension";
  }
  package::PackageEntry probe{};
  package::CopyBytes(probe.name, name.data(), static_cast<uint32_t>(name.size()));
  if (package::EntryNameIsSafe(probe) != 1) {
    return "is not a plain file name (it has a folder part: '\\', '/', ':' or '..')";
  }
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') {
      return "holds a character that Windows does not allow in file names";
    }
  }
  return std::string();
}

}  // namespace kvpack

// The build manifest of kvpack, and the rules an entry name must meet.
#include "tools/kvpack/manifest.h"

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

std::string NameProblemText(int problem, const std::string& name) {
  switch (problem) {
    case package::NAME_EMPTY:
      return "names no file";
    case package::NAME_TOO_LONG:
      return "is " + std::to_string(name.size()) + " bytes long; an entry name holds at most " +
             std::to_string(package::PACKAGE_NAME_SIZE - 1) + " bytes";
    case package::NAME_DEVICE:
      return "is a device name on Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, "
             "COM or LPT with a superscript digit), with or without an extension";
    case package::NAME_FOLDER_PART:
      return "is not a plain file name (it has a folder part: '\\', '/', ':' or '..')";
    case package::NAME_BAD_CHARACTER:
      return "holds a character that Windows does not allow in file names (a control character "
             "or < > \" | ? *)";
    case package::NAME_TRAILING_DOT_OR_SPACE: {
      std::string kept = name;
      while (!kept.empty() && (kept.back() == '.' || kept.back() == ' ')) {
        kept.pop_back();
      }
      return "ends in a full stop or a space, which Windows drops" +
             (kept.empty() ? std::string() : ": the entry would be written as '" + kept + "'");
    }
    case package::NAME_SHORT_FORM:
      return "could be the short (8.3) name of another file, which Windows would open in its "
             "place (a name that fits 8.3 may hold no '~')";
    default:
      return "is refused";
  }
}

std::string EntryNameProblem(const std::string& name) {
  const int problem = package::CheckEntryName(name.data(), static_cast<uint32_t>(name.size()));
  return problem == package::NAME_OK ? std::string() : NameProblemText(problem, name);
}

}  // namespace kvpack

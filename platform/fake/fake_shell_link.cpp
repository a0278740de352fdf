// Recording shell link object behind the platform seam for the native build.
#include "platform/fake/fake_shell_link.h"

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_seam_log.h"

#include <memory>
#include <set>

namespace platform {
namespace {

struct LinkObject {
  fake::SavedShortcut settings;
};

// A reference handed out: to the link or to its persist-file interface.
struct Reference {
  std::shared_ptr<LinkObject> object;
};

struct State {
  std::set<Reference*> live;
  size_t badReleases = 0;
  std::map<std::string, fake::SavedShortcut> saved;
};

State& TheState() {
  static State state;
  return state;
}

// ERROR_PATH_NOT_FOUND as a status code: the shortcut's folder is missing.
constexpr ComResult PATH_NOT_FOUND = static_cast<int32_t>(0x80070003);

std::string Text(const char* text) { return text == nullptr ? "(null)" : text; }

Reference* Live(void* id) {
  auto* reference = static_cast<Reference*>(id);
  return TheState().live.count(reference) != 0 ? reference : nullptr;
}

void Release(void* id, const char* what) {
  State& state = TheState();
  fake::LogCall("shell_link", what);
  Reference* reference = Live(id);
  if (reference == nullptr) {
    ++state.badReleases;
    return;
  }
  state.live.erase(reference);
  delete reference;
}

ComResult Set(ShellLinkId link, const char* method, const char* text,
              std::string fake::SavedShortcut::*field) {
  fake::LogCall("shell_link", std::string(method) + " " + Text(text));
  Reference* reference = Live(link);
  if (reference == nullptr) return COM_E_INVALIDARG;
  reference->object->settings.*field = Text(text);
  return COM_S_OK;
}

}  // namespace

void ReleaseShellLink(ShellLinkId link) { Release(link, "ReleaseShellLink"); }

void ReleasePersistFile(PersistFileId file) { Release(file, "ReleasePersistFile"); }

ComResult CreateShellLink(ShellLink& link) {
  State& state = TheState();
  fake::LogCall("shell_link", "CreateShellLink");
  if (fake::shellLinkKnobs.createFailure != COM_S_OK) return fake::shellLinkKnobs.createFailure;
  auto* reference = new Reference{std::make_shared<LinkObject>()};
  state.live.insert(reference);
  link.Reset(reference);
  return COM_S_OK;
}

ComResult SetShellLinkPath(ShellLinkId link, const char* targetPath) {
  return Set(link, "SetShellLinkPath", targetPath, &fake::SavedShortcut::targetPath);
}

ComResult SetShellLinkDescription(ShellLinkId link, const char* description) {
  return Set(link, "SetShellLinkDescription", description, &fake::SavedShortcut::description);
}

ComResult SetShellLinkArguments(ShellLinkId link, const char* arguments) {
  return Set(link, "SetShellLinkArguments", arguments, &fake::SavedShortcut::arguments);
}

ComResult SetShellLinkWorkingDirectory(ShellLinkId link, const char* folder) {
  return Set(link, "SetShellLinkWorkingDirectory", folder, &fake::SavedShortcut::workingDirectory);
}

ComResult QueryShellLinkPersistFile(ShellLinkId link, PersistFile& file) {
  State& state = TheState();
  fake::LogCall("shell_link", "QueryShellLinkPersistFile");
  Reference* reference = Live(link);
  if (reference == nullptr) return COM_E_INVALIDARG;
  if (fake::shellLinkKnobs.queryFailure != COM_S_OK) return fake::shellLinkKnobs.queryFailure;
  auto* persist = new Reference{reference->object};
  state.live.insert(persist);
  file.Reset(persist);
  return COM_S_OK;
}

ComResult SavePersistFile(PersistFileId file, const char* path) {
  State& state = TheState();
  fake::LogCall("shell_link", "SavePersistFile " + Text(path));
  Reference* reference = Live(file);
  if (reference == nullptr || path == nullptr) return COM_E_INVALIDARG;
  if (fake::shellLinkKnobs.saveFailure != COM_S_OK) return fake::shellLinkKnobs.saveFailure;
  // The file lands in the fake file system, so that the folder must exist and
  // a later delete of the shortcut file finds it.
  std::string target = path;
  size_t slash = target.rfind('\\');
  if (slash != std::string::npos && !fake::FolderExists(target.substr(0, slash))) {
    return PATH_NOT_FOUND;
  }
  const fake::SavedShortcut& settings = reference->object->settings;
  fake::AddFile(target, settings.targetPath + "|" + settings.description + "|" +
                            settings.arguments + "|" + settings.workingDirectory);
  state.saved[target] = settings;
  return COM_S_OK;
}

namespace fake {

void ResetShellLink() {
  State& state = TheState();
  for (Reference* reference : state.live) delete reference;
  state = State{};
  shellLinkKnobs = ShellLinkKnobs{};
  ForgetCallsOf("shell_link");
}

ShellLinkKnobs shellLinkKnobs;

size_t LiveShellLinkReferences() { return TheState().live.size(); }

size_t BadShellLinkReleaseCount() { return TheState().badReleases; }

const std::map<std::string, SavedShortcut>& SavedShortcuts() { return TheState().saved; }

}  // namespace fake
}  // namespace platform

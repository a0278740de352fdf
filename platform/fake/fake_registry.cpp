// In-memory registry behind the platform seam for the native build: a tree of
// keys under two roots, handles for opened keys, injected failures and a log.
#include "platform/fake/fake_registry.h"

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_seam_log.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>

namespace platform {
namespace {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::toupper(static_cast<unsigned char>(x)) <
             std::toupper(static_cast<unsigned char>(y));
    });
  }
};

struct Node {
  std::string name;      // as created
  std::string fullPath;  // "HKLM\A\B"
  std::map<std::string, std::shared_ptr<Node>, NoCaseLess> children;
  std::map<std::string, fake::RegistryValue, NoCaseLess> values;
  bool deleted = false;
  std::string linkTarget;    // "HKLM\\X" when the key is a link to X
  std::weak_ptr<Node> parent;
};

struct Failure {
  fake::RegistryOp op;
  std::string path;
  RegistryResult code;
};

struct State {
  std::shared_ptr<Node> hklm;
  std::shared_ptr<Node> hkcu;
  std::map<RegistryKeyId, std::shared_ptr<Node>> handles;
  RegistryKeyId nextHandle = 0x1000;
  std::vector<Failure> failures;
  size_t calls = 0;
  size_t badCloses = 0;

  State() { Reset(); }
  void Reset() {
    hklm = std::make_shared<Node>(Node{"HKLM", "HKLM", {}, {}, false, {}, {}});
    hkcu = std::make_shared<Node>(Node{"HKCU", "HKCU", {}, {}, false, {}, {}});
    handles.clear();
    nextHandle = 0x1000;
    failures.clear();
    calls = 0;
    badCloses = 0;
  }
};

State& TheState() {
  static State state;
  return state;
}

bool SameText(const std::string& a, const std::string& b) {
  NoCaseLess less;
  return !less(a, b) && !less(b, a);
}

std::vector<std::string> Components(const char* path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* p = path == nullptr ? "" : path; *p != '\0'; ++p) {
    if (*p == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += *p;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string Join(const std::string& base, const char* subKey) {
  std::string path = base;
  for (const std::string& part : Components(subKey)) {
    path += '\\';
    path += part;
  }
  return path;
}

// Resolves a root or an open handle; null when it is neither.
std::shared_ptr<Node> Resolve(RegistryKeyId key) {
  State& state = TheState();
  if (key == REGISTRY_HKLM) return state.hklm;
  if (key == REGISTRY_HKCU) return state.hkcu;
  auto found = state.handles.find(key);
  return found == state.handles.end() ? nullptr : found->second;
}

// Name of a key for the log, also when the handle is not valid.
std::string NameOf(RegistryKeyId key) {
  std::shared_ptr<Node> node = Resolve(key);
  if (node != nullptr) return node->fullPath;
  // Appended rather than "?" + ...: GCC 12 warns falsely (-Wrestrict) on that
  // form at -O3.
  std::string name = "?";
  name += std::to_string(key);
  return name;
}

std::shared_ptr<Node> WalkPath(const std::string& path, bool create, int depth = 0);

// Links chained further than this count as broken, as the system limits them.
constexpr int LINK_DEPTH_LIMIT = 16;

// The key a link leads to (null when its target is missing); any other key
// itself.
std::shared_ptr<Node> Follow(std::shared_ptr<Node> node, int depth) {
  if (node == nullptr || node->linkTarget.empty()) return node;
  if (depth >= LINK_DEPTH_LIMIT) return nullptr;
  return WalkPath(node->linkTarget, false, depth + 1);
}

// Walks `parts` down from `node`. A link passed through is followed, as the
// system does; a link at the last part is followed too unless `openLink`.
std::shared_ptr<Node> Walk(std::shared_ptr<Node> node, const std::vector<std::string>& parts,
                           bool create, bool openLink = false, int depth = 0) {
  for (const std::string& part : parts) {
    node = Follow(node, depth);
    if (node == nullptr) return nullptr;
    auto found = node->children.find(part);
    if (found == node->children.end()) {
      if (!create) return nullptr;
      auto child = std::make_shared<Node>();
      child->name = part;
      child->fullPath = node->fullPath + "\\" + part;
      child->parent = node;
      found = node->children.emplace(part, child).first;
    }
    node = found->second;
  }
  return openLink ? node : Follow(node, depth);
}

// The key at `path` (its first part HKLM or HKCU); with `openLink` a link at
// its last part is the key itself, not what it names.
std::shared_ptr<Node> WalkFromRoot(const std::string& path, bool create, bool openLink, int depth) {
  std::vector<std::string> parts = Components(path.c_str());
  if (parts.empty()) return nullptr;
  std::shared_ptr<Node> root;
  if (SameText(parts[0], "HKLM")) {
    root = TheState().hklm;
  } else if (SameText(parts[0], "HKCU")) {
    root = TheState().hkcu;
  } else {
    return nullptr;
  }
  parts.erase(parts.begin());
  return Walk(root, parts, create, openLink, depth);
}

std::shared_ptr<Node> WalkPath(const std::string& path, bool create, int depth) {
  return WalkFromRoot(path, create, false, depth);
}

// The key at `path` itself, a link not followed at its last part.
std::shared_ptr<Node> LinkAt(const std::string& path, bool create) { return WalkFromRoot(path, create, true, 0); }

// Counts a seam call and logs it; false once the call limit is passed.
bool Enter(const std::string& line) {
  State& state = TheState();
  if (++state.calls > fake::REGISTRY_CALL_LIMIT) return false;
  fake::LogCall("registry", line);
  return true;
}

std::optional<RegistryResult> InjectedFailure(fake::RegistryOp op, const std::string& path) {
  for (const Failure& failure : TheState().failures) {
    if (failure.op == op && SameText(failure.path, path)) return failure.code;
  }
  return std::nullopt;
}

RegistryKeyId NewHandle(std::shared_ptr<Node> node) {
  State& state = TheState();
  RegistryKeyId id = state.nextHandle;
  state.nextHandle += 4;
  state.handles.emplace(id, std::move(node));
  return id;
}

constexpr RegistryResult INVALID_HANDLE = 6;  // ERROR_INVALID_HANDLE

// The value NAME of an open key, as both reads find it: a missing or
// deleted key, an injected failure and a missing value answer as the system.
RegistryResult FindValue(const std::shared_ptr<Node>& node, const std::string& name,
                         const fake::RegistryValue*& value) {
  if (node == nullptr) return INVALID_HANDLE;
  if (node->deleted) return REGISTRY_KEY_DELETED;
  if (auto code = InjectedFailure(fake::RegistryOp::Query, node->fullPath)) return *code;
  auto found = node->values.find(name);
  if (found == node->values.end()) return REGISTRY_FILE_NOT_FOUND;
  value = &found->second;
  return REGISTRY_OK;
}

}  // namespace

void CloseRegistryKey(RegistryKeyId key) {
  State& state = TheState();
  if (key == REGISTRY_HKLM || key == REGISTRY_HKCU) return;
  auto found = state.handles.find(key);
  if (found == state.handles.end()) {
    ++state.badCloses;
    return;
  }
  Enter("CloseRegistryKey " + found->second->fullPath);
  state.handles.erase(found);
}

namespace {

// Both opens: `operation` names the call in the log; with `openLink` a link
// at the last part is opened itself.
RegistryResult OpenKey(const char* operation, RegistryKeyId parent, const char* subKey, bool openLink,
                       RegistryKey& key) {
  std::shared_ptr<Node> base = Resolve(parent);
  std::string path = Join(NameOf(parent), subKey);
  if (!Enter(std::string(operation) + " " + path)) return REGISTRY_ACCESS_DENIED;
  if (base == nullptr) return INVALID_HANDLE;
  if (base->deleted) return REGISTRY_KEY_DELETED;
  if (auto code = InjectedFailure(fake::RegistryOp::Open, path)) return *code;
  std::shared_ptr<Node> node = Walk(base, Components(subKey), false, openLink);
  if (node == nullptr) return REGISTRY_FILE_NOT_FOUND;
  key.Reset(NewHandle(node));
  return REGISTRY_OK;
}

}  // namespace

RegistryResult OpenRegistryKey(RegistryKeyId parent, const char* subKey, uint32_t /*access*/,
                               RegistryKey& key) {
  return OpenKey("OpenRegistryKey", parent, subKey, false, key);
}

RegistryResult OpenRegistryKeyItself(RegistryKeyId parent, const char* subKey, uint32_t /*access*/,
                                     RegistryKey& key) {
  return OpenKey("OpenRegistryKeyItself", parent, subKey, true, key);
}

int IsRegistryLink(RegistryKeyId key) {
  std::shared_ptr<Node> node = Resolve(key);
  Enter("IsRegistryLink " + NameOf(key));
  return node != nullptr && !node->linkTarget.empty() ? 1 : 0;
}

RegistryResult CreateRegistryKey(RegistryKeyId parent, const char* subKey, RegistryKey& key) {
  std::shared_ptr<Node> base = Resolve(parent);
  std::string path = Join(NameOf(parent), subKey);
  if (!Enter("CreateRegistryKey " + path)) return REGISTRY_ACCESS_DENIED;
  if (base == nullptr) return INVALID_HANDLE;
  if (base->deleted) return REGISTRY_KEY_DELETED;
  if (auto code = InjectedFailure(fake::RegistryOp::Create, path)) return *code;
  key.Reset(NewHandle(Walk(base, Components(subKey), true)));
  return REGISTRY_OK;
}

RegistryResult SetRegistryString(RegistryKeyId key, const char* valueName, const char* data,
                                 uint32_t byteCount) {
  std::shared_ptr<Node> node = Resolve(key);
  std::string name = valueName == nullptr ? "" : valueName;
  if (!Enter("SetRegistryString " + NameOf(key) + " [" + name + "] " + std::to_string(byteCount))) {
    return REGISTRY_ACCESS_DENIED;
  }
  if (node == nullptr) return INVALID_HANDLE;
  if (node->deleted) return REGISTRY_KEY_DELETED;
  if (auto code = InjectedFailure(fake::RegistryOp::SetValue, node->fullPath)) return *code;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data);
  node->values[name] = fake::RegistryValue{REGISTRY_TYPE_SZ, {bytes, bytes + byteCount}, true};
  return REGISTRY_OK;
}

RegistryResult QueryRegistryValue(RegistryKeyId key, const char* valueName, uint32_t& type,
                                  uint8_t* area, uint32_t& byteCount) {
  std::shared_ptr<Node> node = Resolve(key);
  std::string name = valueName == nullptr ? "" : valueName;
  if (!Enter("QueryRegistryValue " + NameOf(key) + " [" + name + "]")) return REGISTRY_ACCESS_DENIED;
  const fake::RegistryValue* found = nullptr;
  if (RegistryResult looked = FindValue(node, name, found); looked != REGISTRY_OK) return looked;
  const fake::RegistryValue& value = *found;
  type = value.type;
  uint32_t size = static_cast<uint32_t>(value.data.size());
  if (size > byteCount) {
    byteCount = size;
    return REGISTRY_MORE_DATA;
  }
  if (size > 0) std::memcpy(area, value.data.data(), size);
  byteCount = size;
  return REGISTRY_OK;
}

RegistryResult QueryRegistryTextExact(RegistryKeyId key, const char* valueName, char* text,
                                      uint32_t capacity) {
  std::shared_ptr<Node> node = Resolve(key);
  std::string name = valueName == nullptr ? "" : valueName;
  if (!Enter("QueryRegistryTextExact " + NameOf(key) + " [" + name + "]")) return REGISTRY_ACCESS_DENIED;
  if (capacity > 0) text[0] = '\0';
  const fake::RegistryValue* found = nullptr;
  if (RegistryResult looked = FindValue(node, name, found); looked != REGISTRY_OK) return looked;
  const fake::RegistryValue& value = *found;
  if (value.type != REGISTRY_TYPE_SZ) return REGISTRY_FILE_NOT_FOUND;
  std::string stored(value.data.begin(), value.data.end());
  stored = stored.substr(0, stored.find('\0'));
  if (!value.exact || !fake::HasExactAnsiForm(stored)) return REGISTRY_NO_EXACT_FORM;
  if (stored.size() >= capacity) return REGISTRY_MORE_DATA;
  std::memcpy(text, stored.c_str(), stored.size() + 1);
  return REGISTRY_OK;
}

RegistryResult EnumRegistrySubKey(RegistryKeyId key, uint32_t index, char* name,
                                  uint32_t& nameCapacity) {
  std::shared_ptr<Node> node = Resolve(key);
  if (!Enter("EnumRegistrySubKey " + NameOf(key) + " " + std::to_string(index))) return REGISTRY_ACCESS_DENIED;
  if (node == nullptr) return INVALID_HANDLE;
  if (node->deleted) return REGISTRY_KEY_DELETED;
  if (auto code = InjectedFailure(fake::RegistryOp::Enum, node->fullPath)) return *code;
  if (index >= node->children.size()) return REGISTRY_NO_MORE_ITEMS;
  auto child = std::next(node->children.begin(), index);
  const std::string& childName = child->second->name;
  if (!fake::HasExactAnsiForm(childName)) return REGISTRY_NO_EXACT_FORM;
  if (childName.size() >= nameCapacity) return REGISTRY_MORE_DATA;
  std::memcpy(name, childName.c_str(), childName.size() + 1);
  nameCapacity = static_cast<uint32_t>(childName.size());
  return REGISTRY_OK;
}

RegistryResult DeleteRegistryKey(RegistryKeyId key) {
  std::shared_ptr<Node> node = Resolve(key);
  if (!Enter("DeleteRegistryKey " + NameOf(key))) return REGISTRY_ACCESS_DENIED;
  if (node == nullptr) return INVALID_HANDLE;
  if (node->deleted) return REGISTRY_KEY_DELETED;
  std::shared_ptr<Node> owner = node->parent.lock();
  if (owner == nullptr) return REGISTRY_ACCESS_DENIED;  // a root
  if (auto code = InjectedFailure(fake::RegistryOp::Delete, node->fullPath)) return *code;
  if (!node->children.empty()) return REGISTRY_ACCESS_DENIED;
  node->deleted = true;
  owner->children.erase(node->name);
  return REGISTRY_OK;
}

namespace fake {

void ResetRegistry() {
  TheState().Reset();
  ForgetCallsOf("registry");
}

void AddRegistryKey(const std::string& path) { WalkPath(path, true); }

void PutRegistryValue(const std::string& path, const std::string& name, uint32_t type,
                      const std::vector<uint8_t>& data) {
  std::shared_ptr<Node> node = WalkPath(path, true);
  if (node != nullptr) node->values[name] = RegistryValue{type, data, true};
}

void AddRegistryLink(const std::string& path, const std::string& target) {
  std::shared_ptr<Node> node = LinkAt(path, true);
  if (node != nullptr) node->linkTarget = target;
}

void PutRegistryInexactText(const std::string& path, const std::string& name,
                            const std::string& ansiText) {
  std::vector<uint8_t> data(ansiText.begin(), ansiText.end());
  data.push_back(0);
  std::shared_ptr<Node> node = WalkPath(path, true);
  if (node != nullptr) node->values[name] = RegistryValue{REGISTRY_TYPE_SZ, data, false};
}

void PutRegistryText(const std::string& path, const std::string& name, const std::string& text,
                     bool withTerminator) {
  std::vector<uint8_t> data(text.begin(), text.end());
  if (withTerminator) data.push_back(0);
  PutRegistryValue(path, name, REGISTRY_TYPE_SZ, data);
}

bool RegistryKeyExists(const std::string& path) { return LinkAt(path, false) != nullptr; }

std::optional<RegistryValue> GetRegistryValue(const std::string& path, const std::string& name) {
  std::shared_ptr<Node> node = WalkPath(path, false);
  if (node == nullptr) return std::nullopt;
  auto found = node->values.find(name);
  if (found == node->values.end()) return std::nullopt;
  return found->second;
}

void FailRegistry(RegistryOp op, const std::string& path, RegistryResult code) {
  TheState().failures.push_back(Failure{op, path, code});
}

size_t OpenRegistryKeyCount() { return TheState().handles.size(); }

size_t BadRegistryCloseCount() { return TheState().badCloses; }

}  // namespace fake
}  // namespace platform

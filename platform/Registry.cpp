#include "platform/Registry.h"

#include <cstdio>
#include <cstring>

namespace reg {

namespace {

bool IsRoot(HKEY key) {
  const auto k = static_cast<uint32_t>(key);
  return k >= 0x80000000u && k <= 0x80000006u;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// "\Software\\Tools\" -> "software\tools": no empty parts, lower case.
std::string Normalize(std::string_view path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out += Lower(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return out;
}

}  // namespace

Registry& Registry::Local() {
  static Registry registry;
  return registry;
}

std::string Registry::KeyId(HKEY root, std::string_view path) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<uint32_t>(root));
  const std::string rest = Normalize(path);
  return rest.empty() ? std::string(hex) : std::string(hex) + '\\' + rest;
}

std::string Registry::Resolve(HKEY root, std::string_view subKey) const {
  if (IsRoot(root)) return KeyId(root, subKey);
  auto it = open_.find(root);
  if (it == open_.end()) return {};
  const std::string rest = Normalize(subKey);
  return rest.empty() ? it->second : it->second + '\\' + rest;
}

Registry::Key& Registry::MakeKey(HKEY root, std::string_view path) {
  const std::string id = KeyId(root, path);
  for (size_t cut = id.find('\\'); cut != std::string::npos; cut = id.find('\\', cut + 1)) keys_[id.substr(0, cut)];
  return keys_[id];
}

void Registry::SetValue(HKEY root, std::string_view key, std::string_view name, uint32_t type, std::string data) {
  MakeKey(root, key).values[Lower(name)] = Value{type, std::move(data)};
}

void Registry::SetString(HKEY root, std::string_view key, std::string_view name, std::string_view text) {
  std::string data(text);
  data += '\0';
  SetValue(root, key, name, REG_SZ, std::move(data));
}

void Registry::SetDword(HKEY root, std::string_view key, std::string_view name, uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  SetValue(root, key, name, REG_DWORD, std::move(data));
}

bool Registry::DeleteValue(HKEY root, std::string_view key, std::string_view name) {
  auto it = keys_.find(KeyId(root, key));
  return it != keys_.end() && it->second.values.erase(Lower(name)) > 0;
}

void Registry::SetKeyRights(HKEY root, std::string_view key, uint32_t rights) { MakeKey(root, key).rights = rights; }

int32_t Registry::OpenKeyEx(HKEY root, std::string_view subKey, uint32_t /*options*/, uint32_t samDesired,
                            HKEY* result) {
  *result = 0;
  const std::string id = Resolve(root, subKey);
  if (id.empty()) return ERROR_INVALID_HANDLE;
  uint32_t rights = KEY_ALL_RIGHTS;
  auto it = keys_.find(id);
  if (it != keys_.end())
    rights = it->second.rights;
  else if (id.find('\\') != std::string::npos)  // root keys always exist
    return ERROR_FILE_NOT_FOUND;
  if ((samDesired & ~rights) != 0) return ERROR_ACCESS_DENIED;
  const HKEY handle = nextHandle_++;
  open_[handle] = id;
  *result = handle;
  return ERROR_SUCCESS;
}

int32_t Registry::QueryValueEx(HKEY key, std::string_view name, uint32_t* type, char* data, uint32_t* size) const {
  const std::string id = Resolve(key, {});
  if (id.empty()) return ERROR_INVALID_HANDLE;
  auto k = keys_.find(id);
  if (k == keys_.end()) return ERROR_FILE_NOT_FOUND;
  auto v = k->second.values.find(Lower(name));
  if (v == k->second.values.end()) return ERROR_FILE_NOT_FOUND;
  if (type) *type = v->second.type;
  const auto needed = static_cast<uint32_t>(v->second.data.size());
  if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  const uint32_t room = *size;
  *size = needed;
  if (!data) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  std::memcpy(data, v->second.data.data(), needed);
  return ERROR_SUCCESS;
}

int32_t Registry::CloseKey(HKEY key) {
  if (IsRoot(key)) return ERROR_SUCCESS;
  return open_.erase(key) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace reg

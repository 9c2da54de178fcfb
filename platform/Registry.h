// Our stand-in for the desktop's registry: keys by path below a few root keys,
// each key holding named, typed values. It offers the three calls the About
// box makes (open a key, read a value, close the key), with the results and
// handles a registry gives. Key paths use backslashes; paths and value names
// compare without regard to case.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace reg {

using HKEY = int32_t;  // a root key or an open key's handle

inline constexpr HKEY HKEY_CLASSES_ROOT = static_cast<HKEY>(0x80000000u);
inline constexpr HKEY HKEY_CURRENT_USER = static_cast<HKEY>(0x80000001u);
inline constexpr HKEY HKEY_LOCAL_MACHINE = static_cast<HKEY>(0x80000002u);
inline constexpr HKEY HKEY_USERS = static_cast<HKEY>(0x80000003u);

// Value types.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

// Results.
inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_MORE_DATA = 234;

// Every right a key can grant; a key grants all of them unless told otherwise.
inline constexpr uint32_t KEY_ALL_RIGHTS = 0xFFFFFFFFu;

class Registry {
 public:
  // The process's own registry: the one the About box reads.
  static Registry& Local();

  // Writing values; a key and the keys above it come into being with their first value.
  void SetValue(HKEY root, std::string_view key, std::string_view name, uint32_t type, std::string data);
  void SetString(HKEY root, std::string_view key, std::string_view name, std::string_view text);  // REG_SZ, NUL-ended
  void SetDword(HKEY root, std::string_view key, std::string_view name, uint32_t value);          // little-endian
  bool DeleteValue(HKEY root, std::string_view key, std::string_view name);
  // The access rights a key grants; opening it asking for more fails.
  void SetKeyRights(HKEY root, std::string_view key, uint32_t rights);

  // Opens the key subKey below root (a root key or an open key). Sets *result
  // to a new handle, or to 0 on failure.
  int32_t OpenKeyEx(HKEY root, std::string_view subKey, uint32_t options, uint32_t samDesired, HKEY* result);
  // Reads a value into data, which holds *size bytes. Always sets *size to the
  // value's size; a null data only asks for the size and type; a buffer too
  // small gets nothing and ERROR_MORE_DATA.
  int32_t QueryValueEx(HKEY key, std::string_view name, uint32_t* type, char* data, uint32_t* size) const;
  int32_t CloseKey(HKEY key);

  size_t OpenHandles() const { return open_.size(); }

 private:
  struct Value {
    uint32_t type = REG_NONE;
    std::string data;
  };
  struct Key {
    uint32_t rights = KEY_ALL_RIGHTS;
    std::map<std::string, Value> values;  // by lower-case name
  };

  // "80000002\software\...": the root in hex, then the lower-case path.
  static std::string KeyId(HKEY root, std::string_view path);
  std::string Resolve(HKEY root, std::string_view subKey) const;  // empty when root is no key
  Key& MakeKey(HKEY root, std::string_view path);

  std::map<std::string, Key> keys_;
  std::map<HKEY, std::string> open_;  // handle -> key id
  HKEY nextHandle_ = 0x100;
};

}  // namespace reg

// The registry of the system the editor was born on, kept here as a small
// REGEDIT4-style text file (registry.reg beside PLICATO.INI):
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Varnex\Korvel\Plicato\Editor\TabSize]
//   @="8"
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Varnex\Korvel\Plicato\MainWindowPlacement]
//   "flags"=hex:02,00,00,00
//
// Keys hold a default (unnamed) string value and named values, strings or
// binary. Key and value names compare without case. The file is read once
// and written whole, atomically, after every change (or once per batch).
// A damaged file loads what can be loaded; the rest is dropped silently.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Registry {
 public:
  explicit Registry(std::string path);

  const std::string& path() const { return path_; }
  // Reads the file; a missing or unreadable file is an empty registry.
  void load();
  // Replaces the contents with what the text holds (what load does).
  void parse(const std::string& text);
  std::string serialise() const;

  // Key names are full paths ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); repeated
  // and trailing backslashes do not count. A key exists when it was created
  // or holds values, or when one of its subkeys does.
  bool hasKey(const std::string& key) const;
  // The string value `name` of the key; "" names the default value. Nothing
  // when the key or value is missing, or when the value is not a string.
  std::optional<std::string> getString(const std::string& key, const std::string& name = "") const;
  // A binary value (a dword of a hand-written file reads as its 4 bytes,
  // low byte first). Nothing when missing or not binary.
  std::optional<std::vector<uint8_t>> getBinary(const std::string& key,
                                                const std::string& name) const;

  // Each change goes to disk at once unless a batch is open. False (with
  // lastError) when the file could not be written; memory keeps the change
  // and the next write tries again.
  bool createKey(const std::string& key);
  bool setString(const std::string& key, const std::string& name, const std::string& value);
  bool setBinary(const std::string& key, const std::string& name, const std::vector<uint8_t>& bytes);
  void beginBatch() { ++batch_; }
  bool endBatch();
  bool save();
  const std::string& lastError() const { return lastError_; }

 private:
  struct Value {
    std::string name;  // "" for the default value
    bool binary = false;
    std::string data;  // string text or raw bytes
  };
  struct Key {
    std::string name;
    std::vector<Value> values;
  };
  Key* findKey(const std::string& name);
  const Key* findKey(const std::string& name) const;
  Key& makeKey(const std::string& name);
  const Value* findValue(const std::string& key, const std::string& name) const;
  bool setValue(const std::string& key, Value v);

  std::string path_;
  std::vector<Key> keys_;
  int batch_ = 0;
  bool dirty_ = false;
  std::string lastError_;
};

// The registry file of the configuration directory, loaded on first use.
Registry& registry();

// The hive every key of the program lives under.
inline constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";

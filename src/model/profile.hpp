// Profile (INI) files with the semantics programs expect from the Windows
// profile functions: sections and keys compare without case, values are
// trimmed, a missing entry yields the caller's default, and writing a key
// creates its section. Files are written atomically.
#pragma once

#include <string>
#include <vector>

class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  const std::string& path() const { return path_; }
  // Reads the file again when it changed on disk. A missing file is empty;
  // malformed lines are ignored.
  void refresh();
  // Parses INI text (what refresh does with the file's bytes).
  void parse(const std::string& text);
  std::string serialise() const;

  bool has(const std::string& section, const std::string& key) const;
  std::string getString(const std::string& section, const std::string& key,
                        const std::string& def) const;
  // Leading decimal number (with sign); text that is no number reads as 0.
  long getInt(const std::string& section, const std::string& key, long def) const;
  std::vector<std::string> keys(const std::string& section) const;
  std::vector<std::string> sections() const;

  // Each write goes to disk at once unless a batch is open. False (with
  // lastError) when the file could not be written; memory keeps the value.
  bool writeString(const std::string& section, const std::string& key, const std::string& value);
  bool deleteKey(const std::string& section, const std::string& key);
  bool deleteSection(const std::string& section);
  void beginBatch() { ++batch_; }
  bool endBatch();
  bool save();
  const std::string& lastError() const { return lastError_; }

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  Section* findSection(const std::string& name);
  const Section* findSection(const std::string& name) const;
  bool changed();

  std::string path_;
  std::vector<Section> sections_;
  long long stamp_ = -1;  // modification time of what we loaded
  int batch_ = 0;
  bool dirty_ = false;
  std::string lastError_;
};

// The profile file PLICATO.INI in the configuration directory.
ProfileFile& plicatoIni();

// Case-insensitive comparison of two names.
bool sameName(const std::string& a, const std::string& b);

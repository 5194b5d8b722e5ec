#include "model/profile.hpp"

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <sys/stat.h>

#include "model/atomicfile.hpp"
#include "model/paths.hpp"

namespace {

constexpr size_t kMaxLine = 1 << 16;  // longer lines are junk and ignored

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

long long modTime(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return 0;
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec +
         static_cast<long long>(st.st_size) * 7;
}

// The value as the file keeps it: reading strips blanks around a value and
// one pair of quotes around it, so a value that either would change goes
// out inside a pair of quotes of its own.
std::string written(const std::string& value) {
  if (value.empty()) return value;
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  if (quoted || blank(value.front()) || blank(value.back())) return "\"" + value + "\"";
  return value;
}

}  // namespace

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

bool ProfileFile::changed() { return modTime(path_) != stamp_; }

void ProfileFile::refresh() {
  if (dirty_ || !changed()) return;
  std::string text;
  stamp_ = modTime(path_);
  if (!readWholeFile(path_, text)) text.clear();
  parse(text);
}

void ProfileFile::parse(const std::string& text) {
  sections_.clear();
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string raw = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (raw.size() > kMaxLine || raw.find('\0') != std::string::npos) continue;
    std::string line = trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      if (close == std::string::npos) continue;
      std::string name = trim(line.substr(1, close - 1));
      current = findSection(name);
      if (!current) {
        sections_.push_back({name, {}});
        current = &sections_.back();
      }
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || !current) continue;
    std::string key = trim(line.substr(0, eq));
    std::string value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (key.empty()) continue;
    bool found = false;
    for (auto& e : current->entries)
      if (sameName(e.key, key)) {
        found = true;  // the first of two equal keys wins, as the profile functions read
        break;
      }
    if (!found) current->entries.push_back({key, value});
  }
}

std::string ProfileFile::serialise() const {
  std::string out;
  for (const auto& s : sections_) {
    if (!out.empty()) out += "\n";
    out += "[" + s.name + "]\n";
    for (const auto& e : s.entries) out += e.key + "=" + written(e.value) + "\n";
  }
  return out;
}

ProfileFile::Section* ProfileFile::findSection(const std::string& name) {
  for (auto& s : sections_)
    if (sameName(s.name, name)) return &s;
  return nullptr;
}

const ProfileFile::Section* ProfileFile::findSection(const std::string& name) const {
  for (const auto& s : sections_)
    if (sameName(s.name, name)) return &s;
  return nullptr;
}

bool ProfileFile::has(const std::string& section, const std::string& key) const {
  const Section* s = findSection(section);
  if (!s) return false;
  for (const auto& e : s->entries)
    if (sameName(e.key, key)) return true;
  return false;
}

std::string ProfileFile::getString(const std::string& section, const std::string& key,
                                   const std::string& def) const {
  const Section* s = findSection(section);
  if (s)
    for (const auto& e : s->entries)
      if (sameName(e.key, key)) return e.value;
  return def;
}

long ProfileFile::getInt(const std::string& section, const std::string& key, long def) const {
  if (!has(section, key)) return def;
  std::string v = getString(section, key, "");
  return std::strtol(v.c_str(), nullptr, 10);
}

std::vector<std::string> ProfileFile::keys(const std::string& section) const {
  std::vector<std::string> out;
  if (const Section* s = findSection(section))
    for (const auto& e : s->entries) out.push_back(e.key);
  return out;
}

std::vector<std::string> ProfileFile::sections() const {
  std::vector<std::string> out;
  for (const auto& s : sections_) out.push_back(s.name);
  return out;
}

bool ProfileFile::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
  refresh();
  Section* s = findSection(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  bool found = false;
  for (auto& e : s->entries)
    if (sameName(e.key, key)) {
      e.value = value;
      found = true;
      break;
    }
  if (!found) s->entries.push_back({key, value});
  dirty_ = true;
  return batch_ > 0 ? true : save();
}

bool ProfileFile::deleteKey(const std::string& section, const std::string& key) {
  refresh();
  if (Section* s = findSection(section)) {
    for (size_t i = 0; i < s->entries.size(); ++i)
      if (sameName(s->entries[i].key, key)) {
        s->entries.erase(s->entries.begin() + static_cast<long>(i));
        dirty_ = true;
        break;
      }
  }
  return batch_ > 0 ? true : save();
}

bool ProfileFile::deleteSection(const std::string& section) {
  refresh();
  for (size_t i = 0; i < sections_.size(); ++i)
    if (sameName(sections_[i].name, section)) {
      sections_.erase(sections_.begin() + static_cast<long>(i));
      dirty_ = true;
      break;
    }
  return batch_ > 0 ? true : save();
}

bool ProfileFile::endBatch() {
  if (batch_ > 0) --batch_;
  return batch_ > 0 ? true : save();
}

bool ProfileFile::save() {
  if (!dirty_) return true;
  std::string dir = dirName(path_);
  if (!dir.empty()) ensureConfigDir();
  std::string error;
  if (!writeFileAtomic(path_, serialise(), &error)) {
    lastError_ = error;
    return false;  // memory keeps the values; the next write tries again
  }
  dirty_ = false;
  stamp_ = modTime(path_);
  lastError_.clear();
  return true;
}

ProfileFile& plicatoIni() {
  static std::map<std::string, std::unique_ptr<ProfileFile>> files;
  std::string path = profilePath();
  auto& slot = files[path];
  if (!slot) slot = std::make_unique<ProfileFile>(path);
  slot->refresh();
  return *slot;
}

#include "app/registry.hpp"

#include <cctype>
#include <map>
#include <memory>
#include <string_view>

#include "model/atomicfile.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"

namespace {

// A logical line (continuations joined) longer than this is junk: nothing
// the program stores comes near it.
constexpr size_t kMaxLine = 1 << 16;

std::string_view trimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

std::string trim(std::string_view s) { return std::string(trimView(s)); }

// "A\\B\" and "A\B" are the same key. Dropping separators can bare
// blanks at an end, and trimming those can bare separators again: the form
// is taken again until it no longer changes, so a key read back from the
// file is the key that was written.
std::string normaliseKey(const std::string& name) {
  std::string out = name;
  for (;;) {
    std::string next;
    for (char c : trim(out)) {
      if (c == '\\' && (next.empty() || next.back() == '\\')) continue;
      next += c;
    }
    while (!next.empty() && next.back() == '\\') next.pop_back();
    if (next == out) return out;
    out = std::move(next);
  }
}

bool startsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && sameName(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the
// closing quote. False when the quote is never closed.
bool readQuoted(const std::string& s, size_t& pos, std::string& out) {
  out.clear();
  for (size_t i = pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out += s[++i];
      continue;
    }
    out += c;
  }
  return false;
}

// "02,00,ff": every byte exactly two hex digits, commas between, blanks
// allowed around them. A cut-off list is no value at all.
bool readHexBytes(const std::string& s, std::string& out) {
  out.clear();
  std::string t = trim(s);
  if (t.empty()) return true;
  size_t i = 0;
  while (true) {
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    if (i + 2 > t.size()) return false;
    int hi = hexDigit(t[i]), lo = hexDigit(t[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    if (i == t.size()) return true;
    if (t[i] != ',') return false;
    ++i;
  }
}

bool readDword(const std::string& s, std::string& out) {
  std::string t = trim(s);
  if (t.empty() || t.size() > 8) return false;
  uint32_t v = 0;
  for (char c : t) {
    int d = hexDigit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  out.clear();
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return true;
}

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string hexList(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += ',';
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace

Registry::Registry(std::string path) : path_(std::move(path)) {}

void Registry::load() {
  std::string text;
  if (!readWholeFile(path_, text)) text.clear();
  parse(text);
  dirty_ = false;
}

void Registry::parse(const std::string& text) {
  keys_.clear();
  std::vector<std::string_view> lines;
  std::string_view all(text);
  size_t pos = 0;
  while (pos < all.size()) {
    size_t eol = all.find('\n', pos);
    if (eol == std::string_view::npos) eol = all.size();
    lines.push_back(all.substr(pos, eol - pos));
    pos = eol + 1;
  }
  if (!lines.empty() && lines[0].substr(0, 3) == "\xEF\xBB\xBF") lines[0].remove_prefix(3);

  Key* current = nullptr;  // null: values are dropped until the next good key
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view view = trimView(lines[i]);
    if (view.size() > kMaxLine) {  // junk; not even copied
      if (view[0] == '[') current = nullptr;
      continue;
    }
    std::string line(view);
    bool junk = false;
    // Long values are continued on the next line after a trailing backslash.
    // Only hex lists continue, and never into a key line.
    while (!junk && !line.empty() && line.back() == '\\' && i + 1 < lines.size() &&
           line[0] != '[' && line.find("=hex") != std::string::npos &&
           trimView(lines[i + 1]).substr(0, 1) != "[") {
      line.pop_back();
      std::string_view next = trimView(lines[++i]);
      junk = line.size() + next.size() > kMaxLine;
      if (!junk) line += next;
    }
    if (line.find('\0') != std::string::npos) junk = true;
    if (junk) {
      if (!line.empty() && line[0] == '[') current = nullptr;
      continue;
    }
    if (line.empty() || line[0] == ';' || line == "REGEDIT4") continue;

    if (line[0] == '[') {
      size_t close = line.rfind(']');
      std::string name = close == std::string::npos ? "" : normaliseKey(line.substr(1, close - 1));
      // "[-KEY]" deletes a key on import; this file never needs it.
      if (name.empty() || name[0] == '-') {
        current = nullptr;
        continue;
      }
      current = &makeKey(name);
      continue;
    }
    if (!current) continue;

    Value v;
    size_t p = 0;
    if (line[0] == '@') {
      p = 1;
    } else if (line[0] == '"') {
      if (!readQuoted(line, p, v.name) || v.name.empty()) continue;
    } else {
      continue;
    }
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    if (p >= line.size() || line[p] != '=') continue;
    std::string rest = trim(line.substr(p + 1));

    if (!rest.empty() && rest[0] == '"') {
      size_t q = 0;
      if (!readQuoted(rest, q, v.data) || !trim(rest.substr(q)).empty()) continue;
      size_t nul = v.data.find('\0');
      if (nul != std::string::npos) v.data.resize(nul);
    } else if (rest.rfind("hex", 0) == 0) {
      std::string type = "3";
      size_t colon = rest.find(':');
      if (colon == std::string::npos) continue;
      std::string tag = rest.substr(0, colon);
      if (tag != "hex") {
        if (tag.size() < 6 || tag.compare(0, 4, "hex(") != 0 || tag.back() != ')') continue;
        type = tag.substr(4, tag.size() - 5);
      }
      if (!readHexBytes(rest.substr(colon + 1), v.data)) continue;
      // Typed hex 1 and 2 are strings (how a string with line breaks is kept).
      if (type == "1" || type == "2") {
        size_t nul = v.data.find('\0');
        if (nul != std::string::npos) v.data.resize(nul);
      } else {
        v.binary = true;
      }
    } else if (rest.rfind("dword:", 0) == 0) {
      if (!readDword(rest.substr(6), v.data)) continue;
      v.binary = true;
    } else if (rest == "-") {
      auto& vals = current->values;
      for (size_t k = 0; k < vals.size(); ++k)
        if (sameName(vals[k].name, v.name)) {
          vals.erase(vals.begin() + static_cast<long>(k));
          break;
        }
      continue;
    } else {
      continue;
    }
    bool replaced = false;  // a later line overrides an earlier one, as on import
    for (auto& old : current->values)
      if (sameName(old.name, v.name)) {
        old = v;
        replaced = true;
        break;
      }
    if (!replaced) current->values.push_back(std::move(v));
  }
}

std::string Registry::serialise() const {
  std::string out = "REGEDIT4\n\n";
  for (const auto& k : keys_) {
    out += "[" + k.name + "]\n";
    std::vector<const Value*> order;
    for (const auto& v : k.values)
      if (v.name.empty()) order.push_back(&v);
    for (const auto& v : k.values)
      if (!v.name.empty()) order.push_back(&v);
    for (const Value* v : order) {
      out += v->name.empty() ? "@" : quote(v->name);
      out += "=";
      if (v->binary)
        out += "hex:" + hexList(v->data);
      else if (v->data.find_first_of("\r\n") != std::string::npos)
        out += "hex(1):" + hexList(v->data + '\0');  // a line break would end the line
      else
        out += quote(v->data);
      out += "\n";
    }
    out += "\n";
  }
  return out;
}

Registry::Key* Registry::findKey(const std::string& name) {
  std::string n = normaliseKey(name);
  for (auto& k : keys_)
    if (sameName(k.name, n)) return &k;
  return nullptr;
}

const Registry::Key* Registry::findKey(const std::string& name) const {
  return const_cast<Registry*>(this)->findKey(name);
}

Registry::Key& Registry::makeKey(const std::string& name) {
  if (Key* k = findKey(name)) return *k;
  keys_.push_back({normaliseKey(name), {}});
  return keys_.back();
}

const Registry::Value* Registry::findValue(const std::string& key, const std::string& name) const {
  const Key* k = findKey(key);
  if (!k) return nullptr;
  for (const auto& v : k->values)
    if (sameName(v.name, name)) return &v;
  return nullptr;
}

bool Registry::hasKey(const std::string& key) const {
  std::string n = normaliseKey(key);
  if (n.empty()) return false;
  for (const auto& k : keys_)
    if (sameName(k.name, n) || startsWithNoCase(k.name, n + "\\")) return true;
  return false;
}

std::optional<std::string> Registry::getString(const std::string& key,
                                               const std::string& name) const {
  const Value* v = findValue(key, name);
  if (!v || v->binary) return std::nullopt;
  return v->data;
}

std::optional<std::vector<uint8_t>> Registry::getBinary(const std::string& key,
                                                        const std::string& name) const {
  const Value* v = findValue(key, name);
  if (!v || !v->binary) return std::nullopt;
  return std::vector<uint8_t>(v->data.begin(), v->data.end());
}

bool Registry::createKey(const std::string& key) {
  if (normaliseKey(key).empty()) return false;
  if (!findKey(key)) {
    makeKey(key);
    dirty_ = true;
  }
  return batch_ > 0 ? true : save();
}

bool Registry::setValue(const std::string& key, Value v) {
  if (normaliseKey(key).empty()) return false;
  Key& k = makeKey(key);
  bool found = false;
  for (auto& old : k.values)
    if (sameName(old.name, v.name)) {
      old.binary = v.binary;
      old.data = std::move(v.data);
      found = true;
      break;
    }
  if (!found) k.values.push_back(std::move(v));
  dirty_ = true;
  return batch_ > 0 ? true : save();
}

bool Registry::setString(const std::string& key, const std::string& name,
                         const std::string& value) {
  // A string value ends at its first zero byte, as it would in the registry.
  return setValue(key, {name, false, value.substr(0, value.find('\0'))});
}

bool Registry::setBinary(const std::string& key, const std::string& name,
                         const std::vector<uint8_t>& bytes) {
  return setValue(key, {name, true, std::string(bytes.begin(), bytes.end())});
}

bool Registry::endBatch() {
  if (batch_ > 0) --batch_;
  return batch_ > 0 ? true : save();
}

bool Registry::save() {
  if (!dirty_) return true;
  ensureConfigDir();
  std::string error;
  if (!writeFileAtomic(path_, serialise(), &error)) {
    lastError_ = error;
    return false;
  }
  dirty_ = false;
  lastError_.clear();
  return true;
}

Registry& registry() {
  static std::map<std::string, std::unique_ptr<Registry>> files;
  std::string path = registryPath();
  auto& slot = files[path];
  if (!slot) {
    slot = std::make_unique<Registry>(path);
    slot->load();
  }
  return *slot;
}

#include "platform/keyscript.hpp"

#include <cctype>
#include <map>

namespace {

enum : int {
  kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
  kVkMenu = 0x12, kVkEscape = 0x1B, kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22,
  kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27,
  kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E, kVkF1 = 0x70, kVkF10 = 0x79,
};

struct Named {
  int vk;
  int ch;  // character message the key gives without modifiers, or -1
};

const std::map<std::string, Named>& namedKeys() {
  static const std::map<std::string, Named> keys = {
      {"enter", {kVkReturn, 13}}, {"esc", {kVkEscape, 27}},   {"tab", {kVkTab, 9}},
      {"backspace", {kVkBack, 8}}, {"ins", {kVkInsert, -1}},  {"del", {kVkDelete, -1}},
      {"home", {kVkHome, -1}},     {"end", {kVkEnd, -1}},      {"pgup", {kVkPrior, -1}},
      {"pgdn", {kVkNext, -1}},     {"up", {kVkUp, -1}},        {"down", {kVkDown, -1}},
      {"left", {kVkLeft, -1}},     {"right", {kVkRight, -1}},  {"space", {kVkSpace, ' '}},
  };
  return keys;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// US keyboard: the unshifted key that gives a shifted symbol.
int shiftedBase(unsigned char ch) {
  static const std::string shifted = "!@#$%^&*()_+{}|:\"<>?~";
  static const std::string base = "1234567890-=[]\\;',./`";
  size_t i = shifted.find(static_cast<char>(ch));
  return i == std::string::npos ? -1 : base[i];
}

// Virtual-key code of the key that types an unshifted character.
int vkOfBase(unsigned char ch) {
  if (std::isalpha(ch)) return std::toupper(ch);
  if (std::isdigit(ch)) return ch;
  switch (ch) {
    case ' ': return kVkSpace;
    case '-': return 0xBD;
    case '=': return 0xBB;
    case '[': return 0xDB;
    case ']': return 0xDD;
    case '\\': return 0xDC;
    case ';': return 0xBA;
    case '\'': return 0xDE;
    case ',': return 0xBC;
    case '.': return 0xBE;
    case '/': return 0xBF;
    case '`': return 0xC0;
    default: return -1;
  }
}

// Appends the UTF-8 sequence at s[i] as one Latin-1 byte; false when the
// character has no single-byte form.
bool takeLatin1(const std::string& s, size_t& i, unsigned char& out) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    out = c;
    ++i;
    return true;
  }
  if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
    unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
    i += 2;
    if (cp > 0xFF) return false;
    out = static_cast<unsigned char>(cp);
    return true;
  }
  // Longer sequences are outside Latin-1: skip them whole.
  ++i;
  while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  return false;
}

}  // namespace

KeyStroke strokeForChar(unsigned char ch) {
  KeyStroke out;
  bool shift = false;
  int vk = -1;
  if (std::isupper(ch)) {
    shift = true;
    vk = ch;
  } else if (int b = shiftedBase(ch); b >= 0) {
    shift = true;
    vk = vkOfBase(static_cast<unsigned char>(b));
  } else {
    vk = vkOfBase(ch);
  }
  if (ch == '\r' || ch == '\n') vk = kVkReturn, ch = 13;
  if (ch == '\t') vk = kVkTab;
  if (shift) out.push_back({KeyMessage::KeyDown, kVkShift});
  if (vk >= 0) out.push_back({KeyMessage::KeyDown, vk});
  out.push_back({KeyMessage::Char, ch});
  if (vk >= 0) out.push_back({KeyMessage::KeyUp, vk});
  if (shift) out.push_back({KeyMessage::KeyUp, kVkShift});
  return out;
}

std::optional<std::vector<KeyStroke>> parseKeyScript(const std::string& script,
                                                     std::string* error) {
  std::vector<KeyStroke> strokes;
  size_t i = 0;
  auto fail = [&](const std::string& msg) -> std::optional<std::vector<KeyStroke>> {
    if (error) *error = msg;
    return std::nullopt;
  };
  while (i < script.size()) {
    unsigned char c = static_cast<unsigned char>(script[i]);
    if (std::isspace(c)) {
      ++i;
      continue;
    }
    if (c == '"') {
      ++i;
      bool closed = false;
      while (i < script.size()) {
        if (script[i] == '"') {
          closed = true;
          ++i;
          break;
        }
        if (script[i] == '\\' && i + 1 < script.size() &&
            (script[i + 1] == '"' || script[i + 1] == '\\')) {
          strokes.push_back(strokeForChar(static_cast<unsigned char>(script[i + 1])));
          i += 2;
          continue;
        }
        unsigned char ch;
        if (takeLatin1(script, i, ch)) strokes.push_back(strokeForChar(ch));
      }
      if (!closed) return fail("unterminated string in key script");
      continue;
    }
    size_t start = i;
    while (i < script.size() && !std::isspace(static_cast<unsigned char>(script[i]))) ++i;
    std::string token = script.substr(start, i - start);
    std::string rest = token;
    // The prefixes combine in any order (Ctrl-Shift-Tab, Shift-Alt-F7).
    bool shift = false, ctrl = false, alt = false;
    for (;;) {
      std::string l = lower(rest);
      if (l.rfind("shift-", 0) == 0 && rest.size() > 6) shift = true, rest = rest.substr(6);
      else if (l.rfind("ctrl-", 0) == 0 && rest.size() > 5) ctrl = true, rest = rest.substr(5);
      else if (l.rfind("alt-", 0) == 0 && rest.size() > 4) alt = true, rest = rest.substr(4);
      else break;
    }
    std::string name = lower(rest);
    int vk = -1;
    int ch = -1;
    if (auto it = namedKeys().find(name); it != namedKeys().end()) {
      vk = it->second.vk;
      ch = it->second.ch;
    } else if (name.size() >= 2 && name[0] == 'f' && std::isdigit(static_cast<unsigned char>(name[1]))) {
      int n = std::atoi(name.c_str() + 1);
      if (n < 1 || n > 12 || name.size() > 3) return fail("unknown key '" + token + "'");
      vk = kVkF1 + n - 1;
    } else if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
      vk = std::toupper(static_cast<unsigned char>(name[0]));
      ch = static_cast<unsigned char>(name[0]);
      if (shift && std::isalpha(ch)) ch = std::toupper(ch);
      else if (shift) ch = ")!@#$%^&*("[ch - '0'];
    } else {
      return fail("unknown key '" + token + "'");
    }
    // The character the combination gives, as Windows sends it.
    if (ctrl) {
      if (vk == kVkBack) ch = 127;
      else if (vk >= 'A' && vk <= 'Z') ch = vk - 'A' + 1;
      else if (vk == kVkReturn) ch = 10;
      else ch = -1;
    }
    if (alt) ch = -1;  // Alt combinations give system characters, which the editor ignores
    KeyStroke s;
    bool sys = alt || (vk == kVkF10 && !ctrl);
    auto down = [&](int code) { s.push_back({sys ? KeyMessage::SysKeyDown : KeyMessage::KeyDown, code}); };
    auto up = [&](int code) { s.push_back({sys ? KeyMessage::SysKeyUp : KeyMessage::KeyUp, code}); };
    if (ctrl) s.push_back({KeyMessage::KeyDown, kVkControl});
    if (shift) s.push_back({KeyMessage::KeyDown, kVkShift});
    if (alt) s.push_back({KeyMessage::SysKeyDown, kVkMenu});
    down(vk);
    if (ch >= 0) s.push_back({KeyMessage::Char, ch});
    up(vk);
    if (alt) s.push_back({KeyMessage::KeyUp, kVkMenu});
    if (shift) s.push_back({KeyMessage::KeyUp, kVkShift});
    if (ctrl) s.push_back({KeyMessage::KeyUp, kVkControl});
    strokes.push_back(std::move(s));
  }
  return strokes;
}

#include "commands/helptext.hpp"

#include "commands/context.hpp"

#include <algorithm>

#include "model/settings.hpp"

namespace {

constexpr int kLabelWidth = 13;  // labels are at most 12 characters
constexpr int kLineWidth = 76;

HelpKey keyOf(const CommandKeyTable& table, int kind, int code) {
  HelpKey k;
  k.key = keyName(kind, code);
  k.kind = kind;
  k.code = code;
  int e = findEntry(table, kind, code);
  if (e >= 0) k.label = commandLabel(table[e].command);
  return k;
}

std::string pad(const std::string& s, size_t width) {
  return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

std::string trimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

HelpSection functionKeys(const CommandKeyTable& table) {
  HelpSection s;
  s.title = "Function keys";
  s.columns = {"Normal", "Shift", "Alt", "Ctrl"};
  const int firsts[4] = {59, 84, 104, 94};  // F1 codes of each column
  for (int i = 0; i < 10; ++i) {
    s.rowNames.push_back("F" + std::to_string(i + 1));
    std::vector<HelpKey> row;
    for (int c = 0; c < 4; ++c) row.push_back(keyOf(table, kSpecialKey, firsts[c] + i));
    s.rows.push_back(row);
    if (i % 2 == 1 && i < 9) s.breaksAfter.push_back(i);  // the key pairs F1/F2 ... F9/F10
  }
  return s;
}

HelpSection keypad(const CommandKeyTable& table) {
  struct Pad {
    const char* name;
    int normal;
    int ctrl;
  };
  // In the keypad's own order: 7 8 9, 4 6, 1 2 3, 0 and the point.
  const Pad keys[] = {{"Home", 71, 119}, {"Up", 72, 141},    {"PgUp", 73, 132}, {"Left", 75, 115},
                      {"Right", 77, 116}, {"End", 79, 117},  {"Down", 80, 145}, {"PgDn", 81, 118},
                      {"Ins", 82, 146},   {"Del", 83, 147}};
  HelpSection s;
  s.title = "Keypad";
  s.columns = {"Normal", "Ctrl"};
  int i = 0;
  for (const Pad& p : keys) {
    s.rowNames.push_back(p.name);
    s.rows.push_back({keyOf(table, kSpecialKey, p.normal), keyOf(table, kSpecialKey, p.ctrl)});
    if (i == 2 || i == 4 || i == 7) s.breaksAfter.push_back(i);
    ++i;
  }
  return s;
}

HelpSection altDigits(const CommandKeyTable& table) {
  const int codes[10] = {0x78, 0x79, 0x7a, 0x7b, 0x7c, 0x7d, 0x7e, 0x7f, 0x80, 0x81};  // 1..9, 0
  HelpSection s;
  s.title = "Alt and digit";
  s.rows.emplace_back();
  for (int c : codes) s.rows[0].push_back(keyOf(table, kSpecialKey, c));
  return s;
}

HelpSection ctrlLetters(const CommandKeyTable& table) {
  HelpSection s;
  s.title = "Ctrl and letter";
  s.rows.emplace_back();
  for (int c = 1; c <= 26; ++c) {
    HelpKey k = keyOf(table, kCharKey, c);
    k.key = std::string("Ctrl-") + static_cast<char>('A' + c - 1);  // not "Backspace" for Ctrl-H
    s.rows[0].push_back(k);
  }
  return s;
}

// Whatever the sections above do not show, so that every binding is told.
HelpSection otherKeys(const CommandKeyTable& table, const std::vector<HelpSection>& shown) {
  HelpSection s;
  s.title = "Other keys";
  s.rows.emplace_back();
  for (const CommandKey& k : table) {
    if (k.command == 0) continue;
    bool seen = false;
    for (const HelpSection& sec : shown)
      for (const auto& row : sec.rows)
        for (const HelpKey& h : row)
          // By name: Enter is Ctrl-M to the tree, yet a reader looks for Enter.
          if (h.key == keyName(k)) seen = true;
    if (!seen) s.rows[0].push_back(keyOf(table, k.kind, k.code));
  }
  return s;
}

void renderGrid(const HelpSection& s, std::string& out) {
  size_t nameWidth = 0;
  for (const std::string& n : s.rowNames) nameWidth = std::max(nameWidth, n.size());
  nameWidth += 2;
  std::string head = pad("", nameWidth);
  for (const std::string& c : s.columns) head += pad(c, kLabelWidth);
  out += trimRight(head) + "\n";
  for (size_t r = 0; r < s.rows.size(); ++r) {
    std::string line = pad(s.rowNames[r], nameWidth);
    for (const HelpKey& k : s.rows[r]) line += pad(k.label.empty() ? "-" : k.label, kLabelWidth);
    out += trimRight(line) + "\n";
    if (std::find(s.breaksAfter.begin(), s.breaksAfter.end(), static_cast<int>(r)) !=
        s.breaksAfter.end())
      out += "\n";
  }
}

void renderList(const HelpSection& s, std::string& out) {
  if (s.rows.empty() || s.rows[0].empty()) return;
  size_t keyWidth = 0;
  for (const HelpKey& k : s.rows[0]) keyWidth = std::max(keyWidth, k.key.size());
  keyWidth += 2;
  size_t cell = keyWidth + kLabelWidth + 1;
  size_t perLine = std::max<size_t>(1, kLineWidth / cell);
  const auto& keys = s.rows[0];
  // Down the columns, as a reader scans a list.
  size_t lines = (keys.size() + perLine - 1) / perLine;
  for (size_t l = 0; l < lines; ++l) {
    std::string line;
    for (size_t c = 0; c < perLine; ++c) {
      size_t i = c * lines + l;
      if (i >= keys.size()) break;
      line += pad(keys[i].key, keyWidth) + pad(keys[i].label.empty() ? "-" : keys[i].label,
                                               kLabelWidth + 1);
    }
    out += trimRight(line) + "\n";
  }
}

}  // namespace

HelpModel helpModel(int layoutSetting, const CommandKeyTable& table) {
  HelpModel m;
  if (layoutSetting == 1) {
    m.resource = "HELP";
    m.title = "Standard Plicato Keyboard Layout";
  } else {
    m.resource = "HELP_2";
    m.title = "Windows Keyboard Layout";
  }
  m.sections = {functionKeys(table), keypad(table), altDigits(table), ctrlLetters(table)};
  m.sections.push_back(otherKeys(table, m.sections));
  m.buttons = {"Ok", "Print"};
  return m;
}

std::string helpText(const HelpModel& model) {
  std::string out = model.title + "\n" + std::string(model.title.size(), '=') + "\n";
  for (const HelpSection& s : model.sections) {
    out += "\n" + s.title + "\n" + std::string(s.title.size(), '-') + "\n";
    if (s.isGrid())
      renderGrid(s, out);
    else
      renderList(s, out);
  }
  return out;
}

std::string helpFileText() {
  std::string out = "Plicato keyboard layouts\n\n";
  out += "The layout is chosen in the editor options. \"User defined\" keeps the\n";
  out += "keys in force until the next start. A \"-\" marks a key without a command.\n\n";
  out += helpText(helpModel(1, kPlicatoStandardTable));
  out += "\n\n";
  out += helpText(helpModel(2, kWindowsTable));
  return out;
}

void showLayoutHelp(CommandContext& ctx) {
  HelpModel m = helpModel(ctx.settings.keyboardLayout, ctx.keys.table());
  ctx.host.helpDialog(m.resource, m.title, helpText(m));
}

#include "commands/keytable.hpp"

namespace {

constexpr CommandKey sp(int command, int code) { return {command, kSpecialKey, code}; }
constexpr CommandKey ch(int command, int code) { return {command, kCharKey, code}; }

// Names of the special-key codes. The keypad digit codes of the shifted
// navigation keys come first so that they win over the Alt letters that
// share them.
struct CodeName {
  int code;
  const char* name;
};

constexpr CodeName kSpecialNames[] = {
    {48, "Shift-Ins"},    {46, "Shift-Del"},    {49, "Shift-End"},     {50, "Shift-Down"},
    {51, "Shift-PgDn"},   {52, "Shift-Left"},   {54, "Shift-Right"},   {55, "Shift-Home"},
    {56, "Shift-Up"},     {57, "Shift-PgUp"},   {71, "Home"},          {72, "Up"},
    {73, "PgUp"},         {75, "Left"},         {77, "Right"},         {79, "End"},
    {80, "Down"},         {81, "PgDn"},         {82, "Ins"},           {83, "Del"},
    {115, "Ctrl-Left"},   {116, "Ctrl-Right"},  {117, "Ctrl-End"},     {118, "Ctrl-PgDn"},
    {119, "Ctrl-Home"},   {132, "Ctrl-PgUp"},   {141, "Ctrl-Up"},      {145, "Ctrl-Down"},
    {146, "Ctrl-Ins"},    {147, "Ctrl-Del"},    {148, "Ctrl-Tab"},     {151, "Alt-Home"},
    {152, "Alt-Up"},      {153, "Alt-PgUp"},    {155, "Alt-Left"},     {157, "Alt-Right"},
    {159, "Alt-End"},     {160, "Alt-Down"},    {161, "Alt-PgDn"},     {162, "Alt-Ins"},
    {163, "Alt-Del"},     {165, "Alt-Tab"},     {14, "Alt-Backspace"}, {28, "Alt-Enter"},
    {kShiftAltBackspaceCode, "Shift-Alt-Backspace"},
    {1, "Alt-Esc"},       {15, "Shift-Tab"},    {133, "F11"},          {134, "F12"},
    {135, "Shift-F11"},   {136, "Shift-F12"},   {137, "Ctrl-F11"},     {138, "Ctrl-F12"},
    {139, "Alt-F11"},     {140, "Alt-F12"},
};

// The PC BIOS Alt scan codes of the letters A..Z and digits 0..9.
constexpr int kAltLetter[26] = {0x1e, 0x30, 0x2e, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                0x1f, 0x14, 0x16, 0x2f, 0x11, 0x2d, 0x15, 0x2c};
constexpr int kAltDigit[10] = {0x81, 0x78, 0x79, 0x7a, 0x7b, 0x7c, 0x7d, 0x7e, 0x7f, 0x80};

std::string specialKeyName(int code) {
  // Function keys: F1-F10 59-68, Shift 84-93, Ctrl 94-103, Alt 104-113.
  static const char* const prefixes[4] = {"", "Shift-", "Ctrl-", "Alt-"};
  static const int firsts[4] = {59, 84, 94, 104};
  for (int i = 0; i < 4; ++i)
    if (code >= firsts[i] && code < firsts[i] + 10)
      return std::string(prefixes[i]) + "F" + std::to_string(code - firsts[i] + 1);
  for (const CodeName& n : kSpecialNames)
    if (n.code == code) return n.name;
  for (int d = 0; d < 10; ++d)
    if (kAltDigit[d] == code) return "Alt-" + std::to_string(d);
  for (int l = 0; l < 26; ++l)
    if (kAltLetter[l] == code) return std::string("Alt-") + static_cast<char>('A' + l);
  return "Key 0/" + std::to_string(code);
}

std::string charKeyName(int code) {
  switch (code) {
    case 8: return "Backspace";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 32: return "Space";
    case 127: return "Ctrl-Backspace";
    default: break;
  }
  if (code >= 1 && code <= 26) return std::string("Ctrl-") + static_cast<char>('A' + code - 1);
  if (code > 32 && code < 127) return std::string(1, static_cast<char>(code));
  return "Char " + std::to_string(code);
}

}  // namespace

const CommandKeyTable kPlicatoStandardTable = {{
    sp(256, 119),  // 0  Ctrl-Home
    sp(257, 90),   // 1  Shift-F7
    sp(258, 110),  // 2  Alt-F7
    ch(258, 25),   // 3  Ctrl-Y
    sp(259, 111),  // 4  Alt-F8
    sp(260, 83),   // 5  Del
    sp(261, 147),  // 6  Ctrl-Del
    sp(262, 79),   // 7  End
    sp(263, 71),   // 8  Home
    sp(264, 61),   // 9  F3
    sp(265, 62),   // 10 F4
    sp(266, 81),   // 11 PgDn
    sp(267, 73),   // 12 PgUp
    sp(268, 65),   // 13 F7
    sp(269, 82),   // 14 Ins
    sp(270, 72),   // 15 Up
    sp(271, 112),  // 16 Alt-F9
    sp(272, 66),   // 17 F8
    sp(273, 132),  // 18 Ctrl-PgUp
    sp(274, 75),   // 19 Left
    sp(275, 115),  // 20 Ctrl-Left
    sp(276, 85),   // 21 Shift-F2
    sp(277, 117),  // 22 Ctrl-End
    sp(278, 77),   // 23 Right
    sp(279, 116),  // 24 Ctrl-Right
    sp(280, 67),   // 25 F9
    sp(281, 92),   // 26 Shift-F9
    sp(282, 80),   // 27 Down
    sp(283, 113),  // 28 Alt-F10
    sp(284, 68),   // 29 F10
    sp(285, 93),   // 30 Shift-F10
    ch(286, 13),   // 31 Enter
    ch(287, 1),    // 32 Ctrl-A
    sp(288, 60),   // 33 F2
    sp(289, 84),   // 34 Shift-F1
    sp(290, 106),  // 35 Alt-F3
    sp(291, 107),  // 36 Alt-F4
    sp(292, 86),   // 37 Shift-F3
    ch(293, 17),   // 38 Ctrl-Q
    sp(294, 89),   // 39 Shift-F6
    sp(295, 120),  // 40 Alt-1
    sp(296, 124),  // 41 Alt-5
    sp(297, 64),   // 42 F6
    sp(298, 59),   // 43 F1
    ch(299, 18),   // 44 Ctrl-R
    ch(300, 8),    // 45 Backspace
    sp(301, 126),  // 46 Alt-7
    sp(302, 127),  // 47 Alt-8
    sp(303, 128),  // 48 Alt-9
    sp(304, 88),   // 49 Shift-F5
    ch(305, 7),    // 50 Ctrl-G
    sp(306, 121),  // 51 Alt-2
    sp(307, 102),  // 52 Ctrl-F9
    sp(308, 103),  // 53 Ctrl-F10
    sp(309, 63),   // 54 F5
    ch(310, 2),    // 55 Ctrl-B
    sp(311, 91),   // 56 Shift-F8
    sp(312, 129),  // 57 Alt-0
    ch(313, 23),   // 58 Ctrl-W
    sp(314, 87),   // 59 Shift-F4
    sp(315, 98),   // 60 Ctrl-F5
    sp(316, 99),   // 61 Ctrl-F6
    sp(317, 100),  // 62 Ctrl-F7
    sp(318, 56),   // 63 Shift-Up
    sp(319, 50),   // 64 Shift-Down
    sp(320, 57),   // 65 Shift-PgUp
    sp(321, 51),   // 66 Shift-PgDn
    ch(322, 3),    // 67 Ctrl-C
    sp(323, 48),   // 68 Shift-Ins
    sp(324, 46),   // 69 Shift-Del
    sp(325, 146),  // 70 Ctrl-Ins
    ch(326, 24),   // 71 Ctrl-X
    ch(327, 22),   // 72 Ctrl-V
    sp(328, 52),   // 73 Shift-Left
    sp(329, 54),   // 74 Shift-Right
    ch(330, 14),   // 75 Ctrl-N
    ch(331, 20),   // 76 Ctrl-T
    sp(332, 49),   // 77 Shift-End
    sp(333, 55),   // 78 Shift-Home
    sp(334, 108),  // 79 Alt-F5
    sp(335, 109),  // 80 Alt-F6
    sp(336, 155),  // 81 Alt-Left
    sp(337, 157),  // 82 Alt-Right
    sp(338, 14),   // 83 Alt-Backspace
    sp(339, kShiftAltBackspaceCode),  // 84 Shift-Alt-Backspace
    {0, 0, 0},     // 85 end
}};

const CommandKeyTable kWindowsTable = {{
    ch(256, 11),   // 0  Ctrl-K
    ch(257, 127),  // 1  Ctrl-Backspace
    sp(258, 110),  // 2  Alt-F7
    ch(258, 25),   // 3  Ctrl-Y
    sp(259, 111),  // 4  Alt-F8
    sp(260, 83),   // 5  Del
    ch(261, 21),   // 6  Ctrl-U
    ch(262, 16),   // 7  Ctrl-P
    ch(263, 5),    // 8  Ctrl-E
    sp(264, 96),   // 9  Ctrl-F3
    sp(265, 62),   // 10 F4
    ch(266, 4),    // 11 Ctrl-D
    ch(267, 26),   // 12 Ctrl-Z
    sp(268, 71),   // 13 Home
    sp(269, 82),   // 14 Ins
    sp(270, 72),   // 15 Up
    sp(271, 73),   // 16 PgUp
    sp(272, 79),   // 17 End
    sp(273, 132),  // 18 Ctrl-PgUp
    sp(274, 75),   // 19 Left
    sp(275, 115),  // 20 Ctrl-Left
    sp(276, 85),   // 21 Shift-F2
    sp(277, 107),  // 22 Alt-F4
    sp(278, 77),   // 23 Right
    sp(279, 116),  // 24 Ctrl-Right
    sp(280, 67),   // 25 F9
    sp(281, 119),  // 26 Ctrl-Home
    sp(282, 80),   // 27 Down
    sp(283, 81),   // 28 PgDn
    sp(284, 68),   // 29 F10
    sp(285, 117),  // 30 Ctrl-End
    ch(286, 13),   // 31 Enter
    ch(287, 2),    // 32 Ctrl-B
    sp(288, 60),   // 33 F2
    sp(289, 84),   // 34 Shift-F1
    sp(290, 106),  // 35 Alt-F3
    sp(291, 87),   // 36 Shift-F4
    sp(292, 86),   // 37 Shift-F3
    ch(293, 17),   // 38 Ctrl-Q
    ch(294, 1),    // 39 Ctrl-A
    sp(295, 120),  // 40 Alt-1
    ch(296, 10),   // 41 Ctrl-J
    sp(297, 64),   // 42 F6
    sp(298, 59),   // 43 F1
    ch(299, 18),   // 44 Ctrl-R
    ch(300, 8),    // 45 Backspace
    ch(301, 6),    // 46 Ctrl-F
    sp(302, 61),   // 47 F3
    sp(303, 19),   // 48 Alt-R
    ch(304, 15),   // 49 Ctrl-O
    ch(305, 7),    // 50 Ctrl-G
    sp(306, 35),   // 51 Alt-H
    sp(307, 102),  // 52 Ctrl-F9
    sp(308, 103),  // 53 Ctrl-F10
    sp(309, 63),   // 54 F5
    ch(310, 12),   // 55 Ctrl-L
    sp(311, 147),  // 56 Ctrl-Del
    sp(312, 129),  // 57 Alt-0
    ch(313, 23),   // 58 Ctrl-W
    ch(314, 19),   // 59 Ctrl-S
    sp(315, 98),   // 60 Ctrl-F5
    sp(316, 99),   // 61 Ctrl-F6
    sp(317, 100),  // 62 Ctrl-F7
    sp(318, 56),   // 63 Shift-Up
    sp(319, 50),   // 64 Shift-Down
    sp(320, 57),   // 65 Shift-PgUp
    sp(321, 51),   // 66 Shift-PgDn
    ch(322, 3),    // 67 Ctrl-C
    sp(323, 48),   // 68 Shift-Ins
    sp(324, 46),   // 69 Shift-Del
    sp(325, 146),  // 70 Ctrl-Ins
    ch(326, 24),   // 71 Ctrl-X
    ch(327, 22),   // 72 Ctrl-V
    sp(328, 52),   // 73 Shift-Left
    sp(329, 54),   // 74 Shift-Right
    ch(330, 14),   // 75 Ctrl-N
    ch(331, 20),   // 76 Ctrl-T
    sp(332, 49),   // 77 Shift-End
    sp(333, 55),   // 78 Shift-Home
    sp(334, 108),  // 79 Alt-F5
    sp(335, 109),  // 80 Alt-F6
    sp(336, 155),  // 81 Alt-Left
    sp(337, 157),  // 82 Alt-Right
    sp(338, 14),   // 83 Alt-Backspace
    sp(339, kShiftAltBackspaceCode),  // 84 Shift-Alt-Backspace
    {0, 0, 0},     // 85 end
}};

KeyTableInForce::KeyTableInForce() { set(kPlicatoStandardTable); }

void KeyTableInForce::set(const CommandKeyTable& table) {
  table_ = table;
  for (int i = 0; i < kKeyTableEntries; ++i) {
    const CommandKey& k = table_[i];
    const bool ends = k.command != 0 && k.kind == kSpecialKey && !keyKeepsMark(k.kind, k.command);
    endMark_[i] = ends ? 1 : 0;
  }
}

bool KeyTableInForce::endMarkFlag(int entry) const {
  if (entry < 0 || entry >= kKeyTableEntries) return false;
  return endMark_[entry] != 0;
}

CommandKey KeyTableInForce::entry(int n) const {
  if (n < 0 || n >= kKeyTableEntries) return {};
  return table_[n];
}

int findEntry(const CommandKeyTable& table, int kind, int code) {
  for (int i = 0; i < kKeyTableEntries; ++i)
    if (table[i].kind == kind && table[i].code == code) return i;
  return -1;
}

int KeyTableInForce::find(int kind, int code) const { return findEntry(table_, kind, code); }

int entryForCommand(const CommandKeyTable& table, int command) {
  if (!isCommandNumber(command)) return -1;
  for (int i = 0; i < kKeyTableEntries; ++i)
    if (table[i].command == command) return i;
  return -1;
}

int KeyTableInForce::entryForCommand(int command) const {
  return ::entryForCommand(table_, command);
}

void KeyTableInForce::selectStartupLayout(int layout) {
  set(layout == 2 ? kWindowsTable : kPlicatoStandardTable);
}

bool KeyTableInForce::applyLayoutTable(int layout) {
  if (layout == 1) {
    set(kPlicatoStandardTable);
    return true;
  }
  if (layout == 2) {
    set(kWindowsTable);
    return true;
  }
  return false;  // "User defined": the bindings in force stay
}

std::string layoutCaption(int layout) {
  if (layout == 1) return "Plicato Standard";
  if (layout == 2) return "Windows";
  return "User defined";
}

std::string mainMenuResource(int layout) { return layout == 1 ? "MAIN_MENU_PLI" : "MAIN_MENU_WIN"; }
std::string editorMenuResource(int layout) { return layout == 1 ? "MENU_PLI" : "MENU_WIN"; }

std::string keyName(int kind, int code) {
  return kind == kSpecialKey ? specialKeyName(code) : charKeyName(code);
}

std::string KeyTableInForce::keyNameOfCommand(int command) const {
  int e = entryForCommand(command);
  return e < 0 ? "" : keyName(table_[e]);
}

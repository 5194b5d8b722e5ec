// The two compiled-in keyboard layouts and the command-key table in force.
//
// Every editor command is a number from 256 to 339 (commandids.hpp). A layout binds each
// command to one key (delete line to two): a special key (kind 0, the byte 0
// then a PC extended scan code) or a plain character (kind 1, one byte).
// Menus, tool-bar buttons and double-clicks never call a command directly:
// they queue the key the table in force gives for it, so every command
// arrives through the key reader.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "commandids/commandids.hpp"

constexpr int kKeyTableEntries = 86;  // the last one is all zeros

// One binding: three 32-bit integers, as the table is copied whole.
struct CommandKey {
  int32_t command = 0;  // 256..339, 0 in the closing entry
  int32_t kind = 0;     // kSpecialKey or kCharKey
  int32_t code = 0;     // scan code, or character code
  bool operator==(const CommandKey&) const = default;
};

using CommandKeyTable = std::array<CommandKey, kKeyTableEntries>;
static_assert(sizeof(CommandKeyTable) == 1032);

// The compiled-in layouts.
extern const CommandKeyTable kPlicatoStandardTable;
extern const CommandKeyTable kWindowsTable;

// Fixed users of the table by position.
constexpr int kEntryEnterFold = 8;  // queued on a double-click
constexpr int kEntryExit = 38;      // queued when a window is asked to close
constexpr int kEntryRefresh = 44;   // queued when a mark ends

// The command-key table in force and its end-mark flags (one per editor,
// in its CommandContext). It starts as the standard layout.
class KeyTableInForce {
 public:
  KeyTableInForce();
  const CommandKeyTable& table() const { return table_; }
  // Replaces the table and recomputes the end-mark flags; the key tree must
  // be rebuilt afterwards (keytree.hpp: rebuildKeyTree).
  void set(const CommandKeyTable& table);
  // One byte per entry: set when the entry is a special key whose command
  // ends a mouse mark (its command does not keep the mark).
  const std::array<uint8_t, kKeyTableEntries>& endMarkFlags() const { return endMark_; }
  bool endMarkFlag(int entry) const;  // false outside 0..85
  // Kind and code of entry n ({0,0,0} outside 0..85).
  CommandKey entry(int n) const;
  // Position 0..85 of the first entry with this kind and code, or -1.
  int find(int kind, int code) const;
  // Position of the first entry bound to a command, or -1 (menus queue it).
  int entryForCommand(int command) const;
  // The key of a command, "" when it has none (menus).
  std::string keyNameOfCommand(int command) const;
  // At start-up layout 2 copies "Windows", anything else "Plicato
  // Standard".
  void selectStartupLayout(int layout);
  // The options page changed the layout: 1 and 2 copy their table, 3 ("User
  // defined") and anything else keep the table in force. True when a table
  // was copied. The caller rebuilds the key tree (keytree.hpp: changeLayout
  // does both).
  bool applyLayoutTable(int layout);

 private:
  CommandKeyTable table_;
  std::array<uint8_t, kKeyTableEntries> endMark_{};
};

int findEntry(const CommandKeyTable& table, int kind, int code);
int entryForCommand(const CommandKeyTable& table, int command);

// "Plicato Standard", "Windows" or "User defined".
std::string layoutCaption(int layout);
// MAIN_MENU_PLI for layout 1, MAIN_MENU_WIN otherwise; MENU_PLI / MENU_WIN.
std::string mainMenuResource(int layout);
std::string editorMenuResource(int layout);


// Readable name of a key: "Alt-F7", "Ctrl-Y", "Shift-F9", "Ins", "Enter".
// Codes shared by a shifted navigation key and an Alt letter read as the
// navigation key, as the layouts use them that way.
std::string keyName(int kind, int code);
inline std::string keyName(const CommandKey& k) { return keyName(k.kind, k.code); }

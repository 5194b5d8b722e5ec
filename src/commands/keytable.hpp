// Command numbers, the two compiled-in keyboard layouts and the command-key
// table in force.
//
// Every editor command is a number from 256 to 337. A layout binds each
// command to one key (delete line to two): a special key (kind 0, the byte 0
// then a PC extended scan code) or a plain character (kind 1, one byte).
// Menus, tool-bar buttons and double-clicks never call a command directly:
// they queue the key the table in force gives for it, so every command
// arrives through the key reader.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int kFirstCommand = 256;
constexpr int kLastCommand = 337;
constexpr int kKeyTableEntries = 84;  // the last one is all zeros

enum Command : int {
  cmdDeleteToEndOfLine = 256,
  cmdDeleteWordLeft = 257,
  cmdDeleteLine = 258,
  cmdRestoreLine = 259,
  cmdDeleteRight = 260,
  cmdUndeleteChar = 261,
  cmdOpenFold = 262,
  cmdEnterFold = 263,
  cmdMoveLine = 264,
  cmdCopyLine = 265,
  cmdCloseFold = 266,
  cmdExitFold = 267,
  cmdStartOfLine = 268,
  cmdCreateFold = 269,
  cmdCursorUp = 270,
  cmdPageUp = 271,
  cmdEndOfLine = 272,
  cmdRemoveFold = 273,
  cmdCursorLeft = 274,
  cmdWordLeft = 275,
  cmdFileUnfileFold = 276,
  cmdFinish = 277,
  cmdCursorRight = 278,
  cmdWordRight = 279,
  cmdScrollLineUp = 280,
  cmdTopOfFold = 281,
  cmdCursorDown = 282,
  cmdPageDown = 283,
  cmdScrollLineDown = 284,
  cmdEndOfFold = 285,
  cmdNewLine = 286,
  cmdAutofold = 287,
  cmdFoldInfo = 288,
  cmdBrowseEdit = 289,
  cmdPickLine = 290,
  cmdCopyPick = 291,
  cmdPutPick = 292,
  cmdExit = 293,
  cmdSaveAs = 294,
  cmdAttachFile = 295,
  cmdInsertFile = 296,
  cmdOpenAllFolds = 297,
  cmdHelp = 298,
  cmdRefresh = 299,
  cmdDeleteLeft = 300,
  cmdFind = 301,
  cmdFindNext = 302,
  cmdReplace = 303,
  cmdOpenFile = 304,
  cmdGoToLine = 305,
  cmdLineToFoldHeader = 306,
  cmdDefineMacro = 307,
  cmdCallMacro = 308,
  cmdCommand = 309,
  cmdInsertSpecialChar = 310,
  cmdDeleteWordRight = 311,
  cmdCommentFold = 312,
  cmdWordWrap = 313,
  cmdSave = 314,
  cmdOpenFile2 = 315,
  cmdSaveAs2 = 316,
  cmdReloadFile = 317,
  cmdMarkUp = 318,
  cmdMarkDown = 319,
  cmdMarkPageUp = 320,
  cmdMarkPageDown = 321,
  cmdCopyBlock = 322,
  cmdPasteBlock = 323,
  cmdCutBlock = 324,
  cmdCopyBlock2 = 325,
  cmdCutBlock2 = 326,
  cmdPasteBlock2 = 327,
  cmdMarkLeft = 328,
  cmdMarkRight = 329,
  cmdShowHideTree = 330,
  cmdGoToTreeSelection = 331,
  cmdMarkToEndOfLine = 332,
  cmdMarkToStartOfLine = 333,
  cmdCloseAllFolds = 334,
  cmdMaximizeWindow = 335,
  cmdToggleTreeTracking = 336,
  cmdSyncEditTree = 337,
};

inline bool isCommandNumber(int value) { return value >= kFirstCommand && value <= kLastCommand; }

enum KeyKind : int32_t { kSpecialKey = 0, kCharKey = 1 };

// One binding: three 32-bit integers, as the table is copied whole.
struct CommandKey {
  int32_t command = 0;  // 256..337, 0 in the closing entry
  int32_t kind = 0;     // kSpecialKey or kCharKey
  int32_t code = 0;     // scan code, or character code
  bool operator==(const CommandKey&) const = default;
};

using CommandKeyTable = std::array<CommandKey, kKeyTableEntries>;
static_assert(sizeof(CommandKeyTable) == 1008);

// The compiled-in layouts.
extern const CommandKeyTable kPlicatoStandardTable;
extern const CommandKeyTable kWindowsTable;

// Fixed users of the table by position.
constexpr int kEntryEnterFold = 8;  // queued on a double-click
constexpr int kEntryExit = 38;      // queued when a window is asked to close
constexpr int kEntryRefresh = 44;   // queued when a mark ends

// The command-key table in force (process-wide) and its end-mark flags.
const CommandKeyTable& commandKeyTable();
// Replaces the table in force and recomputes the end-mark flags; the key
// tree must be rebuilt afterwards (keytree.hpp: rebuildKeyTree).
void setCommandKeyTable(const CommandKeyTable& table);
// One byte per entry: set when the entry is a special key whose command
// ends a mouse mark (its command does not keep the mark).
const std::array<uint8_t, kKeyTableEntries>& endMarkFlags();
bool endMarkFlag(int entry);  // false outside 0..83

// Per-command flags; all false outside 256..337.
bool isLineCommand(int command);     // L: handled inside the line editor
bool isBrowseSafe(int command);      // B: allowed in browse mode, does not modify
bool isCreateFoldSafe(int command);  // C: allowed while a fold is being created
bool keepsMark(int command);         // K: a mouse mark survives it from a special key
// Whether a mouse mark survives the command of a key of this kind: for a
// special key the K flag says so, for a character key the T flag (copy,
// cut and paste block, on Ctrl-C, Ctrl-X and Ctrl-V). The window asks it
// when a key is queued (for special keys through endMarkFlag), the line
// editor when the command arrives.
bool keyKeepsMark(int keyKind, int command);

// Kind and code of entry n of the table in force ({0,0,0} outside 0..83).
CommandKey commandKeyOfEntry(int n);
// Position 0..83 of the first entry with this kind and code, or -1.
int findEntry(int kind, int code);
int findEntry(const CommandKeyTable& table, int kind, int code);
// Position of the first entry bound to a command, or -1 (menus queue it).
int entryForCommand(int command);
int entryForCommand(const CommandKeyTable& table, int command);

// Layout choice. At start-up layout 2 copies "Windows", anything else
// "Plicato Standard".
void selectStartupLayout(int layout);
// The options page changed the layout: 1 and 2 copy their table, 3 ("User
// defined") and anything else keep the table in force. True when a table
// was copied. The caller rebuilds the key tree (keytree.hpp: changeLayout
// does both).
bool applyLayoutTable(int layout);
// "Plicato Standard", "Windows" or "User defined".
std::string layoutCaption(int layout);
// MAIN_MENU_PLI for layout 1, MAIN_MENU_WIN otherwise; MENU_PLI / MENU_WIN.
std::string mainMenuResource(int layout);
std::string editorMenuResource(int layout);

// The command's name ("delete line") and its short label for the help
// template ("Del line"); "" outside 256..337.
std::string commandName(int command);
std::string commandLabel(int command);

// Readable name of a key: "Alt-F7", "Ctrl-Y", "Shift-F9", "Ins", "Enter".
// Codes shared by a shifted navigation key and an Alt letter read as the
// navigation key, as the layouts use them that way.
std::string keyName(int kind, int code);
inline std::string keyName(const CommandKey& k) { return keyName(k.kind, k.code); }
inline std::string keyNameOfEntry(int n) { return keyName(commandKeyOfEntry(n)); }
// The key of a command in the table in force, "" when it has none (menus).
std::string keyNameOfCommand(int command);

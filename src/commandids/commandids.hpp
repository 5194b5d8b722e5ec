// The editor's command numbers and what each command may do: the ids the
// engine, the display and the key reader share. Every editor command is a
// number from 256 to 339; which key gives it is the key table's business
// (commands/keytable.hpp).
#pragma once

#include <cstdint>
#include <string>

constexpr int kFirstCommand = 256;
constexpr int kLastCommand = 339;

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
  cmdUndo = 338,
  cmdRedo = 339,
};

inline bool isCommandNumber(int value) { return value >= kFirstCommand && value <= kLastCommand; }

// A key is a special key (the byte 0 then a PC extended scan code) or a
// plain character (one byte).
enum KeyKind : int32_t { kSpecialKey = 0, kCharKey = 1 };

// The special-key code of Shift-Alt-Backspace (the PC keyboard gives it
// the code of Alt-Backspace; redo needs one beside undo's).
constexpr int kShiftAltBackspaceCode = 167;

// Per-command flags; all false outside 256..339.
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

// The command's name ("delete line") and its short label for the help
// template ("Del line"); "" outside 256..339.
std::string commandName(int command);
std::string commandLabel(int command);

// Context menu command ids.
enum ContextMenuId : int {
  kMenuSaveAs = 104,
  kMenuCreateFold = 105,
  kMenuOpenAllFolds = 116,
  kMenuCloseAllFolds = 117,
  kMenuExitFold = 202,
  kMenuSyncEditTree = 211,
  kMenuUndo = 301,
  kMenuCut = 302,
  kMenuCopy = 303,
  kMenuPaste = 304,
  kMenuDelete = 309,
};

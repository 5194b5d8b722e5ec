// The commands of the frame and what its menus and tool bar are made of.
//
// Frame commands have ids of their own (110 new, 101 open, ...); editor
// commands are the numbers 256..337 of the key table, and a menu entry or
// button that stands for one queues the command's key into the active
// editor window, so it runs exactly what the key runs. The tables here are
// plain data: the frame turns them into QActions.
#pragma once

#include <QString>

#include "commands/helptext.hpp"

#include <string>
#include <vector>

// Ids of the frame and client commands.
enum FrameCommand : int {
  cmOpen = 101,
  cmSave = 102,
  cmSaveAs = 103,
  cmSaveExit = 105,
  cmPrintScreen = 106,
  cmPrinterSetup = 107,
  cmPrinterFont = 108,
  cmPrintBuffer = 109,
  cmNew = 110,
  cmSaveAll = 111,
  cmPrintPreview = 112,
  cmPrintLayout = 115,  // the help dialog's Print button; no menu entry
  cmSend = 120,
  cmCompile = 401,
  cmMake = 402,
  cmRun = 403,
  cmArguments = 404,
  cmOptions = 602,
  cmToolBar = 610,
  cmStatusBar = 611,
  cmCascade = 701,
  cmTile = 702,
  cmNextWindow = 703,      // Ctrl-Tab
  cmPreviousWindow = 704,  // Ctrl-Shift-Tab
  cmHelpKeys = 901,
  cmAbout = 902,
  cmExit = 24310,
};

// The hint of a frame command: the status-bar text and, after "\n", the
// short text of the button's tool tip. "" for an id without one.
std::string frameHint(int id);
// The two halves of a hint.
QString hintStatus(const std::string& hint);
QString hintTip(const std::string& hint);

// One entry of an editor menu: the commands it stands for (the first one is
// queued; the others are further keys of the same action), or a sub-menu.
struct EditorMenuItem {
  std::vector<int> commands;            // empty = separator (or sub-menu)
  QString subMenu;                      // a sub-menu's title
  std::vector<EditorMenuItem> items;    // its entries
};

struct EditorMenu {
  QString title;
  std::vector<EditorMenuItem> items;
};

// The document menus (Edit, Fold, Search) of the layout in force. Together
// with the frame's entries that queue editor keys (open, save, save as,
// help, maximize) they hold every editor command.
const std::vector<EditorMenu>& editorMenus();

// "Delete line\tAlt-F7, Ctrl-Y": the command's name with every key the
// table in force binds to the listed commands.
QString editorEntryText(const CommandKeyTable& table, const std::vector<int>& commands);
// The keys alone ("Alt-F7, Ctrl-Y"), "" when none is bound.
QString keysOfCommands(const CommandKeyTable& table, const std::vector<int>& commands);
// "delete line" -> "Delete line".
QString capitalised(const std::string& text);

// The buttons of the tool bar, in their order; "" is a separator.
struct ToolButton {
  const char* name;  // NEW, OPEN, ... (also the icon's file name, lower case)
  int frameCommand;  // a frame command id, or 0
  int editorCommand; // an editor command, or 0
};
const std::vector<ToolButton>& toolButtons();

// The keys of the frame itself (the document windows), for the help of the
// keyboard layout: they are the same in every layout.
HelpSection frameKeysSection();

// Context-menu ids of the editor window onto the commands they run; 0 for
// an id that runs nothing.
int contextCommand(int id);

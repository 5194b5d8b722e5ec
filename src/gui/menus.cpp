#include "gui/menus.hpp"

#include <QStringList>

#include <map>

#include "commands/keytable.hpp"
#include "display/editorview.hpp"

std::string frameHint(int id) {
  static const std::map<int, std::string> hints = {
      {cmNew, "Create new file\nNew file"},
      {cmOpen, "Open file\nOpen"},
      {cmSave, "Save current file\nSave"},
      {cmSaveAs, "Save current file with a new name\nSave as"},
      {cmSaveAll, "Save all files\nSave all"},
      {cmSaveExit, "Exit with save\nSave & Exit"},
      {cmPrintScreen, "Print current screen\nPrint screen"},
      {cmPrinterSetup, "Change the printer and its options\nPrinter setup"},
      {cmPrinterFont, "Choose the font of printouts\nPrinter font"},
      {cmPrintBuffer, "Print the whole current file\nPrint buffer"},
      {cmPrintPreview, "Show the printout of the current file\nPrint preview"},
      {cmSend, "Send the current file by mail\nSend"},
      {cmCompile, "Compile\nCompile"},
      {cmMake, "Make \nMake"},
      {cmRun, "Run the program that was built\nRun"},
      {cmArguments, "Arguments for running the program\nArguments"},
      {cmOptions, "Plicato options\nOptions"},
      {cmToolBar, "Show or hide the tool bar\nTool bar"},
      {cmStatusBar, "Show or hide the status bar\nStatus bar"},
      {cmCascade, "Arrange the windows overlapped\nCascade"},
      {cmTile, "Arrange the windows side by side\nTile"},
      {cmNextWindow, "Go to the next document window\nNext window"},
      {cmPreviousWindow, "Go to the previous document window\nPrevious window"},
      {cmHelpKeys, "Help on Plicato keys\nHelp"},
      {cmAbout, "About Plicato\nAbout"},
      {cmExit, "Exit Plicato\nExit"},
  };
  auto it = hints.find(id);
  return it == hints.end() ? std::string() : it->second;
}

QString hintStatus(const std::string& hint) {
  const auto nl = hint.find('\n');
  return QString::fromStdString(hint.substr(0, nl));
}

QString hintTip(const std::string& hint) {
  const auto nl = hint.find('\n');
  return QString::fromStdString(nl == std::string::npos ? hint : hint.substr(nl + 1));
}

QString capitalised(const std::string& text) {
  QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  if (!s.isEmpty()) s[0] = s[0].toUpper();
  return s;
}

QString keysOfCommands(const CommandKeyTable& table, const std::vector<int>& commands) {
  QStringList keys;
  for (int command : commands) {
    for (const CommandKey& entry : table) {
      if (entry.command != command || command == 0) continue;
      const QString name = QString::fromStdString(keyName(entry));
      if (!name.isEmpty() && !keys.contains(name)) keys << name;
    }
  }
  return keys.join(", ");
}

QString editorEntryText(const CommandKeyTable& table, const std::vector<int>& commands) {
  if (commands.empty()) return {};
  QString text = capitalised(commandName(commands.front()));
  const QString keys = keysOfCommands(table, commands);
  if (!keys.isEmpty()) text += "\t" + keys;
  return text;
}

namespace {

EditorMenuItem cmd(std::vector<int> commands) { return EditorMenuItem{std::move(commands), {}, {}}; }
EditorMenuItem sep() { return EditorMenuItem{}; }
EditorMenuItem sub(const char* title, std::vector<EditorMenuItem> items) {
  return EditorMenuItem{{}, title, std::move(items)};
}

}  // namespace

const std::vector<EditorMenu>& editorMenus() {
  static const std::vector<EditorMenu> menus = {
      {"Edit",
       {
           cmd({cmdUndo}),
           cmd({cmdRedo}),
           sep(),
           cmd({cmdDeleteToEndOfLine}),
           cmd({cmdDeleteWordLeft}),
           cmd({cmdDeleteWordRight}),
           cmd({cmdDeleteLine}),
           cmd({cmdRestoreLine}),
           cmd({cmdDeleteRight}),
           cmd({cmdDeleteLeft}),
           cmd({cmdUndeleteChar}),
           sep(),
           cmd({cmdCutBlock2, cmdCutBlock}),
           cmd({cmdCopyBlock, cmdCopyBlock2}),
           cmd({cmdPasteBlock2, cmdPasteBlock}),
           sub("Mark",
               {
                   cmd({cmdMarkUp}),
                   cmd({cmdMarkDown}),
                   cmd({cmdMarkPageUp}),
                   cmd({cmdMarkPageDown}),
                   cmd({cmdMarkLeft}),
                   cmd({cmdMarkRight}),
                   cmd({cmdMarkToStartOfLine}),
                   cmd({cmdMarkToEndOfLine}),
               }),
           sep(),
           cmd({cmdMoveLine}),
           cmd({cmdCopyLine}),
           cmd({cmdPickLine}),
           cmd({cmdCopyPick}),
           cmd({cmdPutPick}),
           sep(),
           cmd({cmdNewLine}),
           cmd({cmdInsertSpecialChar}),
           cmd({cmdBrowseEdit}),
           cmd({cmdWordWrap}),
           cmd({cmdRefresh}),
           sub("Cursor",
               {
                   cmd({cmdCursorUp}),
                   cmd({cmdCursorDown}),
                   cmd({cmdCursorLeft}),
                   cmd({cmdCursorRight}),
                   cmd({cmdWordLeft}),
                   cmd({cmdWordRight}),
                   cmd({cmdStartOfLine}),
                   cmd({cmdEndOfLine}),
                   sep(),
                   cmd({cmdPageUp}),
                   cmd({cmdPageDown}),
                   cmd({cmdScrollLineUp}),
                   cmd({cmdScrollLineDown}),
               }),
           sep(),
           cmd({cmdDefineMacro}),
           cmd({cmdCallMacro}),
           cmd({cmdCommand}),
           sep(),
           cmd({cmdInsertFile}),
           cmd({cmdReloadFile}),
           cmd({cmdExit}),
           cmd({cmdFinish}),
       }},
      {"Fold",
       {
           cmd({cmdOpenFold}),
           cmd({cmdEnterFold}),
           cmd({cmdCloseFold}),
           cmd({cmdExitFold}),
           cmd({cmdOpenAllFolds}),
           cmd({cmdCloseAllFolds}),
           sep(),
           cmd({cmdCreateFold}),
           cmd({cmdAutofold}),
           cmd({cmdRemoveFold}),
           cmd({cmdLineToFoldHeader}),
           cmd({cmdCommentFold}),
           sep(),
           cmd({cmdFileUnfileFold}),
           cmd({cmdAttachFile}),
           sep(),
           cmd({cmdTopOfFold}),
           cmd({cmdEndOfFold}),
           cmd({cmdFoldInfo}),
           sep(),
           cmd({cmdShowHideTree}),
           cmd({cmdGoToTreeSelection}),
           cmd({cmdToggleTreeTracking}),
           cmd({cmdSyncEditTree}),
       }},
      {"Search",
       {
           cmd({cmdFind}),
           cmd({cmdFindNext}),
           cmd({cmdReplace}),
           sep(),
           cmd({cmdGoToLine}),
       }},
  };
  return menus;
}

const std::vector<ToolButton>& toolButtons() {
  static const std::vector<ToolButton> buttons = {
      {"NEW", cmNew, 0},
      {"OPEN", cmOpen, 0},
      {"SAVE", cmSave, 0},
      {"SAVEAS", cmSaveAs, 0},
      {"", 0, 0},
      {"CUT", 0, cmdCutBlock2},
      {"COPY", 0, cmdCopyBlock},
      {"PASTE", 0, cmdPasteBlock2},
      {"UNDO", 0, cmdUndo},
      {"REDO", 0, cmdRedo},
      {"", 0, 0},
      {"FIND", 0, cmdFind},
      {"FINDNEXT", 0, cmdFindNext},
      {"REPLACE", 0, cmdReplace},
      {"", 0, 0},
      {"TREE", 0, cmdShowHideTree},
      {"WRAP", 0, cmdWordWrap},
      {"", 0, 0},
      {"EXITFOLD", 0, cmdExitFold},
      {"ENTERFOLD", 0, cmdEnterFold},
      {"OPENFOLD", 0, cmdOpenFold},
      {"CLOSEFOLD", 0, cmdCloseFold},
      {"OPEN_ALL", 0, cmdOpenAllFolds},
      {"CLOSE_ALL", 0, cmdCloseAllFolds},
      {"CREATEFOLD", 0, cmdCreateFold},
      {"REMOVEFOLD", 0, cmdRemoveFold},
      {"", 0, 0},
      {"PRINT", cmPrintBuffer, 0},
      {"", 0, 0},
      {"EXIT", cmExit, 0},
      {"", 0, 0},
      {"HELP", cmHelpKeys, 0},
      {"ABOUT", cmAbout, 0},
  };
  return buttons;
}

int contextCommand(int id) {
  switch (id) {
    case kMenuSaveAs: return cmdSaveAs;
    case kMenuCreateFold: return cmdCreateFold;
    case kMenuExitFold: return cmdExitFold;
    case kMenuOpenAllFolds: return cmdOpenAllFolds;
    case kMenuCloseAllFolds: return cmdCloseAllFolds;
    case kMenuSyncEditTree: return cmdSyncEditTree;
    case kMenuCut: return cmdCutBlock2;
    case kMenuCopy: return cmdCopyBlock;
    case kMenuPaste: return cmdPasteBlock2;
    // With a mark shown, the key of delete right takes the block away.
    case kMenuDelete: return cmdDeleteRight;
    case kMenuUndo: return cmdUndo;
    default: return 0;
  }
}

HelpSection frameKeysSection() {
  HelpSection s;
  s.title = "Document windows";
  s.rows.emplace_back();
  HelpKey next;
  next.key = "Ctrl-Tab";
  next.label = "Next window";
  HelpKey previous;
  previous.key = "Ctrl-Shift-Tab";
  previous.label = "Prev. window";
  s.rows[0] = {next, previous};
  return s;
}

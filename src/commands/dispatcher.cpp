#include "commands/dispatcher.hpp"

#include "commands/context.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "commands/helptext.hpp"
#include "commands/keytable.hpp"
#include "commands/macros.hpp"
#include "display/editorview.hpp"
#include "engine/statusline.hpp"
#include "engine/layout.hpp"
#include "engine/viewmetrics.hpp"
#include "engine/blocks.hpp"
#include "engine/filecommands.hpp"
#include "engine/filedfolds.hpp"
#include "engine/foldedit.hpp"
#include "engine/lineunits.hpp"
#include "engine/navigation.hpp"
#include "engine/search.hpp"
#include "engine/undo.hpp"
#include "model/linestore.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

std::vector<View*> viewsOf(const std::vector<EditorView*>& windows) {
  return std::vector<View*>(windows.begin(), windows.end());
}

void toggleWordWrap(EditorView& w) {
  w.wrapMode = !w.wrapMode;
  w.curSubRow = 0;
  w.topSubRow = 0;
  recomputeAllRows(w);
  if (w.wrapMode) {
    w.host.statusMessage("Word wrap ON");
    w.leftColumn = 0;
    w.cursorCol = 0;
    w.textColumn = 1;
  } else {
    w.host.statusMessage("Word wrap OFF");
    w.cursorCol = std::min(w.cursorCol, w.textWidth() - 1);
    w.textColumn = w.leftColumn + w.cursorCol + 1;
  }
  w.fitScreenBuffer();
  w.updateScrollBars();
  PlaceCursor(w, w.cursorRow);
}

void runShellCommand(EditorView& w) {
  if (!atTop(w)) {
    w.host.statusMessage("Plicato not at top");
    return;
  }
  auto command = w.host.prompt("INPUT", "Command", "", 63);
  if (command && !command->empty()) w.host.runDetached(*command);
}

}  // namespace

// Whether a command may change the shape of the view (which lines it holds
// and their rows). Only the pure moves keep the counts of the view.
bool changesShape(int command) {
  switch (command) {
    case cmdCursorUp:
    case cmdCursorDown:
    case cmdPageUp:
    case cmdPageDown:
    case cmdScrollLineUp:
    case cmdScrollLineDown:
    case cmdTopOfFold:
    case cmdEndOfFold:
    case cmdFoldInfo:
    case cmdHelp:
    case cmdMarkUp:
    case cmdMarkDown:
    case cmdMarkPageUp:
    case cmdMarkPageDown:
    case cmdCopyBlock:
    case cmdCopyBlock2:
    case cmdDefineMacro:
    case cmdCallMacro:
    case cmdMaximizeWindow:
    case cmdToggleTreeTracking:
    case cmdSyncEditTree:
      return false;
    default:
      return true;
  }
}


// Moves through the file and commands that change no line.
static bool movesOnly(int command) {
  switch (command) {
    case cmdOpenFold:
    case cmdEnterFold:
    case cmdCloseFold:
    case cmdExitFold:
    case cmdOpenAllFolds:
    case cmdCloseAllFolds:
    case cmdFind:
    case cmdFindNext:
    case cmdGoToLine:
    case cmdRefresh:
    case cmdSave:
    case cmdUndo:
    case cmdRedo:
    case cmdShowHideTree:
    case cmdGoToTreeSelection:
    case cmdWordWrap:
      return true;
    default:
      return !changesShape(command);
  }
}

bool atTop(const EditorView& w) { return w.doc.levelTop == w.doc.fileTop; }

void refreshWindow(EditorView& w, EditorState& st, EditorShell& shell) {
  if (st.headerChanged && w.currentLine && isHeader(w.currentLine)) {
    shell.headerTextChanged(w, w.currentLine);
  }
  st.headerChanged = false;
  if (st.lastCommand != cmdFind && st.lastCommand != cmdFindNext) {
    std::vector<int32_t> rows = w.pendingRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int32_t r : rows) {
      ScreenRow s = w.shownAt(r);
      if (s.line) composeRow(w, r, s.line, s.subRow);
    }
  }
  w.pendingRows.clear();
  w.updateScrollBars();
  w.positionCaret();
  refreshStatus(w);
}

CommandResult runCommand(EditorView& w, EditorState& st, EditorShell& shell, int command) {
  if (command == 0) return CommandResult::Continue;
  st.lastCommand = command;
  if (w.createFoldMode && !isCreateFoldSafe(command)) {
    w.host.statusMessage("Plicato key disabled during create fold");
    return CommandResult::Continue;
  }
  endTyping(w);
  // What the command changes is one step of the file's history. A move
  // needs none while there is nothing to undo: it changes nothing to keep.
  std::optional<ChangeScope> step;
  const bool history = command == cmdUndo || command == cmdRedo;  // they move through the steps
  if (!history && (!movesOnly(command) || w.doc.history().open())) step.emplace(w);
  if (step && (command == cmdFileUnfileFold || command == cmdAttachFile)) step->wroteFiles();
  // A replace may go on into the other windows: each gets a step of its own.
  std::vector<std::unique_ptr<ChangeScope>> others;
  if (command == cmdReplace)
    for (EditorView* o : shell.editorWindows())
      if (o && o != &w) others.push_back(std::make_unique<ChangeScope>(*o));
  switch (command) {
    case cmdOpenFold: OpenInPlace(w); break;
    case cmdEnterFold: EnterFold(w); shell.toolbarChanged(w); break;
    case cmdCloseFold: CloseFold(w); break;
    case cmdExitFold: ExitFold(w); shell.toolbarChanged(w); break;
    case cmdCursorUp: moveUp(w); break;
    case cmdCursorDown: moveDown(w); break;
    case cmdPageUp: pageUp(w); break;
    case cmdPageDown: pageDown(w); break;
    case cmdScrollLineUp: scrollViewUp(w); break;
    case cmdScrollLineDown: scrollViewDown(w); break;
    case cmdTopOfFold: TopOfFold(w); break;
    case cmdEndOfFold: BottomOfFold(w); break;
    case cmdFinish:
      if (!atTop(w)) {
        w.host.statusMessage("Plicato not at top");
        break;
      }
      if (exitSave(w)) return CommandResult::ExitApplication;
      break;
    case cmdFoldInfo: w.host.statusMessage(foldInfo(w)); break;
    case cmdExit:
      if (exitSave(w)) return CommandResult::Exit;
      break;
    case cmdSaveAs:
    case cmdSaveAs2:
      if (blockSelected(w))
        saveBlock(w);
      else
        saveAsCommand(w);
      break;
    case cmdInsertFile: insertFileCommand(w); break;
    case cmdOpenAllFolds: OpenAllFolds(w); break;
    case cmdHelp: showLayoutHelp(commandContext(w)); break;
    case cmdRefresh:
      Redraw(w, 1);
      break;
    case cmdFind: searchCommand(w, viewsOf(shell.editorWindows())); break;
    case cmdFindNext: findNextCommand(w, viewsOf(shell.editorWindows())); break;
    case cmdReplace: replaceCommand(w, viewsOf(shell.editorWindows())); break;
    case cmdDeleteLine: deleteLine(w); break;
    case cmdRestoreLine:
      // The next key decides; it is read when it comes (runDispatcher).
      st.restoreAsked = restoreLine(w);
      break;
    case cmdMoveLine: moveLine(w); break;
    case cmdCopyLine: copyLineCommand(w); break;
    case cmdCreateFold:
      if (blockSelected(w))
        foldBlock(w);
      else
        createFoldCommand(w);
      break;
    case cmdRemoveFold: RemoveFold(w); break;
    case cmdFileUnfileFold: fileUnfileFold(w); break;
    case cmdAutofold: Autofold(w); break;
    case cmdPickLine: pickLine(w); break;
    case cmdCopyPick: copyPick(w); break;
    case cmdPutPick: putPick(w); break;
    case cmdAttachFile: attachFileToFold(w); break;
    case cmdLineToFoldHeader: lineToFoldHeader(w); break;
    case cmdCommentFold: CommentFold(w); break;
    case cmdMarkUp: markUp(w); break;
    case cmdMarkDown: markDown(w); break;
    case cmdMarkPageUp: markPageUp(w); break;
    case cmdMarkPageDown: markPageDown(w); break;
    case cmdCopyBlock:
    case cmdCopyBlock2: copyBlock(w); break;
    case cmdPasteBlock:
    case cmdPasteBlock2: pasteBlock(w); break;
    case cmdCutBlock:
    case cmdCutBlock2: cutBlock(w); break;
    case cmdDeleteRight:  // with a mark: the line editor hands the block over
      if (blockSelected(w)) deleteBlock(w);
      break;
    case cmdOpenFile:
    case cmdOpenFile2: shell.openFileCommand(w); break;
    case cmdGoToLine: GotoLine(w); break;
    case cmdDefineMacro:
    case cmdCallMacro: break;  // the macro layer did what there is to do
    case cmdCommand: runShellCommand(w); break;
    case cmdWordWrap: toggleWordWrap(w); break;
    case cmdSave: saveCommand(w); break;
    case cmdReloadFile: reloadCommand(w); break;
    case cmdCloseAllFolds: CloseAllFolds(w); break;
    case cmdMaximizeWindow: shell.maximizeWindow(w); break;
    case cmdShowHideTree: shell.showHideTree(w); break;
    case cmdGoToTreeSelection: shell.goToTreeSelection(w); break;
    case cmdToggleTreeTracking: w.treeTracking = !w.treeTracking; break;
    case cmdSyncEditTree: w.treeSync = !w.treeSync; break;
    case cmdUndo: undoCommand(w); break;
    case cmdRedo: redoCommand(w); break;
    default:
      break;
  }
  if (changesShape(command)) invalidateViewMetrics(w);
  // The pane shows the structure whatever treeSync says; treeSync only
  // makes its selection follow the current line.
  if (w.tree) shell.treeAfterCommand(w, command);
  return CommandResult::Continue;
}

bool runDispatcher(EditorView& w, EditorState& st, EditorShell& shell) {
  if (w.inDispatch) return true;  // already draining this window's keys
  w.inDispatch = true;
  Host& host = w.host;
  CommandResult result = CommandResult::Continue;
  KeyReader reader(
      st.reader, w.keys,
      [&]() {
        // Idle: show what the keys did before waiting for more.
        refreshWindow(w, st, shell);
        return w.inDispatch && w.host.waitForInput(w.handle());
      },
      w.host, commandContext(w).keyTree, commandContext(w).macros);
  // The tool bar and the menus offer undo and redo while there are steps.
  const auto undoState = [&w] { return canUndo(w) * 2 + canRedo(w); };
  const int undoBefore = undoState();
  while (w.inDispatch) {
    w.host.pumpMessages();
    if (st.restoreAsked) {
      // The key that answers restore line's question. Without one yet the
      // dispatcher returns to the event loop and the question stands.
      const KeyValue k = reader.read();
      if (k.value == 0) break;
      st.restoreAsked = false;
      if (k.isCommand && k.value == cmdRestoreLine) {
        restoreBestTry(w);
        continue;
      }
      reader.pushBack(k.value, k.isCommand);
    }
    if (w.currentLine && w.restoreBuffer && w.currentLine->text)
      assign(*w.restoreBuffer, w.currentLine->text);
    int command;
    {
      // Typing on the line is one step, however many runs of keys it takes.
      ChangeScope typing(w, w.currentLine);
      command = editLine(w, st, reader);
    }
    if (command == 0) break;
    result = runCommand(w, st, shell, command);
    if (result != CommandResult::Continue) break;
  }
  w.inDispatch = false;
  if (result == CommandResult::Continue) {
    refreshWindow(w, st, shell);
    if (undoState() != undoBefore) shell.toolbarChanged(w);
    commandContext(w).macros.save(host);
    return true;
  }
  host.statusMessage("Exit");
  commandContext(w).macros.save(host);
  shell.windowExited(w);  // the window is gone from here on
  if (result == CommandResult::ExitApplication) shell.exitApplication();
  return false;
}

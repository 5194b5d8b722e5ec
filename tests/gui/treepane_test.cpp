// The fold tree pane over a real document and editor widget, hooked to the
// dispatcher the way the frame hooks it: shown by 330 (also when queued
// before the file is read, as the tree option does), following clicks in
// the editor, moving the editor on a pick, its context menu and its drops.
//
// With PLICATO_TREE_SHOT=<file.png> in the environment the pane over a
// file with nested folds is also saved as a picture.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

#include "commands/keyqueue.hpp"
#include "app/application.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "gui/editorwidget.hpp"
#include "gui/guitest.hpp"
#include "gui/qthost.hpp"
#include "gui/treepane.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"
#include "engine/lineunits.hpp"
#include "tree/treeedit.hpp"

namespace {

const char* kNested =
    "#include <stdio.h>\n"
    "/*{{{  globals*/\n"
    "int count;\n"
    "/*{{{  tables*/\n"
    "int table[10];\n"
    "/*}}}*/\n"
    "/*}}}*/\n"
    "/*{{{  main*/\n"
    "int main(void) {\n"
    "  /*{{{  read input*/\n"
    "  count = 0;\n"
    "  /*}}}*/\n"
    "  /*{{{  print*/\n"
    "  printf(\"%d\\n\", count);\n"
    "  /*}}}*/\n"
    "  return 0;\n"
    "}\n"
    "/*}}}*/\n";

// The application as the frame makes it: the dispatcher's tree callbacks
// go to the window's pane.
class PaneApp : public Application {
 public:
  using Application::Application;
  bool loadsAtOnce() const override { return false; }
  void showHideTree(EditorView& w) override {
    if (PaneSplitter* s = PaneSplitter::of(w)) {
      s->showHideTree();
      if (OpenDocument* d = documentOf(w)) d->showTree = s->treeShown();
    }
  }
  void goToTreeSelection(EditorView& w) override {
    if (PaneSplitter* s = PaneSplitter::of(w)) s->goToTreeSelection();
  }
  void treeAfterCommand(EditorView& w, int command) override {
    if (PaneSplitter* s = PaneSplitter::of(w)) s->treeAfterCommand(command);
  }
  void headerTextChanged(EditorView& w, LineNode* header) override {
    if (PaneSplitter* s = PaneSplitter::of(w)) s->headerTextChanged(header);
  }
};

}  // namespace

class TreePaneTest : public QObject, private QtFixture {
  Q_OBJECT

 private:
  std::unique_ptr<PaneApp> app_;
  std::unique_ptr<PaneSplitter> split_;
  EditorWidget* editor_ = nullptr;
  OpenDocument* doc_ = nullptr;
  std::vector<std::string> boxes_;

  // The document over `content` in an editor widget under the pane's
  // splitter; `before` runs before the set-up message is delivered.
  EditorView& open(const std::string& content, const std::function<void(OpenDocument&)>& before = {}) {
    split_.reset();  // the pane of a document before goes before its application
    app_ = std::make_unique<PaneApp>(*ctx_);
    doc_ = openDocument(*app_, "t.c", content);
    if (before) before(*doc_);
    editor_ = new EditorWidget(*doc_, *app_, *host_);
    split_ = std::make_unique<PaneSplitter>(editor_);
    showFocused(*split_, *editor_, 900, 450);
    return doc_->window;
  }

  FoldTree* tree() { return split_->tree(); }
  QTreeWidgetItem* item(const std::string& title) {
    for (int i = 0; i < tree()->model().size(); ++i)
      if (tree()->model().item(i).text == title) return tree()->itemAt(i);
    return nullptr;
  }
  int index(const std::string& title) { return tree()->indexOf(item(title)); }
  std::string title(const LineNode* n) { return n && n->text ? n->text : ""; }
  void run(int command) {
    queueCommand(doc_->window, command);
    settle();
  }
  void clickItem(QTreeWidgetItem* it) {
    QVERIFY(it);
    for (QTreeWidgetItem* p = it->parent(); p; p = p->parent()) p->setExpanded(true);
    tree()->scrollToItem(it);
    settle();
    const QRect r = tree()->visualItemRect(it);
    QVERIFY(!r.isEmpty());
    const QPoint p(r.left() + 30, r.center().y());
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    settle();
  }
  std::string saved() {
    run(cmdSave);
    return work_->read("t.c");
  }
  // A key pressed where the keyboard is (the editor unless told).
  void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* to = nullptr) {
    QTest::keyClick(to ? to : static_cast<QWidget*>(editor_), key, mods);
    settle();
  }
  // The titles the pane shows under its root, in order.
  QStringList topTitles() {
    QStringList out;
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i) out << root->child(i)->text(0);
    return out;
  }

 private Q_SLOTS:
  void init() {
    boxes_.clear();
    setUpCore([this](const std::string& text, const std::string& caption, MbButtons) {
      boxes_.push_back(caption + ": " + text);
      return std::optional<MbResult>(MbResult::Ok);
    });
  }

  void cleanup() {
    split_.reset();
    app_.reset();
    tearDownFixture();
  }

  void showHideTreeTogglesThePaneAndKeepsItsWidth() {
    EditorView& w = open(kNested);
    QVERIFY(!split_->treeShown());
    QVERIFY(w.tree == nullptr);
    QTest::keyClick(editor_, Qt::Key_N, Qt::ControlModifier);  // 330's key
    settle();
    QVERIFY(split_->treeShown());
    QVERIFY(w.tree != nullptr);
    QVERIFY(doc_->showTree);
    QCOMPARE(tree()->model().item(0).text, std::string("t.c"));
    QCOMPARE(tree()->topLevelItemCount(), 1);
    QCOMPARE(tree()->topLevelItem(0)->childCount(), 2);  // globals, main

    split_->setSizes({150, 700});
    settle();
    run(cmdShowHideTree);
    QVERIFY(!split_->treeShown());
    QVERIFY(w.tree == nullptr);
    QVERIFY(!doc_->showTree);
    run(cmdShowHideTree);
    QVERIFY(split_->treeShown());
    QCOMPARE(split_->treeWidth(), 150);
  }

  void theTreeOptionShowsThePaneOverTheFileRead() {
    // What the tree option and a placement's ShowTree do: 330 is queued
    // before the file is read.
    open(kNested, [](OpenDocument& d) { queueCommand(d.window, cmdShowHideTree); });
    QVERIFY(split_->treeShown());
    QVERIFY(item("tables") != nullptr);
    QCOMPARE(item("tables")->parent(), item("globals"));
    QVERIFY(item("print") != nullptr);
  }

  void aClickInTheEditorSelectsTheFoldsItem() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    run(cmdSyncEditTree);
    QVERIFY(w.treeSync);
    // Row 3 shows "...  globals", row 4 "...  main".
    const QPoint at(3 * w.charWidth, 3 * w.charHeight + w.charHeight / 2);
    QTest::mouseClick(editor_->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    settle();
    QCOMPARE(title(w.currentLine), std::string("main"));
    QCOMPARE(tree()->currentItem(), item("main"));
    // The editor was not moved by the selection it caused.
    QCOMPARE(title(w.currentLine), std::string("main"));
  }

  void aPickInTheTreeMovesTheEditorWhileTrackingIsOn() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    QVERIFY(w.treeTracking);
    clickItem(item("print"));
    QCOMPARE(title(w.currentLine), std::string("print"));
    QCOMPARE(w.doc.levelTop, w.doc.fileTop);  // opened in place, not entered
    QCOMPARE(title(w.currentLine->prev), std::string("read input"));
    QCOMPARE(title(w.currentLine->prev->prev), std::string("int main(void) {"));

    run(cmdToggleTreeTracking);
    QVERIFY(!w.treeTracking);
    clickItem(item("tables"));
    QCOMPARE(title(w.currentLine), std::string("print"));  // stays
    QTest::keyClick(editor_, Qt::Key_T, Qt::ControlModifier);  // 331
    settle();
    QCOMPARE(title(w.currentLine), std::string("tables"));
  }

  void aPickRefusedDuringCreateFoldDoesNotStopLaterPicks() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    run(cmdCreateFold);
    QVERIFY(w.createFoldMode);
    clickItem(item("main"));
    QVERIFY(w.createFoldMode);  // refused like its key
    QVERIFY(title(w.currentLine) != "main");
    run(cmdCreateFold);  // the fold is made
    QVERIFY(!w.createFoldMode);
    clickItem(item("globals"));
    QCOMPARE(title(w.currentLine), std::string("globals"));
  }

  void pasteAndPasteBelowAreGrayedWithAnEmptyClipboard() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    QGuiApplication::clipboard()->clear();
    QMenu menu;
    tree()->fillContextMenu(menu, item("main"));
    QStringList texts;
    for (QAction* a : menu.actions()) {
      texts << (a->isSeparator() ? "-" : a->text());
      if (a->text() == "Paste" || a->text() == "Paste below") QVERIFY(!a->isEnabled());
    }
    QCOMPARE(texts, QStringList({"Cut", "Copy", "Delete", "-", "Paste", "Paste below", "-",
                                 "Enter fold", "Exit fold", "Open All Folds", "Close All Folds"}));

    // With text they paste below and above the picked fold.
    QGuiApplication::clipboard()->setText("/* end */\n");
    tree()->fillContextMenu(menu, item("main"));
    for (QAction* a : menu.actions())
      if (a->text() == "Paste below") QVERIFY(a->isEnabled());
    tree()->execMenu = [](QMenu&, const QPoint&) { return kTreeMenuPasteBelow; };
    tree()->showContextMenu(item("main"), QPoint(10, 10));
    QGuiApplication::clipboard()->setText("/* tables */\n");
    tree()->execMenu = [](QMenu&, const QPoint&) { return 327; };
    tree()->showContextMenu(item("tables"), QPoint(10, 10));
    QVERIFY(w.doc.modified);
    const std::string out = saved();
    QVERIFY2(out.find("int count;\n/* tables */\n/*{{{  tables*/\n") != std::string::npos, out.c_str());
    QVERIFY2(out.size() > 10 && out.substr(out.size() - 18) == "/*}}}*/\n/* end */\n", out.c_str());
  }

  void contextMenuCommandsRunAsTheirKeys() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    // Tracking takes the editor to the item first; Enter fold then enters it.
    tree()->execMenu = [](QMenu& m, const QPoint&) {
      for (QAction* a : m.actions())
        if (a->text() == "Enter fold") return a->isEnabled() ? a->data().toInt() : -1;
      return 0;
    };
    tree()->showContextMenu(item("globals"), QPoint(10, 10));
    settle();
    QCOMPARE(w.doc.levelTop->next->kind, static_cast<uint8_t>(EnteredFold));
    QCOMPARE(title(w.doc.levelTop->next), std::string("globals"));
  }

  void aFoldMovedByDragAndDropIsWrittenAtItsNewPlace() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    // Onto its own inner fold: refused, nothing changes.
    tree()->execMenu = [](QMenu&, const QPoint&) { return kDropMoveHere; };
    tree()->dropOnto(index("main"), index("print"), QPoint(10, 10));
    QCOMPARE(boxes_.size(), size_t(1));
    QCOMPARE(boxes_.front(),
             std::string("Drag'n'drop: Unable to drag a parent tree onto a child tree."));
    QVERIFY(!w.doc.modified);

    // The drop menu offers its three choices; Move here moves.
    QStringList offered;
    tree()->execMenu = [&offered](QMenu& m, const QPoint&) {
      for (QAction* a : m.actions()) offered << (a->isSeparator() ? "-" : a->text());
      return kDropMoveHere;
    };
    tree()->dropOnto(index("print"), index("globals"), QPoint(10, 10));
    QCOMPARE(offered, QStringList({"Copy here", "Move here", "-", "Cancel"}));
    QVERIFY(w.doc.modified);
    QCOMPARE(title(w.currentLine), std::string("print"));
    QCOMPARE(tree()->currentItem(), item("print"));
    QCOMPARE(item("print")->parent(), tree()->topLevelItem(0));  // the tree was built again
    // It keeps its own marker column, two blanks right of its new level.
    const std::string out = saved();
    QVERIFY2(out == std::string("#include <stdio.h>\n"
                                  "  /*{{{  print*/\n"
                                  "  printf(\"%d\\n\", count);\n"
                                  "  /*}}}*/\n"
                                  "/*{{{  globals*/\n"
                                  "int count;\n"
                                  "/*{{{  tables*/\n"
                                  "int table[10];\n"
                                  "/*}}}*/\n"
                                  "/*}}}*/\n"
                                  "/*{{{  main*/\n"
                                  "int main(void) {\n"
                                  "  /*{{{  read input*/\n"
                                  "  count = 0;\n"
                                  "  /*}}}*/\n"
                                  "  return 0;\n"
                                  "}\n"
                                  "/*}}}*/\n"),
             out.c_str());

    // Cancel changes nothing.
    tree()->execMenu = [](QMenu&, const QPoint&) { return kDropCancel; };
    tree()->dropOnto(index("tables"), index("main"), QPoint(10, 10));
    QVERIFY(!w.doc.modified);
  }

  void theRootAndEnteredFoldsCannotBeDragged() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    QVERIFY(!(tree()->itemAt(0)->flags() & Qt::ItemIsDragEnabled));
    QVERIFY(item("main")->flags() & Qt::ItemIsDragEnabled);
    clickItem(item("main"));
    run(cmdEnterFold);
    QCOMPARE(title(w.doc.levelTop->next), std::string("main"));
    // Sync is off: the tree has not followed, but a drop looks at the file
    // as it is and refuses without a word.
    tree()->execMenu = [](QMenu&, const QPoint&) { return kDropMoveHere; };
    tree()->dropOnto(index("main"), index("globals"), QPoint(10, 10));
    QVERIFY(boxes_.empty());
    QVERIFY(!w.doc.modified);
    QVERIFY(!(item("main")->flags() & Qt::ItemIsDragEnabled));
    QVERIFY(item("main")->isExpanded());
    QVERIFY(item("print")->flags() & Qt::ItemIsDragEnabled);
  }

  void aRetitledFoldsItemFollowsAndStaleItemsAreRebuilt() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    clickItem(item("globals"));
    QCOMPARE(title(w.currentLine), std::string("globals"));
    QTest::keyClicks(editor_, "X");
    settle();
    QVERIFY(item("Xglobals") != nullptr);

    // Deleted behind the pane's back (not by a command, which the pane
    // follows at once): a pick on its item finds the fold gone and the tree
    // is built again.
    QTreeWidgetItem* gone = item("Xglobals");
    deleteLine(w);
    QVERIFY(item("Xglobals") != nullptr);
    run(cmdToggleTreeTracking);
    tree()->setCurrentItem(gone);
    run(cmdGoToTreeSelection);
    QVERIFY(item("Xglobals") == nullptr);
    QCOMPARE(tree()->topLevelItem(0)->childCount(), 1);
  }

  void thePaneShowsEveryChangeOfTheStructureAtOnce() {
    EditorView& w = open(
        "#include <stdio.h>\nint a;\n/*{{{  globals*/\nint count;\n/*}}}*/\n"
        "/*{{{  main*/\nint main(void) {}\n/*}}}*/\n");
    run(cmdShowHideTree);
    QVERIFY(!w.treeSync);  // sync moves the selection only; the items follow anyway
    QCOMPARE(topTitles(), QStringList({"globals", "main"}));
    struct Step {
      const char* what;
      std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
      const char* typed;
      QStringList titles;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const std::vector<Step> steps = {
        {"create fold", {{Qt::Key_Insert, none}, {Qt::Key_Down, none}, {Qt::Key_Down, none},
                         {Qt::Key_Insert, none}}, "includes", {"includes", "globals", "main"}},
        {"remove fold", {{Qt::Key_PageUp, Qt::ControlModifier}}, "", {"globals", "main"}},
        {"copy line", {{Qt::Key_Down, none}, {Qt::Key_Down, none}, {Qt::Key_F4, none}}, "",
         {"globals", "globals", "main"}},
        {"delete line", {{Qt::Key_Y, Qt::ControlModifier}}, "", {"globals", "main"}},
        {"pick", {{Qt::Key_Up, none}, {Qt::Key_F3, Qt::AltModifier}}, "", {"main"}},
        {"put", {{Qt::Key_Up, none}, {Qt::Key_F3, Qt::ShiftModifier}}, "", {"", "main"}},
        {"cut", {{Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_X, Qt::ControlModifier}}, "", {"main"}},
        {"paste", {{Qt::Key_V, Qt::ControlModifier}}, "", {"", "main"}},
    };
    for (const Step& step : steps) {
      for (const auto& [key, mods] : step.keys) press(key, mods);
      if (*step.typed) {
        QTest::keyClicks(editor_, step.typed);
        settle();
      }
      QVERIFY2(topTitles() == step.titles,
               qPrintable(QString(step.what) + ": " + topTitles().join(", ")));
    }

    // Read again from the file: its folds show at once.
    press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!w.doc.modified);
    work_->write("t.c", "/*{{{  read again*/\nint b;\n/*}}}*/\n");
    press(Qt::Key_F7, Qt::ControlModifier);
    QCOMPARE(topTitles(), QStringList({"read again"}));
    // Filed and unfiled: the item takes the file's image, then the fold's.
    auto image = [&] { return tree()->model().item(index("read again")).image; };
    QCOMPARE(title(w.currentLine), std::string("read again"));
    press(Qt::Key_F2, Qt::ShiftModifier);
    QCOMPARE(image(), TreeImage::Shell);
    press(Qt::Key_F2, Qt::ShiftModifier);
    QCOMPARE(image(), TreeImage::Fold);
    // A file inserted brings its folds.
    work_->write("part.c", "/*{{{  inserted*/\nint i;\n/*}}}*/\n");
    host_->runDialog = [this](QDialog& d) {
      auto* files = dynamic_cast<QFileDialog*>(&d);
      if (!files) return int(QDialog::Rejected);
      files->selectFile(QString::fromStdString(work_->file("part.c")));
      return int(QDialog::Accepted);
    };
    press(Qt::Key_J, Qt::ControlModifier);
    QVERIFY2(topTitles().contains("inserted"), qPrintable(topTitles().join(", ")));
  }

  void thePaneFitsTheTitlesOfTheTopLevelsUpToAThird() {
    // The widest title of the file's top levels shows whole; a deeper one
    // does not widen the pane, and none makes it wider than a third.
    struct Case {
      std::string top;
      std::string deeper;
      bool limited;
    };
    const std::vector<Case> cases = {
        {"a", "", false},
        {"a title of the top level that is rather long", "", false},
        {"short", std::string(150, 'd'), false},
        {std::string(150, 't'), "", true},
    };
    for (const Case& c : cases) {
      std::string text = "/*{{{  " + c.top + "*/\nint x;\n/*}}}*/\n";
      if (!c.deeper.empty())
        text += "/*{{{  outer*/\n/*{{{  " + c.deeper + "*/\nint y;\n/*}}}*/\n/*}}}*/\n";
      EditorView& w = open(text);
      press(Qt::Key_N, Qt::ControlModifier);
      QVERIFY(split_->treeShown());
      const int width = split_->treeWidth();
      QCOMPARE(split_->sizes().value(0), width);
      QVERIFY(width >= 8 * w.cellWidth);
      QVERIFY(width <= split_->width() / 3);
      QTreeWidgetItem* it = item(c.top);
      QVERIFY(it);
      const QRect text_ = tree()->visualItemRect(it);
      const int right = text_.left() + tree()->sizeHintForIndex(tree()->indexFromItem(it)).width();
      if (c.limited) {
        QCOMPARE(width, split_->width() / 3);
      } else {
        QVERIFY2(right <= tree()->viewport()->width(), c.top.c_str());
        QVERIFY(!tree()->horizontalScrollBar()->isVisible());
      }
      // Hidden and shown again, it keeps the width it had.
      press(Qt::Key_N, Qt::ControlModifier);
      press(Qt::Key_N, Qt::ControlModifier);
      QCOMPARE(split_->treeWidth(), width);
    }
  }

  void keysInThePaneWorkOnTheDocument() {
    EditorView& w = open(kNested);
    int helps = 0;
    host_->runDialog = [&helps](QDialog& d) {
      if (d.objectName().startsWith("HELP")) ++helps;
      return int(QDialog::Rejected);
    };
    run(cmdShowHideTree);
    run(cmdToggleTreeTracking);  // picks in the tree leave the editor alone
    QTest::keyClicks(editor_, "X");
    settle();
    QVERIFY(w.doc.modified);
    const LineNode* line = w.currentLine;
    tree()->setFocus();
    tree()->setCurrentItem(tree()->topLevelItem(0));
    settle();
    QVERIFY(tree()->hasFocus());

    // The arrows move in the tree, not in the editor.
    press(Qt::Key_Down, Qt::NoModifier, tree());
    QCOMPARE(tree()->currentItem(), item("globals"));
    QCOMPARE(w.currentLine, line);
    // The editor's commands reach the document.
    press(Qt::Key_S, Qt::ControlModifier, tree());
    QVERIFY(!w.doc.modified);
    QVERIFY(work_->read("t.c").rfind("X#include", 0) == 0);
    press(Qt::Key_F1, Qt::NoModifier, tree());
    QCOMPARE(helps, 1);
    QCOMPARE(w.currentLine, line);
    press(Qt::Key_T, Qt::ControlModifier, tree());  // to the fold selected
    QCOMPARE(title(w.currentLine), std::string("globals"));
    press(Qt::Key_Down, Qt::NoModifier, tree());
    press(Qt::Key_Return, Qt::NoModifier, tree());  // Enter goes there too
    QCOMPARE(title(w.currentLine), std::string("main"));
    QVERIFY(tree()->hasFocus());
    // A letter finds a title in the tree and types nothing.
    press(Qt::Key_G, Qt::NoModifier, tree());
    QCOMPARE(tree()->currentItem(), item("globals"));
    QVERIFY(!w.doc.modified);
    // Ctrl-N hides the pane, and the keyboard goes to the editor.
    press(Qt::Key_N, Qt::ControlModifier, tree());
    QVERIFY(!split_->treeShown());
    QVERIFY(editor_->hasFocus());
  }

  void aPaneOutlivingItsWindowTouchesNothing() {
    EditorView& w = open(kNested);
    run(cmdShowHideTree);
    QTreeWidgetItem* main = item("main");
    run(cmdExit);  // the window ends its editing and its document goes
    QVERIFY(app_->documents().empty());
    QVERIFY(editor_->window() == nullptr);
    tree()->setCurrentItem(main);
    tree()->goToSelection();
    tree()->rebuild();
    split_->showHideTree();
    split_->showHideTree();
    split_.reset();  // what deleteLater of the child does afterwards
    Q_UNUSED(w);
  }

  void screenshot() {
    const char* path = std::getenv("PLICATO_TREE_SHOT");
    if (!path || !*path) QSKIP("PLICATO_TREE_SHOT not set");
    work_->write("util.c", "int util(void) { return 1; }\n");
    const std::string filed = "/*{{{F util.c*/\n/*:::F util.c*/\n/*}}}*/\n";
    EditorView& w = open(filed + kNested + "/*{{{  a fold with a title longer than the pane*/\n/*}}}*/\n");
    run(cmdShowHideTree);
    run(cmdSyncEditTree);
    clickItem(item("print"));
    QVERIFY(w.treeSync);
    const QString base = QString::fromLocal8Bit(path);
    QVERIFY(split_->grab().save(base));
    // Inside an entered fold the whole file still shows.
    clickItem(item("main"));
    run(cmdEnterFold);
    QVERIFY(split_->grab().save(QString(base).replace(".png", "-entered.png")));
  }
};

QTEST_MAIN(TreePaneTest)
#include "treepane_test.moc"

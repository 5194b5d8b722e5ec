// The editor widget over a real document: typing, saving, folds, the mouse
// mark and the clipboard, the context menu, scroll bars, the set-up message
// delivered to a widget that did not exist yet; the key mapping; QtHost's
// dialogs answered through its runDialog hook.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRadioButton>
#include <QCheckBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <memory>

#include "app/application.hpp"
#include "app/batch.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "gui/dialogs.hpp"
#include "gui/editorwidget.hpp"
#include "gui/guitest.hpp"
#include "gui/keymap.hpp"
#include "gui/qthost.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

const char* kFolded =
    "int a;\r\n"
    "/*{{{  first*/\r\n"
    "int b;\r\n"
    "/*}}}*/\r\n"
    "int c;\r\n"
    "int d;\r\n";

// The application of the desktop program reads a file when its widget
// delivers the set-up message.
class DeferredApp : public Application {
 public:
  using Application::Application;
  bool loadsAtOnce() const override { return false; }
};

std::string trimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// What row r (1-based) of the window shows, without trailing blanks.
std::string rowText(const EditorView& w, int r) {
  const auto lines = screenLines(w);
  if (r < 1 || r > static_cast<int>(lines.size())) return {};
  return trimRight(lines[static_cast<size_t>(r - 1)]);
}

// Types text character by character as key events carrying it (QTest's
// own key clicks take ASCII only).
void typeText(QWidget* target, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &release);
  }
}

}  // namespace

class EditorWidgetTest : public QObject, private QtFixture {
  Q_OBJECT

 private:
  std::unique_ptr<Application> app_;
  std::unique_ptr<EditorWidget> widget_;
  OpenDocument* doc_ = nullptr;
  bool exited_ = false;

  // A widget over a document opened from `content`, shown and focused.
  EditorView& open(const std::string& content, bool deferred = false) {
    app_ = deferred ? std::make_unique<DeferredApp>(*ctx_) : std::make_unique<Application>(*ctx_);
    doc_ = openDocument(*app_, "t.c", content);
    widget_ = std::make_unique<EditorWidget>(*doc_, *app_, *host_);
    widget_->onWindowExited = [this] { exited_ = true; };
    showFocused(*widget_, *widget_, 700, 450);
    return doc_->window;
  }

  QPoint cellCentre(const EditorView& w, int row, int col) const {
    return QPoint(col * w.charWidth + w.charWidth / 2, (row - 1) * w.charHeight + w.charHeight / 2);
  }

 private Q_SLOTS:
  void init() {
    setUpCore([](const std::string&, const std::string&, MbButtons) {
      return std::optional<MbResult>(MbResult::Ok);
    });
    exited_ = false;
  }

  void cleanup() {
    widget_.reset();
    app_.reset();
    tearDownFixture();
  }

  void typedLettersGoIntoTheLineAndCtrlSSavesThem() {
    EditorView& w = open("hello\r\nworld\r\n");
    QCOMPARE(rowText(w, 2), std::string("hello"));
    QCOMPARE(w.cursorRow, 2);
    QTest::keyClicks(widget_.get(), "abc");
    settle();
    QCOMPARE(rowText(w, 2), std::string("abchello"));
    QVERIFY(w.doc.modified);
    QCOMPARE(w.textColumn, 4);
    QTest::keyClick(widget_.get(), Qt::Key_S, Qt::ControlModifier);
    settle();
    QCOMPARE(work_->read("t.c"), std::string("abchello\r\nworld\r\n"));
    QVERIFY(!w.doc.modified);
  }

  void keysTypedBeforeTheFileIsReadWaitForIt() {
    // The set-up message was posted before the widget existed; the widget
    // gets it once registered and reads the file then.
    EditorView& w = open("one\r\n", true);
    QVERIFY(w.doc.levelTop != nullptr);
    QCOMPARE(rowText(w, 2), std::string("one"));
  }

  void aFoldEnteredAndLeftWithTheKeyboard() {
    EditorView& w = open(kFolded);
    QCOMPARE(rowText(w, 3), std::string("...  first"));
    QTest::keyClick(widget_.get(), Qt::Key_Down);
    settle();
    QCOMPARE(w.cursorRow, 3);
    QTest::keyClick(widget_.get(), Qt::Key_E, Qt::ControlModifier);
    settle();
    QCOMPARE(rowText(w, 1), std::string("{{{  first"));
    QCOMPARE(rowText(w, 2), std::string("int b;"));
    QCOMPARE(rowText(w, 3), std::string("}}}"));
    QTest::keyClick(widget_.get(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(rowText(w, 2), std::string("int a;"));
    QCOMPARE(rowText(w, 3), std::string("...  first"));
    QCOMPARE(rowText(w, 4), std::string("int c;"));
    QCOMPARE(w.cursorRow, 3);
  }

  void restoreLineAgainIsAnsweredAfterTheEventLoopRan() {
    EditorView& w = open("one\r\ntwo\r\nthree\r\n");
    QTest::keyClick(widget_.get(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(widget_.get(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(widget_.get(), Qt::Key_F8, Qt::AltModifier);
    QTest::keyClick(widget_.get(), Qt::Key_F8, Qt::AltModifier);
    settle();
    // The question stands while the window waits in the event loop.
    QCOMPARE(host_->lastStatus(), std::string("Press restore line again for best try"));
    QVERIFY(!w.inDispatch);
    QCOMPARE(rowText(w, 2), std::string("two"));
    QTest::keyClick(widget_.get(), Qt::Key_F8, Qt::AltModifier);
    settle();
    QCOMPARE(rowText(w, 2), std::string("one"));
    QCOMPARE(rowText(w, 3), std::string("two"));
  }

  void aDoubleClickEntersTheFoldUnderThePointer() {
    EditorView& w = open(kFolded);
    QTest::mouseDClick(widget_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(w, 3, 2));
    settle();
    QCOMPARE(rowText(w, 1), std::string("{{{  first"));
  }

  void aMouseDragMarksRowsAndCtrlCCopiesThem() {
    EditorView& w = open("l1\r\nl2\r\nl3\r\nl4\r\nl5\r\n");
    QWidget* vp = widget_->viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, cellCentre(w, 2, 0));
    QTest::mouseMove(vp, cellCentre(w, 3, 1));
    QTest::mouseMove(vp, cellCentre(w, 4, 1));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, cellCentre(w, 4, 1));
    settle();
    QVERIFY(w.markActive);
    QCOMPARE(w.markFirstRow, 2);
    QCOMPARE(w.markLastRow, 4);
    QVERIFY(!w.dragging);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(widget_.get(), Qt::Key_C, Qt::ControlModifier);
    settle();
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY2(copied.contains("l1") && copied.contains("l2") && copied.contains("l3"),
             qPrintable(copied));
    QVERIFY(!copied.contains("l4"));
  }

  void theContextMenuFollowsTheWindowsModel() {
    EditorView& w = open(kFolded);
    QGuiApplication::clipboard()->clear();
    QMenu menu;
    widget_->fillContextMenu(menu);
    QStringList texts;
    for (QAction* a : menu.actions()) texts << (a->isSeparator() ? QString("-") : a->text());
    QCOMPARE(texts, QStringList({"Save As", "Create Fold", "Exit fold", "Open All Folds",
                                 "Close All Folds", "Sync Edit->Tree", "-", "Undo", "Cut", "Copy",
                                 "Paste", "-", "Delete"}));
    const auto actions = menu.actions();
    QVERIFY(!actions[7]->isEnabled());    // Undo
    QVERIFY(!actions[0]->isEnabled());    // Save As: no mark
    QVERIFY(actions[3]->isEnabled());     // a closed fold can be opened
    QVERIFY(!actions[10]->isEnabled());   // Paste: the clipboard is empty
    QCOMPARE(actions[9]->data().toInt(), int(kMenuCopy));
    // With a step to undo, Undo is offered.
    QTest::keyClicks(widget_.get(), "x");
    settle();
    QMenu after;
    widget_->fillContextMenu(after);
    QVERIFY(after.actions()[7]->isEnabled());
    QCOMPARE(after.actions()[7]->data().toInt(), int(kMenuUndo));
    (void)w;
  }

  void theWindowsExitTellsTheFrameAndLeavesTheDocument() {
    EditorView& w = open("x\r\n");
    QVERIFY(w.queryClose());
    settle();
    QVERIFY(exited_);
    QVERIFY(widget_->document() == nullptr);
    QVERIFY(app_->documents().empty());
    // A widget without its document paints and takes keys harmlessly.
    QTest::keyClicks(widget_.get(), "abc");
    widget_->repaint();
  }

  void theScrollBarsFollowTheViewAndMoveIt() {
    std::string text;
    for (int i = 1; i <= 100; ++i) text += "line " + std::to_string(i) + "\r\n";
    EditorView& w = open(text);
    QVERIFY(w.vScrollShown);
    QScrollBar* v = widget_->verticalScrollBar();
    QVERIFY(v->isVisible());
    QCOMPARE(v->maximum(), int(w.vScrollRange));
    QVERIFY(w.vScrollRange > 0);
    v->setSliderPosition(10);
    v->triggerAction(QAbstractSlider::SliderMove);
    settle();
    QCOMPARE(w.vScrollPos, 10);
    QCOMPARE(v->value(), 10);
    QCOMPARE(rowText(w, 1), std::string("line 10"));
    // A line step queues the scroll key: it runs through the dispatcher.
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    settle();
    QCOMPARE(w.vScrollPos, 11);
    QCOMPARE(rowText(w, 1), std::string("line 11"));
  }

  void theHorizontalBarMovesTheViewSideways() {
    EditorView& w = open("short\r\n" + std::string(300, 'y') + "z\r\n");
    QVERIFY(w.hScrollShown);
    QScrollBar* h = widget_->horizontalScrollBar();
    QCOMPARE(h->maximum(), int(w.hScrollRange));
    h->setSliderPosition(50);
    h->triggerAction(QAbstractSlider::SliderMove);
    settle();
    QCOMPARE(w.leftColumn, 50);
    QCOMPARE(h->value(), 50);
    // The cursor was left of the view: it is carried to its left edge.
    QCOMPARE(w.textColumn, 51);
    QCOMPARE(rowText(w, 3).substr(0, 3), std::string("yyy"));
  }

  void draggingBelowTheWindowScrollsAndGrowsTheMark() {
    std::string text;
    for (int i = 1; i <= 200; ++i) text += "row " + std::to_string(i) + "\r\n";
    EditorView& w = open(text);
    QWidget* vp = widget_->viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, cellCentre(w, 3, 0));
    QTest::mouseMove(vp, cellCentre(w, 5, 1));
    QTest::mouseMove(vp, cellCentre(w, w.screenRows, 1));
    QVERIFY(w.autoScrollDown);
    QTest::qWait(200);
    QVERIFY(w.vScrollPos > 0);
    QCOMPARE(widget_->verticalScrollBar()->value(), int(w.vScrollPos));
    QVERIFY(w.markActive);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, cellCentre(w, w.screenRows, 1));
    const int stopped = w.vScrollPos;
    QTest::qWait(100);
    QCOMPARE(int(w.vScrollPos), stopped);
    QVERIFY(w.markActive);
  }

  void theCaretSitsUnderTheCursorCell() {
    EditorView& w = open("hello\r\n");
    QTest::keyClick(widget_.get(), Qt::Key_Right);
    QTest::keyClick(widget_.get(), Qt::Key_Right);
    settle();
    QVERIFY(w.caret.shown);
    QCOMPARE(w.caret.x, 2 * w.charWidth);
    QCOMPARE(w.caret.y, w.charHeight + w.charHeight * 3 / 4);
    // The caret inverts the bottom quarter of the cell it is on.
    const QImage shot = widget_->viewport()->grab().toImage();
    const QColor under = shot.pixelColor(w.caret.x + 1, w.caret.y + 1);
    const QColor above = shot.pixelColor(w.caret.x + 1, (w.cursorRow - 1) * w.charHeight + 1);
    QVERIFY(under != above);
  }

  // --- the key mapping ------------------------------------------------------

  void keyMappingGivesTheMessagesOfAWindowsKeyboard() {
    using M = KeyMessage;
    QCOMPARE(pressMessages(Qt::Key_Alt, Qt::AltModifier, ""), KeyStroke({{M::SysKeyDown, VK_MENU}}));
    QCOMPARE(pressMessages(Qt::Key_Q, Qt::AltModifier, "q"), KeyStroke({{M::SysKeyDown, 'Q'}}));
    QCOMPARE(pressMessages(Qt::Key_A, Qt::ControlModifier, "\x01"),
             KeyStroke({{M::KeyDown, 'A'}, {M::Char, 1}}));
    QCOMPARE(pressMessages(Qt::Key_Backspace, Qt::ControlModifier, ""),
             KeyStroke({{M::KeyDown, VK_BACK}, {M::Char, 127}}));
    QCOMPARE(pressMessages(Qt::Key_F10, Qt::NoModifier, ""), KeyStroke({{M::SysKeyDown, 0x79}}));
    QCOMPARE(pressMessages(Qt::Key_Return, Qt::NoModifier, "\r"),
             KeyStroke({{M::KeyDown, VK_RETURN}, {M::Char, 13}}));
    // Del has no character, whatever text the platform puts in the event.
    QCOMPARE(pressMessages(Qt::Key_Delete, Qt::NoModifier, "\x7f"),
             KeyStroke({{M::KeyDown, VK_DELETE}}));
    QCOMPARE(pressMessages(Qt::Key_Backtab, Qt::ShiftModifier, ""),
             KeyStroke({{M::KeyDown, VK_TAB}, {M::Char, 9}}));
    QCOMPARE(pressMessages(Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9))),
             KeyStroke({{M::Char, 0xE9}}));
    bool refused = false;
    QCOMPARE(pressMessages(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x20AC)), &refused),
             KeyStroke());
    QVERIFY(refused);
    QCOMPARE(releaseMessages(Qt::Key_Alt, Qt::AltModifier), KeyStroke({{M::KeyUp, VK_MENU}}));
  }

  void altQInTheWidgetQueuesItsScanCode() {
    EditorView& w = open("x\r\n");
    QTest::keyPress(widget_.get(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyPress(widget_.get(), Qt::Key_Q, Qt::AltModifier);
    QCOMPARE(w.keys.waiting(), 2);
    QCOMPARE(int(w.keys.keyBuf[static_cast<size_t>(w.keys.keyRead)]), 0);
    QCOMPARE(int(w.keys.keyBuf[static_cast<size_t>(w.keys.keyRead + 1)]), 0x10);
    QTest::keyRelease(widget_.get(), Qt::Key_Q, Qt::AltModifier);
    QTest::keyRelease(widget_.get(), Qt::Key_Alt, Qt::NoModifier);
    QVERIFY(!w.keyState.alt);
    settle();
  }

  void aModifierReleasedElsewhereDoesNotStick() {
    EditorView& w = open("x\r\n");
    QTest::keyPress(widget_.get(), Qt::Key_Control, Qt::ControlModifier);
    QVERIFY(w.keyState.ctrl);
    // The release went to another window; the next key says Ctrl is up.
    QTest::keyClick(widget_.get(), Qt::Key_B);
    QVERIFY(!w.keyState.ctrl);
    settle();
    QCOMPARE(rowText(w, 2), std::string("bx"));
  }

  // --- QtHost --------------------------------------------------------------------

  void fileFiltersTakeQtsForm() {
    QCOMPARE(qtFileFilter("C files (*.c;*.h)|*.c;*.h|All files (*.*)|*.*|"),
             QString("C files (*.c *.h);;All files (*)"));
    QCOMPARE(qtFileFilter("Occam files   (*.occ)|*.occ|"), QString("Occam files (*.occ)"));
    QCOMPARE(qtFileFilter(""), QString());
  }

  void thePromptIsBoundedAndTakesSingleBytes() {
    std::string seen;
    host_->runDialog = [&](QDialog& d) {
      auto* field = d.findChild<QLineEdit*>("field");
      auto* label = d.findChild<QLabel*>();
      seen = d.objectName().toStdString() + ":" + label->text().toStdString() + ":" +
             field->text().toStdString();
      field->clear();
      QTest::keyClicks(field, QString("12345678901234567890"));
      return int(QDialog::Accepted);
    };
    auto answer = host_->prompt("INPUT2", "Line number", "42", 15);
    QCOMPARE(seen, std::string("INPUT2:Line number:42"));
    QVERIFY(answer.has_value());
    QCOMPARE(*answer, std::string("123456789012345"));

    host_->runDialog = [&](QDialog& d) {
      auto* field = d.findChild<QLineEdit*>("field");
      field->clear();
      typeText(field, QString::fromUtf8("d\xc3\xa9j\xe2\x82\xac"));  // "déj€"
      return int(QDialog::Accepted);
    };
    answer = host_->prompt("INPUT", "Command", "", 63);
    QCOMPARE(*answer, std::string("d\xe9j"));
    host_->runDialog = [](QDialog&) { return int(QDialog::Rejected); };
    QVERIFY(!host_->prompt("INPUT", "Which macro:", "", 1));
  }

  void theSearchDialogsCarryTheRequest() {
    SearchRequest defaults;
    defaults.text = "old";
    defaults.replacement = "new";
    defaults.matchCase = true;
    host_->runDialog = [](QDialog& d) {
      if (d.objectName() != "DIALOG_1") return int(QDialog::Rejected);
      if (d.findChild<QLineEdit*>("find")->text() != "old") return int(QDialog::Rejected);
      d.findChild<QRadioButton*>("backward")->setChecked(true);
      d.findChild<QRadioButton*>("replaceAll")->setChecked(true);
      d.findChild<QCheckBox*>("allFiles")->setChecked(true);
      return int(QDialog::Accepted);
    };
    auto r = host_->searchDialog(defaults, true);
    QVERIFY(r.has_value());
    QCOMPARE(r->text, std::string("old"));
    QCOMPARE(r->replacement, std::string("new"));
    QVERIFY(r->backward);
    QVERIFY(r->mode == SearchRequest::Mode::ReplaceAll);
    QVERIFY(r->matchCase);
    QVERIFY(r->allFiles);

    // The find dialog has no replace field and no "Replace All".
    FindDialog find(defaults);
    QVERIFY(!find.findChild<QLineEdit*>("replace"));
    QVERIFY(!find.findChild<QRadioButton*>("replaceAll"));
    QStringList labels;
    for (auto* b : find.findChildren<QRadioButton*>()) labels << b->text();
    QCOMPARE(labels, QStringList({"Forward", "Backward", "Stop on First", "Prompt for Next"}));
    QCOMPARE(find.request().mode, SearchRequest::Mode::StopOnFirst);
  }

  void theSymbolDialogOffersEveryByteFrom32() {
    SymbolDialog d;
    QCOMPARE(d.findChildren<QAbstractButton*>(QRegularExpression("^char")).size(), 224);
    QVERIFY(!d.chosen());
    host_->runDialog = [](QDialog& dialog) {
      auto* b = dialog.findChild<QAbstractButton*>("char233");
      b->click();
      return int(QDialog::Accepted);
    };
    auto ch = host_->symbolDialog();
    QVERIFY(ch.has_value());
    QCOMPARE(int(*ch), 233);
  }

  void theHelpDialogShowsTheTemplateAndPrints() {
    int printed = 0;
    host_->onHelpPrint = [&] { ++printed; };
    QString title;
    QStringList cells;
    host_->runDialog = [&](QDialog& d) {
      title = d.windowTitle();
      for (auto* l : d.findChildren<QLabel*>()) cells << l->text();
      d.findChild<QAbstractButton*>("Print")->click();
      return int(QDialog::Accepted);
    };
    host_->helpDialog("HELP_2", "Windows Keyboard Layout", "");
    QCOMPARE(title, QString("Windows Keyboard Layout"));
    QCOMPARE(printed, 1);
    QVERIFY(cells.contains("Function keys"));
    QVERIFY(cells.contains("F10"));
    QVERIFY(cells.contains("Ctrl-A"));
  }

  void messageBoxesMapTheirAnswers() {
    host_->answerBox = nullptr;
    host_->runDialog = [](QDialog& d) {
      if (d.windowTitle() != "Plicato Warning") return int(QMessageBox::Yes);
      return int(QMessageBox::No);
    };
    QCOMPARE(host_->messageBox("Do you want to save changes to x", "Plicato Warning",
                               MbButtons::YesNoCancel, MbIcon::Question),
             MbResult::No);
    // Closing a Yes/No/Cancel box without a button means Cancel.
    host_->runDialog = [](QDialog&) { return -1; };
    QCOMPARE(host_->messageBox("t", "c", MbButtons::YesNoCancel, MbIcon::None), MbResult::Cancel);
  }

  void clipboardTextIsSingleBytes() {
    host_->setClipboardText("caf\xe9");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("caf\xc3\xa9"));
    QCOMPARE(host_->clipboardText().value_or(""), std::string("caf\xe9"));
    // Text that single bytes cannot hold is not offered for pasting.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\xe2\x82\xac"));
    QVERIFY(!host_->clipboardText().has_value());
  }
};

QTEST_MAIN(EditorWidgetTest)
#include "editorwidget_test.moc"

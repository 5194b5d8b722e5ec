// The frame of the desktop program: start-up, menus and tool bar, drops,
// the exit with its questions, the reopen list, recent files, mail and
// auto-save. Message boxes are answered through the host's test hook.
#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QLabel>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

#include <functional>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <deque>
#include <memory>

#include "commands/keyqueue.hpp"
#include "app/placement.hpp"
#include "app/settingsstore.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "gui/editorwidget.hpp"
#include "gui/guiapp.hpp"
#include "gui/mainframe.hpp"
#include "gui/documentwindow.hpp"
#include "gui/documentarea.hpp"
#include "gui/menus.hpp"
#include "gui/qthost.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"
#include "support/runprogram.hpp"
#include "support/testenv.hpp"

namespace {

const char* kFolded =
    "int a;\r\n"
    "/*{{{  first*/\r\n"
    "int b;\r\n"
    "/*}}}*/\r\n"
    "/*{{{  second*/\r\n"
    "int c;\r\n"
    "/*}}}*/\r\n";

struct Box {
  std::string text;
  std::string caption;
};

// One run of the program: a host whose boxes are answered from a list
// (Ok / Yes when it runs out), and the application object over it.
struct Session {
  explicit Session(const TempDir& config) : configDir(config.path()) {
    auto h = std::make_unique<QtHost>();
    host = h.get();
    host->answerBox = [this](const std::string& text, const std::string& caption,
                             MbButtons) -> std::optional<MbResult> {
      boxes.push_back({text, caption});
      if (answers.empty()) return MbResult::Ok;
      MbResult a = answers.front();
      answers.pop_front();
      return a;
    };
    // Other dialogs (the comment convention of a new buffer) are cancelled.
    host->runDialog = [](QDialog&) { return int(QDialog::Rejected); };
    app = std::make_unique<DesktopApplication>(std::move(h));
  }
  ~Session() { app.reset(); }

  void start(std::vector<std::string> args = {}) {
    CommandLine line;
    std::string error;
    QVERIFY(parseCommandLine(args, line, &error));
    line.configDir = configDir;
    app->start(line);
    settle();
  }
  // Lets the posted window messages (reading the files, keys) run.
  void settle() {
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  }
  MainFrame& frame() { return *app->frame(); }
  QList<DocumentWindow*> children() { return frame().client()->children(); }
  EditorView& window(int n = -1) {
    auto list = children();
    return *list.at(n < 0 ? list.size() - 1 : n)->window();
  }
  bool closeFrame() {
    const bool closed = frame().close();
    settle();
    return closed;
  }
  // The screen row r as text.
  std::string row(int r, int n = -1) {
    EditorView& w = window(n);
    std::string s(w.screen().row(r - 1), static_cast<size_t>(w.textWidth()));
    return s.substr(0, s.find_last_not_of(' ') + 1);
  }

  std::string configDir;
  QtHost* host = nullptr;
  std::unique_ptr<DesktopApplication> app;
  std::vector<Box> boxes;
  std::deque<MbResult> answers;
};

QStringList toolNames(QToolBar* bar) {
  QStringList names;
  for (QAction* a : bar->actions()) names << (a->isSeparator() ? "|" : a->objectName());
  return names;
}

void dropFiles(QWidget* target, const QStringList& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& f : files) urls << QUrl::fromLocalFile(f);
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
}

}  // namespace

class FrameTest : public QObject {
  // What a case stores before the desktop program starts and reads it.
  Settings stored_;
  Settings& settings() { return stored_; }
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> config;
  std::unique_ptr<TempDir> work;

  std::string file(const std::string& name, const std::string& content = kFolded) {
    work->write(name, content);
    return work->file(name);
  }

 private Q_SLOTS:
  void init() {
    config = std::make_unique<TempDir>();
    work = std::make_unique<TempDir>();
    setConfigDir(config->path());
    setProgramDir(PLICATO_BIN_DIR);
    stored_ = Settings{};
  }
  void cleanup() {
    setConfigDir("");
    work.reset();
    config.reset();
  }

  void commandLineOptions() {
    CommandLine line;
    std::string error;
    QVERIFY(parseCommandLine({"a.c", "-T", "b.c", "/t", "-t", "c.c"}, line, &error));
    QCOMPARE(line.files.size(), size_t(3));
    QVERIFY(line.files[0].second);
    QVERIFY(line.files[1].second);
    QVERIFY(!line.files[2].second);  // the second option had no file of its own

    CommandLine alone;
    QVERIFY(parseCommandLine({"-T"}, alone, &error));
    QVERIFY(alone.files.empty());

    CommandLine config;
    QVERIFY(parseCommandLine({"--config", "/x", "--", "--odd.c"}, config, &error));
    QCOMPARE(config.configDir, std::string("/x"));
    QCOMPARE(config.files.at(0).first, std::string("--odd.c"));

    CommandLine bad;
    QVERIFY(!parseCommandLine({"--frobnicate"}, bad, &error));
    QVERIFY(error.find("--frobnicate") != std::string::npos);
    QVERIFY(!parseCommandLine({"--config"}, bad, &error));
  }

  void helpVersionAndBadOptionsNeedNoDisplay() {
    qputenv("QT_QPA_PLATFORM", "no-such-platform");  // a window would fail
    ProgramResult version = runProgram("plicato", {"--version"});
    ProgramResult help = runProgram("plicato", {"--help"});
    ProgramResult bad = runProgram("plicato", {"--frobnicate", "a.c"});
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, std::string("plicato 4.1\n"));
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.find("Usage: plicato [--config DIR] [FILE [-T]]...") == 0);
    QVERIFY(help.out.find("--batch") != std::string::npos);
    QCOMPARE(bad.status, 1);
    QVERIFY(bad.err.find("unknown option '--frobnicate'") != std::string::npos);
  }

  void installPutsTheProgramBesideItsDataFiles() {
    TempDir prefix;
    QProcess install;
    install.start("cmake", {"--install", QString(PLICATO_BIN_DIR) + "/..", "--prefix",
                            QString::fromStdString(prefix.path())});
    QVERIFY(install.waitForFinished(120000));
    QCOMPARE(install.exitCode(), 0);
    const QString root = QString::fromStdString(prefix.path());
    const QFileInfo link(root + "/bin/plicato");
    QVERIFY(link.isSymLink());
    QCOMPARE(link.canonicalFilePath(), QFileInfo(root + "/lib/plicato/plicato").canonicalFilePath());
    // The desktop program plicato starts is beside it, and is no command of its own.
    QVERIFY(QFileInfo(root + "/lib/plicato/plicato-desktop").isExecutable());
    QVERIFY(!QFileInfo::exists(root + "/bin/plicato-desktop"));
    for (const char* data : {"lang.txt", "help.txt", "ansi_c.mrk", "PLICATO.INI"})
      QVERIFY2(QFileInfo::exists(root + "/lib/plicato/" + data), data);
    QVERIFY(QFileInfo::exists(root + "/share/icons/hicolor/scalable/apps/plicato.svg"));
    const std::string desktop = readFile(prefix.file("share/applications/plicato.desktop"));
    QVERIFY(desktop.find("\nExec=plicato %F\n") != std::string::npos);
    QVERIFY(desktop.find("\nMimeType=text/x-csrc;text/x-c++src;text/plain;\n") != std::string::npos);
    // Started through the link, the program finds its data files: the
    // shipped PLICATO.INI becomes the user's first one.
    work->write("x.c", "int x;\r\n");
    TempDir fresh;
    QProcess run;
    run.start(link.filePath(), {"--batch", "--config", QString::fromStdString(fresh.path()),
                                "--dump", "status", QString::fromStdString(work->file("x.c"))});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    QVERIFY(fresh.read("PLICATO.INI").find("FileType_0=") != std::string::npos);
  }

  void startUpWarnsAboutAMissingFileAndOpensTheNext() {
    const std::string missing = work->file("missing.c");
    const std::string present = file("present.c");
    Session s(*config);
    s.start({missing, present, "-T"});
    QCOMPARE(s.boxes.size(), size_t(1));
    QCOMPARE(s.boxes[0].text, "File \n" + missing + "\ndoesn't exist or isn't accessible.");
    QCOMPARE(s.boxes[0].caption, std::string("Plicato Warning"));
    QCOMPARE(s.children().size(), 1);
    QCOMPARE(s.children()[0]->windowTitle(), QString::fromStdString(present));
    QCOMPARE(s.frame().windowTitle(), QString("Plicato for Windows"));
    // Read when the window's set-up message arrived, then the tree option.
    QCOMPARE(s.row(2), std::string("int a;"));
    QVERIFY(s.app->app().documents().front()->showTree);
    QCOMPARE(s.frame().statusField(1)->text(), QString("Column :1"));
    QCOMPARE(s.frame().statusField(4)->text(), QString("C"));
    QCOMPARE(s.frame().statusField(1)->font().pointSize(), 8);
  }

  // Without a window manager nobody gives the keyboard back when a dialog
  // closes: the frame takes it again, so the editor keeps its caret.
  void theFrameTakesTheKeyboardBackWhenADialogCloses() {
    Session s(*config);
    s.start({file("present.c")});
    QVERIFY(QTest::qWaitForWindowActive(&s.frame()));
    // A modal dialog as the prompts run one, answered once it has the keys.
    QDialog dialog(&s.frame());
    bool hadKeys = false;
    QTimer::singleShot(0, &dialog, [&] {
      hadKeys = QTest::qWaitForWindowActive(&dialog);
      dialog.accept();
    });
    dialog.exec();
    QVERIFY(hadKeys);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&s.frame()));
  }

  void menusFollowTheLayoutAndQueueTheKeys() {
    settings().keyboardLayout = kLayoutStandard;
    BatchHost store;
    QVERIFY(saveAllSettings(settings(), store));
    Session s(*config);
    s.start({file("f.c")});
    QCOMPARE(s.frame().menuBar()->objectName(), QString("MAIN_MENU_PLI"));
    QCOMPARE(s.frame().documentMenuResource(), std::string("MENU_PLI"));
    QAction* openAll = s.frame().editorAction(cmdOpenAllFolds);
    QVERIFY(openAll);
    QCOMPARE(openAll->text(), QString("Open all folds\tF6"));
    QCOMPARE(s.frame().editorAction(cmdDeleteLine)->text(), QString("Delete line\tAlt-F7, Ctrl-Y"));

    QCOMPARE(s.row(3), std::string("...  first"));
    openAll->trigger();
    s.settle();
    QCOMPARE(s.row(3), std::string("{{{  first"));
    QCOMPARE(s.row(4), std::string("int b;"));
    // The context menu's "Close All Folds" runs the command of its own.
    s.frame().runContextCommand(s.children()[0], kMenuCloseAllFolds);
    s.settle();
    QCOMPARE(s.row(3), std::string("...  first"));
  }

  void userDefinedLayoutStartsWithTheStandardMenus() {
    settings().keyboardLayout = kLayoutUser;
    BatchHost store;
    QVERIFY(saveAllSettings(settings(), store));
    Session s(*config);
    s.start({file("f.c")});
    QCOMPARE(s.app->context().settings.keyboardLayout, int(kLayoutUser));
    QCOMPARE(s.frame().menuBar()->objectName(), QString("MAIN_MENU_PLI"));
    QCOMPARE(s.frame().editorAction(cmdEnterFold)->text(), QString("Enter fold\tHome"));
    // The keys of the table in force run: Home enters the fold.
    queueCommand(s.window(), cmdCursorDown);
    s.frame().editorAction(cmdEnterFold)->trigger();
    s.settle();
    QCOMPARE(s.row(2), std::string("int b;"));
  }

  void everyEditorCommandHasAMenuEntry() {
    Session s(*config);
    s.start({file("f.c")});
    // These are reached through the frame's own entries, which queue them.
    const std::vector<int> frameEntries = {cmdOpenFile, cmdOpenFile2, cmdSave,   cmdSaveAs,
                                           cmdSaveAs2,  cmdHelp,      cmdMaximizeWindow};
    for (int c = kFirstCommand; c <= kLastCommand; ++c) {
      const bool viaFrame = std::find(frameEntries.begin(), frameEntries.end(), c) != frameEntries.end();
      QVERIFY2(viaFrame || s.frame().editorAction(c), qPrintable(QString("command %1").arg(c)));
    }
    // The document menus are there only while a document is.
    QVERIFY(s.frame().documentMenus().front()->menuAction()->isVisible());
    QVERIFY(s.frame().frameAction(cmOpen)->text().endsWith("\tCtrl-O, Ctrl-F5"));
  }

  void toolBarOrderAndStates() {
    Session s(*config);
    s.start({file("f.c")});
    const QStringList expected = {
        "NEW",      "OPEN",      "SAVE",     "SAVEAS",    "|",          "CUT",
        "COPY",     "PASTE",     "UNDO",     "REDO",      "|",          "FIND",       "FINDNEXT",
        "REPLACE",  "|",         "TREE",     "WRAP",      "|",          "EXITFOLD",
        "ENTERFOLD", "OPENFOLD", "CLOSEFOLD", "OPEN_ALL", "CLOSE_ALL",  "CREATEFOLD",
        "REMOVEFOLD", "|",       "PRINT",    "|",         "EXIT",       "|",
        "HELP",     "ABOUT"};
    QCOMPARE(toolNames(s.frame().toolBar()), expected);
    for (const QString& name : expected)
      if (name != "|") QVERIFY2(!s.frame().toolAction(name)->icon().isNull(), qPrintable(name));
    auto on = [&](const char* name) { return s.frame().toolAction(name)->isEnabled(); };
    QVERIFY(!on("UNDO") && !on("REDO"));
    QVERIFY(on("PRINT"));  // Print Buffer is there, whatever window is active
    QVERIFY(on("EXIT"));

    // The cursor is on a text line at the file's top level.
    EditorView& w = s.window();
    QVERIFY(!on("ENTERFOLD") && !on("OPENFOLD") && !on("EXITFOLD"));
    QVERIFY(on("OPEN_ALL") && !on("CLOSE_ALL"));
    queueCommand(w, cmdCursorDown);
    s.settle();
    QVERIFY(on("ENTERFOLD") && on("OPENFOLD") && !on("EXITFOLD"));
    s.frame().toolAction("ENTERFOLD")->trigger();
    s.settle();
    QCOMPARE(s.row(2), std::string("int b;"));
    QVERIFY(on("EXITFOLD") && !on("ENTERFOLD"));
    s.frame().toolAction("EXITFOLD")->trigger();
    s.settle();
    QVERIFY(!on("EXITFOLD"));
    s.frame().toolAction("OPEN_ALL")->trigger();
    s.settle();
    QVERIFY(on("CLOSE_ALL") && !on("OPEN_ALL"));
  }

  // Typing with real key events, then undo and redo from the keys, the tool
  // bar, the Edit menu and the context menu; each says when it has a step.
  void undoAndRedoFromKeysToolBarAndMenus() {
    Session s(*config);
    s.start({file("f.c")});
    QVERIFY(QTest::qWaitForWindowActive(&s.frame()));
    QWidget* keys = QApplication::focusWidget();
    QVERIFY(qobject_cast<EditorWidget*>(keys));
    auto on = [&](const char* name) { return s.frame().toolAction(name)->isEnabled(); };
    QAction* undo = s.frame().editorAction(cmdUndo);
    QAction* redo = s.frame().editorAction(cmdRedo);
    QCOMPARE(undo->text(), QString("Undo\tAlt-Backspace"));
    QCOMPARE(redo->text(), QString("Redo\tShift-Alt-Backspace"));
    const int row = s.window().cursorRow;
    const std::string before = s.row(row);
    QVERIFY(!on("UNDO") && !on("REDO") && !undo->isEnabled());
    QTest::keyClicks(keys, "xy");
    s.settle();
    const std::string typed = s.row(row);
    QCOMPARE(typed, "xy" + before);
    QVERIFY(on("UNDO") && !on("REDO") && undo->isEnabled() && !redo->isEnabled());
    QVERIFY(s.window().doc.modified);

    QTest::keyClick(keys, Qt::Key_Backspace, Qt::AltModifier);
    s.settle();
    QCOMPARE(s.row(row), before);  // the two keys were one step
    QVERIFY(!on("UNDO") && on("REDO") && redo->isEnabled());
    QVERIFY(!s.window().doc.modified);
    QTest::keyClick(keys, Qt::Key_Backspace, Qt::AltModifier | Qt::ShiftModifier);
    s.settle();
    QCOMPARE(s.row(row), typed);

    const std::vector<std::pair<std::function<void()>, std::string>> steps = {
        {[&] { s.frame().toolAction("UNDO")->trigger(); }, before},
        {[&] { s.frame().toolAction("REDO")->trigger(); }, typed},
        {[&] { undo->trigger(); }, before},
        {[&] { redo->trigger(); }, typed},
        {[&] { s.frame().runContextCommand(s.children()[0], kMenuUndo); }, before},
    };
    for (const auto& [run, text] : steps) {
      run();
      s.settle();
      QCOMPARE(s.row(row), text);
    }
    QTest::keyClick(keys, Qt::Key_Backspace, Qt::AltModifier);
    s.settle();
    QCOMPARE(s.row(row), before);
    QTest::keyClick(keys, Qt::Key_Backspace, Qt::AltModifier);
    s.settle();
    auto* message = s.frame().findChild<QLabel*>("MessageField");
    QVERIFY(message);
    QCOMPARE(message->text(), QString("Nothing to undo"));
  }

  void dropsOfTenAndOfElevenFiles() {
    Session s(*config);
    s.start();
    QStringList files;
    for (int i = 0; i < 11; ++i) files << QString::fromStdString(file("d" + std::to_string(i) + ".c"));
    dropFiles(&s.frame(), files);
    s.settle();
    QCOMPARE(s.children().size(), 0);
    QCOMPARE(s.boxes.size(), size_t(1));
    QCOMPARE(s.boxes[0].text, std::string("To many files !"));
    QCOMPARE(s.boxes[0].caption, std::string("Plicato Warning"));
    files.removeLast();
    dropFiles(&s.frame(), files);
    s.settle();
    QCOMPARE(s.children().size(), 10);
    QCOMPARE(s.boxes.size(), size_t(1));
  }

  void aModifiedWindowIsAskedBeforeTheExit() {
    const std::string path = file("m.c");
    Session s(*config);
    s.start({path});
    EditorView& w = s.window();
    w.queueChar('x');
    s.settle();
    QVERIFY(w.doc.modified);

    s.answers = {MbResult::Cancel};
    QVERIFY(!s.closeFrame());
    QCOMPARE(s.boxes.back().text, "Do you want to save changes to " + path);
    QCOMPARE(s.boxes.back().caption, std::string("Plicato Warning"));
    QCOMPARE(s.children().size(), 1);  // Cancel stops the exit
    QVERIFY(s.frame().isVisible());

    s.boxes.clear();
    s.answers = {MbResult::No};
    QVERIFY(s.closeFrame());
    // No clears the changes: no "Quit without save?" after it.
    QCOMPARE(s.boxes.size(), size_t(1));
    QCOMPARE(s.children().size(), 0);
    QCOMPARE(readFile(path), std::string(kFolded));
  }

  void closingADocumentWindowAsksItsEditor() {
    Session s(*config);
    s.start({file("c1.c"), file("c2.c")});
    s.window(1).queueChar('x');
    s.settle();
    s.answers = {MbResult::Cancel};
    s.children()[1]->close();
    s.settle();
    QCOMPARE(s.children().size(), 2);  // kept: the question was cancelled
    s.children()[0]->close();
    s.settle();
    QCOMPARE(s.children().size(), 1);  // unchanged: gone at once
    QCOMPARE(s.app->app().documents().size(), size_t(1));
    s.answers = {MbResult::No};
    s.children()[0]->close();
    s.settle();
    QCOMPARE(s.children().size(), 0);
    QVERIFY(!s.frame().documentMenus().front()->menuAction()->isVisible());
    QVERIFY(!s.frame().toolAction("SAVE")->isEnabled());
    QVERIFY(s.frame().toolAction("OPEN")->isEnabled());
  }

  void yesSavesBeforeTheExit() {
    const std::string path = file("y.c");
    Session s(*config);
    s.start({path});
    s.window().queueChar('q');
    s.settle();
    s.answers = {MbResult::Yes};
    QVERIFY(s.closeFrame());
    QVERIFY(readFile(path).find("qint a;") != std::string::npos);
  }

  void reopenListAndPlacementsSurviveARestart() {
    const std::string one = file("one.c");
    const std::string two = file("two.c");
    {
      Session s(*config);
      s.start({one, two});
      s.app->newDocument();
      s.frame().setGeometry(30, 40, 800, 600);
      s.children()[1]->setGeometry(10, 20, 300, 200);
      QVERIFY(s.closeFrame());
      s.app->afterLoop();
    }
    ProfileFile& ini = plicatoIni();
    QCOMPARE(ini.getString("FILES", "File1", ""), one);
    QCOMPARE(ini.getString("FILES", "File2", ""), two);
    QCOMPARE(ini.getString("FILES", "File3", "x"), std::string(""));  // "Noname" is not listed
    QCOMPARE(ini.getString("FILES", "Counter", ""), std::string("2"));
    WindowPlacement main;
    QtHost probe;
    QVERIFY(restorePlacement(probe, "MainWindowPlacement", main));
    QCOMPARE(main.left, 30);
    QCOMPARE(main.right - main.left, 800);

    Session again(*config);
    again.start();
    QCOMPARE(again.children().size(), 2);
    QCOMPARE(again.children()[0]->windowTitle(), QString::fromStdString(one));
    QCOMPARE(again.children()[1]->windowTitle(), QString::fromStdString(two));
    QCOMPARE(again.children()[1]->geometry(), QRect(10, 20, 300, 200));
    QCOMPARE(again.frame().geometry(), QRect(30, 40, 800, 600));
    QCOMPARE(again.row(2, 0), std::string("int a;"));
  }

  void hiddenToolBarIsRememberedAtExit() {
    {
      Session s(*config);
      s.start();
      s.frame().frameAction(cmToolBar)->trigger();
      QVERIFY(s.frame().toolBar()->isHidden());
      QVERIFY(s.closeFrame());
      s.app->afterLoop();
    }
    settings() = Settings{};
    Session again(*config);
    again.start();
    QVERIFY(again.frame().toolBar()->isHidden());
    QVERIFY(!again.frame().frameAction(cmToolBar)->isChecked());
    QVERIFY(!again.frame().statusBar()->isHidden());
  }

  void saveAndExitSavesNamedWindows() {
    const std::string path = file("s.c");
    Session s(*config);
    s.start({path});
    s.window().queueChar('z');
    s.settle();
    s.frame().frameAction(cmSaveExit)->trigger();
    s.settle();
    QVERIFY(readFile(path).find("zint a;") != std::string::npos);
    QVERIFY(!s.frame().isVisible());
    QVERIFY(s.boxes.empty());  // nothing was left to ask about
  }

  void finishEndsTheProgram() {
    Session s(*config);
    s.start({file("f.c")});
    queueCommand(s.window(), cmdFinish);
    s.settle();
    QCOMPARE(s.children().size(), 0);
    QVERIFY(!s.frame().isVisible());
  }

  void recentFilesAreKeptInTheProfile() {
    const std::string a = file("a.c");
    const std::string b = file("b.c");
    {
      Session s(*config);
      s.start({a, b});
      QCOMPARE(s.app->recentFiles().value(0), QString::fromStdString(b));
      QCOMPARE(s.app->recentFiles().value(1), QString::fromStdString(a));
      s.app->addRecentFile(a);
      QCOMPARE(s.app->recentFiles().size(), 2);
      QCOMPARE(s.app->recentFiles().value(0), QString::fromStdString(a));
    }
    QCOMPARE(plicatoIni().getString("Recent", "File1", ""), a);
    Session again(*config);
    again.start();
    QCOMPARE(again.app->recentFiles().size(), 2);
    QStringList entries;
    for (QAction* act : again.frame().menuBar()->actions().front()->menu()->actions())
      if (act->property("recentFile").isValid()) entries << act->text();
    QCOMPARE(entries, QStringList({"&1 " + QString::fromStdString(a), "&2 " + QString::fromStdString(b)}));
  }

  void helpShowsTheLayoutOfTheTableInForce() {
    Session s(*config);
    QStringList titles;
    QStringList labels;
    QRect shown;
    s.host->runDialog = [&](QDialog& d) {
      titles << d.windowTitle();
      for (QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
      shown = d.frameGeometry();
      return int(QDialog::Accepted);
    };
    s.start({file("h.c")});
    const QRect screen = s.frame().screen()->availableGeometry();
    s.frame().setGeometry(screen.left() + 20, screen.top() + 10, screen.width() - 60,
                          screen.height() / 2 + 40);
    s.settle();
    s.frame().frameAction(cmHelpKeys)->trigger();
    queueCommand(s.window(), cmdHelp);
    s.settle();
    QCOMPARE(titles, QStringList({"Windows Keyboard Layout", "Windows Keyboard Layout"}));
    // The frame's own keys are told with the layout's.
    QVERIFY(labels.contains("Document windows"));
    QVERIFY(labels.contains("Ctrl-Tab") && labels.contains("Next window"));
    QVERIFY(labels.contains("Ctrl-Shift-Tab") && labels.contains("Prev. window"));
    // It opens inside the frame, below its menus and tool bar, and no
    // taller than the room there.
    const QWidget* client = s.frame().centralWidget();
    const QRect area(client->mapToGlobal(QPoint(0, 0)), client->size());
    QVERIFY2(area.contains(shown), qPrintable(QString("%1,%2 %3x%4").arg(shown.x()).arg(shown.y())
                                                  .arg(shown.width()).arg(shown.height())));
    QVERIFY(shown.top() > s.frame().menuBar()->mapToGlobal(QPoint(0, 0)).y() +
                              s.frame().menuBar()->height() - 1);

    // A frame too small to hold it: the help still fits the screen.
    s.frame().setGeometry(screen.left(), screen.top(), 300, 200);
    s.settle();
    s.frame().frameAction(cmHelpKeys)->trigger();
    s.settle();
    QVERIFY(screen.contains(shown));
  }

  void aFileOpenAlreadyComesToTheFront() {
    const std::string a = file("a.c");
    const std::string b = file("b.c");
    // Another name of a: through a link to its directory.
    QVERIFY(QFile::link(QString::fromStdString(work->path()), QString::fromStdString(work->file("via"))));
    const std::string viaLink = work->file("via/a.c");
    {
      Session s(*config);
      s.start({a, b, a, viaLink});
      QCOMPARE(s.children().size(), 2);
      QCOMPARE(s.frame().client()->activeChild(), s.children()[0]);
      QVERIFY(s.boxes.empty());
      // The recent files, a drop and the Open dialog bring it to the front too.
      s.frame().client()->activate(s.children()[1]);
      for (QAction* act : s.frame().menuBar()->actions().front()->menu()->actions())
        if (act->property("recentFile").toString() == QString::fromStdString(a)) act->trigger();
      s.settle();
      QCOMPARE(s.children().size(), 2);
      QCOMPARE(s.frame().client()->activeChild(), s.children()[0]);
      dropFiles(&s.frame(), {QString::fromStdString(b)});
      s.settle();
      QCOMPARE(s.children().size(), 2);
      QCOMPARE(s.frame().client()->activeChild(), s.children()[1]);
      s.host->runDialog = [&](QDialog& d) {
        dynamic_cast<QFileDialog&>(d).selectFile(QString::fromStdString(viaLink));
        return int(QDialog::Accepted);
      };
      s.frame().frameAction(cmOpen)->trigger();
      s.settle();
      QCOMPARE(s.children().size(), 2);
      QCOMPARE(s.frame().client()->activeChild(), s.children()[0]);
      QVERIFY(s.closeFrame());
      s.app->afterLoop();
    }
    QCOMPARE(plicatoIni().getString("FILES", "Counter", ""), std::string("2"));
    // Started again and again with the same file: the list does not grow.
    for (int start = 0; start < 2; ++start) {
      Session s(*config);
      s.start({a});
      QCOMPARE(s.children().size(), 2);
      QVERIFY(s.closeFrame());
      s.app->afterLoop();
    }
    QCOMPARE(plicatoIni().getString("FILES", "File3", ""), std::string(""));
    // A list that holds copies already opens each file once.
    ProfileFile& ini = plicatoIni();
    ini.writeString("FILES", "File2", a);
    ini.writeString("FILES", "File3", b);
    ini.writeString("FILES", "File4", viaLink);
    Session again(*config);
    again.start();
    QCOMPARE(again.children().size(), 2);
    QCOMPARE(again.children()[1]->windowTitle(), QString::fromStdString(b));
  }

  void ctrlTabGoesRoundTheDocumentWindowsInBothLayouts() {
    for (int layout : {int(kLayoutWindows), int(kLayoutStandard)}) {
      settings() = Settings{};
      settings().keyboardLayout = layout;
      BatchHost store;
      QVERIFY(saveAllSettings(settings(), store));
      // Neither key has a command in the layout.
      for (const CommandKey& k : layout == kLayoutWindows ? kWindowsTable : kPlicatoStandardTable)
        if (k.command) QVERIFY(keyName(k) != "Ctrl-Tab" && keyName(k) != "Shift-Tab");
      Session s(*config);
      s.start({file("x.c"), file("y.c"), file("z.c")});
      QVERIFY(QTest::qWaitForWindowActive(&s.frame()));
      auto active = [&] { return QFileInfo(s.frame().client()->activeChild()->windowTitle()).fileName(); };
      auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods) {
        QWidget* keys = QApplication::focusWidget();
        QVERIFY(qobject_cast<EditorWidget*>(keys));
        QTest::keyClick(keys, key, mods);
        s.settle();
      };
      QCOMPARE(active(), QString("z.c"));
      press(Qt::Key_Tab, Qt::ControlModifier);
      QCOMPARE(active(), QString("x.c"));  // round from the last to the first
      press(Qt::Key_Tab, Qt::ControlModifier);
      QCOMPARE(active(), QString("y.c"));
      press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
      QCOMPARE(active(), QString("x.c"));
      press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
      QCOMPARE(active(), QString("z.c"));
      for (int i = 0; i < 3; ++i) {
        QVERIFY(!s.window(i).doc.modified);
        QCOMPARE(s.row(2, i), std::string("int a;"));
      }
      QVERIFY(s.frame().frameAction(cmNextWindow)->text().contains("Next"));
    }
  }

  void theOpenDialogStartsOnTheFilesOfTheActiveType() {
    Session s(*config);
    QStringList chosen;
    s.host->runDialog = [&](QDialog& d) {
      if (auto* f = dynamic_cast<QFileDialog*>(&d)) chosen << f->selectedNameFilter();
      return int(QDialog::Rejected);
    };
    s.start();
    s.frame().frameAction(cmOpen)->trigger();  // no window: every file
    s.app->openDocument(file("prog.occ", "SEQ\r\n  SKIP\r\n"));
    s.settle();
    queueCommand(s.window(), cmdOpenFile);  // the editor's key takes the same road
    s.settle();
    s.app->openDocument(file("main.c"));
    s.settle();
    s.frame().frameAction(cmOpen)->trigger();
    s.app->openDocument(file("notes.zzz", "text\r\n"));
    s.settle();
    s.frame().frameAction(cmOpen)->trigger();  // a type without an entry
    QCOMPARE(chosen.size(), 4);
    QVERIFY2(chosen[0].endsWith("(*)"), qPrintable(chosen[0]));
    QVERIFY2(chosen[1].startsWith("occam2 files") && chosen[1].contains("*.occ"), qPrintable(chosen[1]));
    QVERIFY2(chosen[2].startsWith("C files"), qPrintable(chosen[2]));
    QVERIFY2(chosen[3].endsWith("(*)"), qPrintable(chosen[3]));
  }

  void internalErrorEndsTheMessageLoop() {
    Session s(*config);
    s.start();
    QTimer::singleShot(0, [&s] { PLICATO_INTERNAL_ERROR(s.app->host(), 7); });
    QCOMPARE(QCoreApplication::exec(), 1);
    QCOMPARE(s.boxes.size(), size_t(1));
    QVERIFY(s.boxes[0].text.rfind("File: ", 0) == 0);
    QVERIFY(s.boxes[0].text.find("frame_test.cpp, Line: ") != std::string::npos);
    QVERIFY(s.boxes[0].text.find(", Code: 7") != std::string::npos);
    QCOMPARE(s.boxes[0].caption, std::string("Plicato Error"));
  }

  void mailFailureIsReported() {
    // A stand-in mailer that notes its arguments and fails as xdg-email
    // does when the mail program cannot be run.
    work->write("xdg-email", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/mail.args\"\nexit 4\n");
    QFile::setPermissions(QString::fromStdString(work->file("xdg-email")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    const std::string path = file("mail.c");
    Session s(*config);
    // Without a mail handler on the search path the entry is grayed.
    TempDir empty;
    qputenv("PATH", QByteArray::fromStdString(empty.path()));
    s.start({path});
    QVERIFY(!s.frame().frameAction(cmSend)->isEnabled());
    qputenv("PATH", QByteArray::fromStdString(work->path()) + ":" + oldPath);
    s.frame().updateCommandStates();
    QVERIFY(s.frame().frameAction(cmSend)->isEnabled());
    s.frame().frameAction(cmSend)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(s.boxes.size(), size_t(1), 10000);
    qputenv("PATH", oldPath);
    // Why it failed is told in words after the number.
    QCOMPARE(s.boxes[0].text,
             std::string("Unable to send the message, error 4.\nThe mail program could not take the message."));
    QCOMPARE(mailFailure(3), std::string("Unable to send the message, error 3.\n"
                                         "No mail program is set up on this system."));
    QCOMPARE(s.boxes[0].caption, std::string("Plicato Error"));
    QCOMPARE(work->read("mail.args"), "--attach " + path + "\n");
  }

  void autoSaveSavesModifiedNamedWindows() {
    const std::string path = file("auto.c");
    Session s(*config);
    s.start({path});
    s.app->newDocument();
    s.window(1).queueChar('n');
    s.window(0).queueChar('k');
    s.settle();
    s.app->context().settings.autoSave = 2;
    s.app->setAutoSaveTick(5);
    QTRY_VERIFY_WITH_TIMEOUT(!s.window(0).doc.modified, 5000);
    QVERIFY(readFile(path).find("kint a;") != std::string::npos);
    QVERIFY(s.window(1).doc.modified);  // a buffer without a name waits for one
    QCOMPARE(s.frame().messageField()->text(), "Saving " + QString::fromStdString(path));
    s.window(1).doc.modified = false;
  }

  // Another program changed a document's file: coming back to the frame
  // says so and names the Reload key, auto-save leaves the file alone, a
  // save asks first and No keeps the other program's file.
  void fileChangedOnDiskIsNotedAndKept() {
    const std::string path = file("disk.c");
    Session s(*config);
    s.start({path});
    s.window().queueChar('k');
    s.settle();
    writeFile(path, "theirs\r\n");
    struct timespec t[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), t, 0);

    QEvent activated(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&s.frame(), &activated);
    const QString note = QString::fromStdString(path + " has changed on disk; Reload reads it again");
    QVERIFY(s.frame().messageField()->text().startsWith(note));
    QVERIFY(s.frame().messageField()->text().contains(
        QString::fromStdString(s.app->context().keys.keyNameOfCommand(cmdReloadFile))));
    QVERIFY(s.window().doc.modified);  // nothing changes by itself

    s.app->context().settings.autoSave = 1;
    s.app->setAutoSaveTick(5);
    QTRY_VERIFY_WITH_TIMEOUT(s.frame().messageField()->text().startsWith("Auto-save skipped"), 5000);
    s.app->context().settings.autoSave = 0;
    QCOMPARE(readFile(path), std::string("theirs\r\n"));
    QVERIFY(s.boxes.empty());

    s.answers = {MbResult::No};
    s.frame().frameAction(cmSave)->trigger();
    s.settle();
    QCOMPARE(s.boxes.size(), size_t(1));
    QCOMPARE(s.boxes[0].caption, std::string("Plicato Warning"));
    QVERIFY(s.boxes[0].text.find("has changed on disk since it was read.") != std::string::npos);
    QCOMPARE(readFile(path), std::string("theirs\r\n"));
    QVERIFY(s.window().doc.modified);
    s.window().doc.modified = false;
  }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"

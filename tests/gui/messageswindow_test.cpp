// The build commands in the desktop program: a real compiler fills the
// messages window while the editor goes on taking keys, "&Close" stays
// grayed until the run has ended, the system close is ignored, and the
// editor window will not close meanwhile.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <sys/stat.h>

#include <memory>

#include "app/application.hpp"
#include "toolchain/transputer.hpp"
#include "display/editorview.hpp"
#include "gui/editorwidget.hpp"
#include "gui/guitest.hpp"
#include "gui/messageswindow.hpp"
#include "gui/qthost.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

bool anyLineHas(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& l : lines)
    if (l.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace

class MessagesWindowTest : public QObject, private QtFixture {
  Q_OBJECT

 private:
  std::unique_ptr<Application> app_;
  std::unique_ptr<EditorWidget> widget_;
  std::unique_ptr<BuildCommands> build_;
  std::vector<std::string> boxes_;
  OpenDocument* doc_ = nullptr;

  EditorView& open(const std::string& name, const std::string& content) {
    app_ = std::make_unique<Application>(*ctx_);
    doc_ = openDocument(*app_, name, content);
    widget_ = std::make_unique<EditorWidget>(*doc_, *app_, *host_);
    showFocused(*widget_, *widget_, 600, 400);
    return doc_->window;
  }

  std::string script(const std::string& name, const std::string& body) {
    work_->write(name, "#!/bin/sh\n" + body);
    ::chmod(work_->file(name).c_str(), 0755);
    return work_->file(name);
  }

 private Q_SLOTS:
  void init() {
    boxes_.clear();
    setUpCore([this](const std::string& text, const std::string&, MbButtons) {
      boxes_.push_back(text);
      return std::optional<MbResult>(MbResult::No);
    });
    build_ = std::make_unique<BuildCommands>();
  }

  void cleanup() {
    build_.reset();
    widget_.reset();
    app_.reset();
    tearDownFixture();
  }

  void aRealCompilerFillsTheWindowWhileTheEditorTakesKeys() {
    // The compiler waits for a sign from the test, so the run surely goes
    // on while keys are typed; then it is the system's C compiler.
    const std::string cc = script("cc.sh",
                                  "echo waiting\n"
                                  "while [ ! -e go ]; do sleep 0.02; done\n"
                                  "exec cc -c \"$@\"\n");
    EditorView& w = open("t.c", "#warning hello from the compiler\nint x;\n");
    settings().compilerCmdLine = "sh " + cc;

    build_->compile(w);
    MessagesWindow* m = build_->windowOf(w);
    QVERIFY(m != nullptr);
    QCOMPARE(m->objectName(), QString("MESSAGES"));
    QTRY_COMPARE(m->windowTitle(), QString("Compile messages (working...)"));
    QTRY_COMPARE(m->lines(), std::vector<std::string>{"waiting"});
    QVERIFY(w.buildRunning);

    // "&Close" is the menu bar's one item, grayed; the system close does nothing.
    QCOMPARE(m->menuBar()->actions().size(), 1);
    QCOMPARE(m->closeAction()->text(), QString("&Close"));
    QVERIFY(!m->closeEnabled());
    QVERIFY(!m->close());
    QVERIFY(m->isVisible());

    // The editor goes on: typed keys change its line.
    widget_->setFocus();
    QTest::keyClicks(widget_.get(), "ab");
    settle();
    QVERIFY(w.doc.modified);
    QVERIFY(w.buildRunning);

    // And it will not close while the compile runs.
    QVERIFY(!w.queryClose());
    QCOMPARE(boxes_.back(), std::string("Can't close window until Compiler or Maker hasn't ended"));
    // A second compile is refused.
    build_->compile(w);
    QCOMPARE(build_->windows().size(), size_t(1));

    work_->write("go", "");
    QTRY_VERIFY_WITH_TIMEOUT(m->closeEnabled(), 30000);
    QCOMPARE(m->windowTitle(), QString("Compile messages (finished)"));
    QVERIFY(!w.buildRunning);
    QVERIFY(anyLineHas(m->lines(), "hello from the compiler"));
    QVERIFY(fileExists(work_->file("t.o")));

    // Now "&Close" closes it.
    QPointer<MessagesWindow> gone(m);
    m->closeAction()->trigger();
    QTRY_VERIFY(gone.isNull());
    QVERIFY(build_->windowOf(w) == nullptr);
  }

  void aSecondCompileReusesTheOpenWindowAndGraysCloseAgain() {
    EditorView& w = open("t.c", "int x;\n");
    const std::string cc = script("cc.sh", "while [ ! -e go ]; do sleep 0.02; done\necho \"$1\"\n");
    settings().compilerCmdLine = "sh " + cc;
    work_->write("go", "");
    build_->compile(w);
    MessagesWindow* m = build_->windowOf(w);
    QTRY_VERIFY_WITH_TIMEOUT(m->closeEnabled(), 30000);
    QCOMPARE(m->lines(), std::vector<std::string>{"t.c"});

    ::unlink(work_->file("go").c_str());
    build_->compile(w);
    QCOMPARE(build_->windowOf(w), m);
    QVERIFY(!m->closeEnabled());
    work_->write("go", "");
    QTRY_VERIFY_WITH_TIMEOUT(m->closeEnabled(), 30000);
    QCOMPARE(m->lines(), (std::vector<std::string>{"t.c", "t.c"}));
  }

  void anEmptyCommandLineIsToBeSetInTheOptions() {
    // Running nothing would only open an empty window: the user is told
    // where the command is set, and no window opens.
    EditorView& w = open("t.c", "int x;\n");
    settings().compilerCmdLine = "  ";
    settings().makerCmdLine = "";
    build_->compile(w);
    build_->make(w);
    QVERIFY(build_->windows().empty());
    QCOMPARE(boxes_, (std::vector<std::string>{kNoCompilerCommand, kNoMakerCommand}));
    QVERIFY(std::string(kNoCompilerCommand).find("Options") != std::string::npos);
    QVERIFY(!w.buildRunning);
  }

  void theInternalMakerSaysWhenItHasFinished() {
    EditorView& w = open("t.c", "int x;\n");
    work_->write("Makefile", "all:\n\t@echo made it\n");
    settings().externalMaker = false;
    settings().makefile = work_->file("Makefile");
    build_->make(w);
    std::vector<MessagesWindow*> all = build_->windows();
    QCOMPARE(all.size(), size_t(1));
    MessagesWindow* m = all[0];
    QTRY_VERIFY_WITH_TIMEOUT(m->closeEnabled(), 30000);
    QVERIFY(m->windowTitle().startsWith("Plicato Making Finished ("));
    QVERIFY(m->windowTitle().endsWith(" secs)"));
    QVERIFY(anyLineHas(m->lines(), "made it"));
    QVERIFY(!w.buildRunning);
  }

  void theTransputerPathShowsTheCompilerMessagesFrame() {
    EditorView& w = open("PROG.C", "int x;\n");
    settings().externalCompiler = false;
    settings().linkAddress = "B004";
    settings().compilerParameters = "-g";
    settings().iccBtlPath = script("icc.btl", "echo \"booted $*\"\n");
    build_->compile(w);
    std::vector<MessagesWindow*> all = build_->windows();
    QCOMPARE(all.size(), size_t(1));
    MessagesWindow* m = all[0];
    QVERIFY(m->isServerWindow());
    QVERIFY(m->menuBar()->actions().isEmpty());
    QVERIFY(m->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(m->list()->geometry(), QRect(10, 50, 700, 500));
    QCOMPARE(m->lines(), std::vector<std::string>{"booted PROG.C -g"});
    QTRY_COMPARE(m->windowTitle(), QString("Plicato Compiling Finished"));
    QVERIFY(!w.buildRunning);
    freeServerLibraries();
  }

  void theWindowsAreTopLevelAndGoWithTheirOwner() {
    EditorView& w = open("t.c", "int x;\n");
    // An owner at the top left of the screen, as a frame often is.
    auto* owner = new QMainWindow;
    owner->menuBar()->addMenu("&File");
    owner->setCentralWidget(new QWidget);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    owner->setGeometry(screen.left(), screen.top(), screen.width() - 20, screen.height() - 20);
    owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(owner));
    auto* build = new BuildCommands(owner);
    settings().compilerCmdLine = "sh " + script("cc.sh", "exec sleep 60\n");
    build->compile(w);
    QPointer<MessagesWindow> m(build->windowOf(w));
    QVERIFY(m);
    QVERIFY(m->isWindow());
    QCOMPARE(m->parentWidget(), owner);
    // Inside the owner's client area, not over its menu bar.
    const QRect area(owner->centralWidget()->mapToGlobal(QPoint(0, 0)), owner->centralWidget()->size());
    QVERIFY(area.contains(m->frameGeometry()));
    delete owner;  // stops the compile, closes its window
    QVERIFY(m.isNull());
    w.buildRunning = false;
  }

  void droppingTheCommandsStopsARunningCompile() {
    EditorView& w = open("t.c", "int x;\n");
    settings().compilerCmdLine = "sh " + script("cc.sh", "exec sleep 60\n");
    build_->compile(w);
    QVERIFY(w.buildRunning);
    build_.reset();  // returns once the compiler is stopped
    QVERIFY(true);
  }
};

QTEST_MAIN(MessagesWindowTest)
#include "messageswindow_test.moc"

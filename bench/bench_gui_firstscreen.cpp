// The desktop program's first screen of a 1,000,000-line file, on the
// offscreen platform: from the start of opening the file to the end of the
// editor widget's first paint that shows it.
//
// Open: the file opened into a running frame (the open dialog's path).
// Start: the program started with the file on its command line (the frame
// made and shown, the file types read, then the file).
//
// The file is $PLICATO_BIGFILE (make bench gives the file of the speed
// comparison), else one made with gen_bigfile next to this program.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QObject>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "gui/editorwidget.hpp"
#include "gui/guiapp.hpp"
#include "gui/mainframe.hpp"
#include "gui/documentwindow.hpp"
#include "gui/documentarea.hpp"
#include "gui/qthost.hpp"
#include "benchutil.hpp"
#include "model/paths.hpp"

namespace {

using Clock = std::chrono::steady_clock;

using benchutil::bigFile;

// Watches every paint of the process for one of an editor widget whose
// file is read: its viewport is the painted widget.
class FirstPaint : public QObject {
 public:
  FirstPaint() { qApp->installEventFilter(this); }
  ~FirstPaint() override { qApp->removeEventFilter(this); }
  bool seen = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && !seen) {
      auto* editor = qobject_cast<EditorWidget*>(watched->parent());
      if (editor && editor->window() && editor->window()->doc.levelTop) seen = true;
    }
    return false;
  }
};

// Runs the event loop until the first paint of the file is over; false
// after 60 s without one.
bool untilPainted(FirstPaint& paint) {
  const auto give_up = Clock::now() + std::chrono::seconds(60);
  while (!paint.seen && Clock::now() < give_up)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  // The paint event that set the flag has run to its end by now.
  return paint.seen;
}

// A program whose boxes are answered Ok and whose other dialogs are
// cancelled: nothing may wait for a person.
std::unique_ptr<DesktopApplication> newProgram() {
  auto host = std::make_unique<QtHost>();
  host->answerBox = [](const std::string&, const std::string&, MbButtons) -> std::optional<MbResult> {
    return MbResult::Ok;
  };
  host->runDialog = [](QDialog&) { return int(QDialog::Rejected); };
  return std::make_unique<DesktopApplication>(std::move(host));
}

std::string benchConfigDir() {
  static std::string dir;
  if (dir.empty()) {
    char tmpl[] = "/tmp/plicato-bench-gui-cfg-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    dir = tmpl;
  }
  return dir;
}

double seconds(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void BM_FirstScreenOpen(benchmark::State& state) {
  const std::string path = bigFile();
  auto program = newProgram();
  CommandLine line;
  line.configDir = benchConfigDir();
  program->start(line);
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  for (auto _ : state) {
    FirstPaint paint;
    const auto t = Clock::now();
    DocumentWindow* child = program->openDocument(path);
    if (!child || !untilPainted(paint)) {
      state.SkipWithError("the file was not shown");
      break;
    }
    state.SetIterationTime(seconds(t));
    // Closed as the user closes it; the window goes once it has exited.
    child->close();
    const auto give_up = Clock::now() + std::chrono::seconds(60);
    while (!program->frame()->client()->children().isEmpty() && Clock::now() < give_up)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  program.reset();
}
BENCHMARK(BM_FirstScreenOpen)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FirstScreenStart(benchmark::State& state) {
  const std::string path = bigFile();
  for (auto _ : state) {
    auto program = newProgram();
    CommandLine line;
    line.configDir = benchConfigDir();
    line.files.push_back({path, false});
    FirstPaint paint;
    const auto t = Clock::now();
    program->start(line);
    if (!untilPainted(paint)) {
      state.SkipWithError("the file was not shown");
      break;
    }
    state.SetIterationTime(seconds(t));
    program.reset();
  }
}
BENCHMARK(BM_FirstScreenStart)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::system(("rm -rf '" + benchConfigDir() + "'").c_str());
  return 0;
}

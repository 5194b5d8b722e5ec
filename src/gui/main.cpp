// plicato: the desktop program, and `plicato --batch` for runs without a
// display (which never make a QApplication).
#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "app/batch.hpp"
#include "gui/guiapp.hpp"
#include "gui/printing.hpp"

namespace {

const char* kUsage =
    "Usage: plicato [--config DIR] [FILE [-T]]...\n"
    "       plicato --batch [OPTION]... FILE...\n"
    "       plicato --print FILE --to OUT.pdf [--config DIR]\n"
    "Plicato, a folding text editor for program sources.\n"
    "\n"
    "Opens each FILE in a window of its own, after the files that were open\n"
    "at the last exit. -T (or /T, either case) after a FILE opens it with its\n"
    "fold tree shown.\n"
    "\n"
    "Options:\n"
    "  --config DIR   keep the settings in DIR (default: $XDG_CONFIG_HOME/plicato)\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Batch mode edits without a window and prints what the keys did:\n"
    "  --batch                 run without a window\n"
    "  --keys SCRIPT           keys to type into the last file (repeatable)\n"
    "  --answer TEXT           the answer to the next question (repeatable)\n"
    "  --layout standard|windows\n"
    "                          the keyboard layout\n"
    "  --dump screen,status,messages\n"
    "                          what to print at the end\n"
    "  --rows N, --cols N      the size of the editor window\n"
    "\n"
    "--print FILE --to OUT.pdf writes the whole of FILE, every fold expanded,\n"
    "as a PDF file in the printer font, without a window.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("plicato %s\n", PLICATO_VERSION);
      return 0;
    }
  }
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--batch") return runBatch(args);
    if (a == "--print") return runPrint(args);
  }

  // Mistakes in our own options are told without needing a display; Qt's
  // options (-platform, -style, ...) have one dash and are Qt's to take.
  CommandLine line;
  std::string error;
  std::vector<std::string> ours;
  bool optionsEnded = false;
  for (const std::string& a : args) {
    const bool qtOption = !optionsEnded && a.size() > 2 && a[0] == '-' && a[1] != '-';
    if (!qtOption) ours.push_back(a);
    optionsEnded = optionsEnded || a == "--";
  }
  if (!parseCommandLine(ours, line, &error)) {
    std::fprintf(stderr, "plicato: %s\nTry 'plicato --help' for more information.\n", error.c_str());
    return 1;
  }

  QApplication qt(argc, argv);
  QApplication::setApplicationName("Plicato");
  QApplication::setApplicationVersion(PLICATO_VERSION);
  QApplication::setDesktopFileName("plicato");

  line = CommandLine{};
  if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, &error)) {
    std::fprintf(stderr, "plicato: %s\nTry 'plicato --help' for more information.\n", error.c_str());
    return 1;
  }
  DesktopApplication app;
  return app.run(line);
}

// plicato-desktop: the desktop program and `plicato --print`, started by
// the launcher plicato (tools/plicato_main.cpp) with the arguments it was
// given. Mistakes in the command line are told before a QApplication is
// made, so they need no display either.
#include <QApplication>

#include <cstdio>
#include <sys/prctl.h>
#include <string>
#include <vector>

#include "app/programmode.hpp"
#include "gui/guiapp.hpp"
#include "gui/printing.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ProgramMode mode = programMode(args);
  // plicato answers these itself and never passes them on; run by its own
  // name, the desktop program answers them the same.
  if (runsWithoutDesktop(mode)) return runWithoutDesktop(mode, args);
  if (mode == ProgramMode::Print) return runPrint(args);

  // Mistakes in our own options are told without needing a display; Qt's
  // options (-platform, -style, ...) have one dash and are Qt's to take.
  CommandLine line;
  std::string error;
  auto mistake = [&] {
    std::fprintf(stderr, "plicato: %s\nTry 'plicato --help' for more information.\n", error.c_str());
    return 1;
  };
  std::vector<std::string> ours;
  bool optionsEnded = false;
  for (const std::string& a : args) {
    const bool qtOption = !optionsEnded && a.size() > 2 && a[0] == '-' && a[1] != '-';
    if (!qtOption) ours.push_back(a);
    optionsEnded = optionsEnded || a == "--";
  }
  if (!parseCommandLine(ours, line, &error)) return mistake();

  // Started by the launcher: the process keeps the name users know it by
  // (ps, top, killall).
  ::prctl(PR_SET_NAME, "plicato", 0, 0, 0);
  QApplication qt(argc, argv);
  QApplication::setApplicationName("Plicato");
  QApplication::setApplicationVersion(PLICATO_VERSION);
  QApplication::setDesktopFileName("plicato");

  line = CommandLine{};
  if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, &error))
    return mistake();
  DesktopApplication app;
  return app.run(line);
}

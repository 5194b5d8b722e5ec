#include "app/programmode.hpp"

#include <cstdio>

#include "app/batch.hpp"

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

ProgramMode programMode(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") return ProgramMode::Help;
    if (a == "--version") return ProgramMode::Version;
  }
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--batch") return ProgramMode::Batch;
    if (a == "--print") return ProgramMode::Print;
  }
  return ProgramMode::Desktop;
}

int runWithoutDesktop(ProgramMode mode, const std::vector<std::string>& args) {
  switch (mode) {
    case ProgramMode::Help:
      std::fputs(kUsage, stdout);
      return 0;
    case ProgramMode::Version:
      std::printf("plicato %s\n", PLICATO_VERSION);
      return 0;
    case ProgramMode::Batch:
      return runBatch(args);
    case ProgramMode::Print:
    case ProgramMode::Desktop:
      break;
  }
  std::fputs("plicato: this needs the desktop program\n", stderr);
  return 1;
}

// plicato: the launcher. It answers --help, --version and --batch itself,
// with the core alone, so a run without a window loads no Qt library; for
// anything else (the desktop program, --print) it becomes the desktop
// program, plicato-desktop, by exec: the same process, arguments (the
// program name too, which Qt takes for the window class), environment and
// standard streams, so the desktop program's exit status is plicato's.
//
// plicato-desktop is looked for beside this executable (the build tree, and
// lib/plicato of an installation, where bin/plicato is a link), then in
// ../lib/plicato/ from there (a copy of the launcher in bin/).
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/programmode.hpp"

namespace {

const char* kDesktopProgram = "plicato-desktop";

// Execs the desktop program; returns only when it could not be started.
int startDesktop(char** argv) {
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) {
    std::fprintf(stderr, "plicato: cannot start the desktop program: cannot read /proc/self/exe: %s\n",
                 std::strerror(errno));
    return 127;
  }
  std::string dir(self, static_cast<size_t>(n));
  dir.erase(dir.rfind('/') + 1);
  const std::string candidates[] = {dir + kDesktopProgram, dir + "../lib/plicato/" + kDesktopProgram};
  // A candidate that is not there gives way to the next; the first one
  // that is there but does not start is the one told about.
  const std::string* told = &candidates[0];
  int error = ENOENT;
  for (const std::string& path : candidates) {
    ::execv(path.c_str(), argv);
    if (errno != ENOENT && errno != ENOTDIR) {
      told = &path;
      error = errno;
      break;
    }
  }
  std::fprintf(stderr, "plicato: cannot start the desktop program %s: %s\n", told->c_str(),
               std::strerror(error));
  return 127;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ProgramMode mode = programMode(args);
  if (runsWithoutDesktop(mode)) return runWithoutDesktop(mode, args);
  return startDesktop(argv);
}

// What plicato's command line asks for, told from the arguments alone, and
// the answers that need no desktop program: --help, --version and --batch.
// The launcher (tools/plicato_main.cpp) answers these itself and hands the
// rest to the desktop program, which reads the same arguments again.
#pragma once

#include <string>
#include <vector>

enum class ProgramMode { Help, Version, Batch, Print, Desktop };

// Only the options before a "--" count: --help (or -h) and --version,
// wherever they stand, then the first of --batch and --print; anything else
// is the desktop program.
ProgramMode programMode(const std::vector<std::string>& args);

// Whether the mode is answered without the desktop program.
inline bool runsWithoutDesktop(ProgramMode mode) {
  return mode == ProgramMode::Help || mode == ProgramMode::Version || mode == ProgramMode::Batch;
}

// Runs a mode that needs no desktop program (Help, Version or Batch) on the
// arguments after the program name; returns the exit status.
int runWithoutDesktop(ProgramMode mode, const std::vector<std::string>& args);

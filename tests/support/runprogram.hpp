// Runs one of the built programs as a user would from the shell.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;  // exit status
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs PLICATO_BIN_DIR/<program> with the arguments (no shell involved),
// in the directory cwd when it is not empty.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd = "");

// The lines of a batch dump section ("screen", "status", "messages").
std::vector<std::string> dumpSection(const std::string& out, const std::string& section);

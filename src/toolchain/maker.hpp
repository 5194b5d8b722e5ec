// The internal maker: make run as a library call (libgnumake.so's
// Make32) on a worker thread, its output on the run's pipe.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kMakeLibrary = "libgnumake.so";

// The argument vector of "make.exe -f %s %s": "make.exe", then "-C" and
// the make file's directory (the library changes into it, the editor's own
// directory stays), "-f" and the make file's name, then the parameters
// split at blanks. A make file name is one argument even with blanks in
// it. Without a make file: no "-f", and "-C" the working directory when
// one is given. A relative make file is taken from the working directory
// (else the editor's current directory).
std::vector<std::string> makerArguments(const std::string& makefile, const std::string& parameters,
                                        const std::string& workingDirectory);

// Loads the make library (from libraryDir, the program's directory,
// first), calls Make32 with the arguments while its output
// goes to outputFd, and unloads it. Returns make's result; when the
// library or its entry point is missing, writes a line saying so to
// outputFd and returns -1.
int callMake32(const std::vector<std::string>& args, int outputFd, const std::string& libraryDir);

// What the make library calls to learn where its output goes: the pipe of
// the make run on the calling thread, or -1 outside one. Exported from the
// program with C linkage.
extern "C" int PlicatoMakeOutput(void);

#include "toolchain/maker.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>

#include "toolchain/library.hpp"
#include "model/paths.hpp"

namespace {

// Each make run calls the library on its own worker thread.
thread_local int makeOutputFd = -1;

void writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int PlicatoMakeOutput(void) {
  return makeOutputFd;
}

std::vector<std::string> makerArguments(const std::string& makefile, const std::string& parameters,
                                        const std::string& workingDirectory) {
  std::vector<std::string> args{"make.exe"};
  if (!makefile.empty()) {
    std::string path = normaliseSeparators(makefile);
    if (!isAbsolutePath(path) && !workingDirectory.empty())
      path = joinPath(normaliseSeparators(workingDirectory), path);
    path = absolutePath(path);
    std::string dir = dirName(path);
    if (dir.empty()) dir = "/";
    args.insert(args.end(), {"-C", dir, "-f", baseName(path)});
  } else if (!workingDirectory.empty()) {
    args.insert(args.end(), {"-C", normaliseSeparators(workingDirectory)});
  }
  size_t i = 0;
  while (i < parameters.size()) {
    while (i < parameters.size() && parameters[i] == ' ') ++i;
    size_t j = i;
    while (j < parameters.size() && parameters[j] != ' ') ++j;
    if (j > i) args.push_back(parameters.substr(i, j - i));
    i = j;
  }
  return args;
}

int callMake32(const std::vector<std::string>& args, int outputFd, const std::string& libraryDir) {
  std::string error;
  void* lib = openBuildLibrary(kMakeLibrary, libraryDir, error);
  if (!lib) {
    writeAll(outputFd, std::string("Can not load ") + kMakeLibrary + ": " + error + "\n");
    return -1;
  }
  using Make32Fn = int (*)(int, char**);
  auto make32 = reinterpret_cast<Make32Fn>(::dlsym(lib, "Make32"));
  if (!make32) {
    writeAll(outputFd, std::string(kMakeLibrary) + " has no entry point Make32\n");
    ::dlclose(lib);
    return -1;
  }
  // The library may change the strings: it gets copies, freed afterwards.
  std::vector<std::string> copies(args);
  std::vector<char*> argv;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  makeOutputFd = outputFd;
  const int result = make32(static_cast<int>(copies.size()), argv.data());
  makeOutputFd = -1;
  ::dlclose(lib);
  return result;
}

// The plicato program of a build without the desktop front end
// (PLICATO_BUILD_GUI=OFF): it runs the editor in batch mode only.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/batch.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const auto& a : args) {
    if (a == "--version") {
      std::printf("plicato %s\n", PLICATO_VERSION);
      return 0;
    }
    if (a == "--help") {
      std::printf("usage: plicato --batch [options] FILE...\n");
      return 0;
    }
  }
  bool batch = false;
  for (const auto& a : args) batch = batch || a == "--batch";
  if (!batch) {
    std::fprintf(stderr, "plicato: this build has no desktop program; use --batch\n");
    return 1;
  }
  return runBatch(args);
}

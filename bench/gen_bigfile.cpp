// gen_bigfile OUT LINES: the big C file with nested folds that the
// benchmarks read.
#include <cstdio>
#include <cstdlib>

#include "bigfile.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: gen_bigfile OUT LINES\n");
    return 1;
  }
  char* end = nullptr;
  long lines = std::strtol(argv[2], &end, 10);
  if (!end || *end || lines < 1) {
    std::fprintf(stderr, "gen_bigfile: LINES must be a positive number\n");
    return 1;
  }
  if (!bigfile::generate(argv[1], lines)) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}

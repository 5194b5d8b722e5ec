// tenfold FILE: the editor's steps on one big file, as the batch program
// takes them, each timed: open (read, highlighting states, the top shown),
// F6 (every fold opened, through the key path of the standard layout), the
// last line, the save, and the close. Prints one "name seconds" line per
// step, then the peak resident memory and the file's size. FILE is saved
// over: give it a copy. tenfold.py compares a 10,000,000-line file with
// the 1,000,000-line one.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/batch.hpp"
#include "display/editorview.hpp"
#include "engine/filecommands.hpp"
#include "engine/navigation.hpp"
#include "model/settings.hpp"
#include "platform/batchhost.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

long linesOf(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return -1;
  static char buf[1 << 20];
  long n = 0;
  for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;)
    for (size_t i = 0; i < got; ++i) n += buf[i] == '\n';
  std::fclose(f);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tenfold FILE\n");
    return 1;
  }
  const char* path = argv[1];
  struct stat st;
  if (::stat(path, &st) != 0) {
    std::perror(path);
    return 1;
  }
  const long lines = linesOf(path);
  char tmpl[] = "/tmp/plicato-tenfold-cfg-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;

  StartOptions options;
  options.configDir = tmpl;
  options.layout = kLayoutStandard;
  auto session = std::make_unique<BatchSession>(options);

  auto t = Clock::now();
  OpenDocument* doc = session->open(path);
  if (!doc) return 1;
  std::printf("open %.3f\n", since(t));
  EditorView& w = doc->window;

  t = Clock::now();
  session->type("F6");
  session->run();
  std::printf("openall %.3f\n", since(t));

  t = Clock::now();
  gotoLineNumber(w, lines);
  std::printf("lastline %.3f\n", since(t));

  w.doc.modified = true;  // a save of an unchanged file writes it all the same
  t = Clock::now();
  const bool saved = saveCommand(w);
  std::printf("save %.3f\n", since(t));

  t = Clock::now();
  session.reset();
  std::printf("close %.3f\n", since(t));

  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  std::printf("peak_kib %ld\n", ru.ru_maxrss);
  std::printf("file_bytes %lld\n", static_cast<long long>(st.st_size));
  std::printf("lines %ld\n", lines);
  std::system(("rm -rf '" + std::string(tmpl) + "'").c_str());
  return saved ? 0 : 1;
}

// The big C file of the benchmarks: LINES lines of C in nested folds (a fold
// per function holding folds of blocks, three levels deep), with CR LF line
// ends, about 45 bytes a line.
#pragma once

#include <cstdio>
#include <string>

namespace bigfile {

class Writer {
 public:
  explicit Writer(std::FILE* f) : f_(f) {}
  long lines() const { return lines_; }
  void line(const char* s) {
    std::fputs(s, f_);
    std::fputs("\r\n", f_);
    ++lines_;
  }

 private:
  std::FILE* f_;
  long lines_ = 0;
};

inline void code(Writer& w, int indent, long n) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%*svalue_%06ld = step(value_%06ld, %ld); /* ok */", indent, "",
                n % 1000000, (n + 7) % 1000000, n % 97);
  w.line(buf);
}

inline void marker(Writer& w, int indent, const char* what, long n) {
  char buf[128];
  if (what)
    std::snprintf(buf, sizeof buf, "%*s/*{{{  %s %ld*/", indent, "", what, n);
  else
    std::snprintf(buf, sizeof buf, "%*s/*}}}*/", indent, "");
  w.line(buf);
}

// One function: 50 lines with folds nested three deep.
constexpr long kUnitLines = 50;

inline void unit(Writer& w, long n) {
  marker(w, 0, "function", n);
  w.line("int function(int argument)");
  w.line("{");
  for (int i = 0; i < 8; ++i) code(w, 2, n * 50 + i);
  marker(w, 2, "block", n);
  for (int i = 0; i < 10; ++i) code(w, 4, n * 50 + 10 + i);
  marker(w, 4, "inner block", n);
  for (int i = 0; i < 8; ++i) code(w, 6, n * 50 + 20 + i);
  marker(w, 4, nullptr, n);
  for (int i = 0; i < 5; ++i) code(w, 4, n * 50 + 30 + i);
  marker(w, 2, nullptr, n);
  for (int i = 0; i < 8; ++i) code(w, 2, n * 50 + 40 + i);
  w.line("  return argument;");
  w.line("}");
  marker(w, 0, nullptr, n);
}

// Writes the file; false when it cannot be written.
inline bool generate(const std::string& path, long lines) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  static char buf[1 << 20];
  std::setvbuf(f, buf, _IOFBF, sizeof buf);
  Writer w(f);
  long n = 0;
  while (lines - w.lines() >= kUnitLines + 1) unit(w, n++);
  w.line("/* the end */");
  while (w.lines() < lines) code(w, 0, n++);
  bool ok = std::ferror(f) == 0;
  return std::fclose(f) == 0 && ok;
}

}  // namespace bigfile

// Whether a file written back after a read is the file that was read, but
// for the writer's normal forms: trailing blanks dropped, the blanks after
// a header's marker and a title's blanks before the comment end made the
// writer's, line ends CR LF unless every line ended with LF alone, and NUL
// bytes read as blanks. Header-only and free of the test framework, for the
// tests and the fuzz targets alike.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace fidelity {

struct SplitFile {
  std::vector<std::string> lines;
  bool lfOnly = true;     // every line end was LF alone
  bool finalEnd = false;  // the last line had a line end
};

// A line ends at the first CR or LF; its end is the run of CRs and the LF
// after them, if any.
inline SplitFile split(const std::string& bytes) {
  SplitFile f;
  size_t i = 0;
  while (i < bytes.size()) {
    size_t j = i;
    while (j < bytes.size() && bytes[j] != '\r' && bytes[j] != '\n') ++j;
    std::string line = bytes.substr(i, j - i);
    for (char& c : line)
      if (c == '\0') c = ' ';
    f.lines.push_back(line);
    if (j == bytes.size()) {
      f.finalEnd = false;
      return f;
    }
    size_t k = j;
    while (k < bytes.size() && bytes[k] == '\r') ++k;
    if (k < bytes.size() && bytes[k] == '\n') ++k;
    if (!(k == j + 1 && bytes[j] == '\n')) f.lfOnly = false;
    f.finalEnd = true;
    i = k;
  }
  return f;
}

// Blanks after the last line end are trailing blanks of no line.
inline void dropBlankTail(SplitFile& f) {
  if (f.finalEnd || f.lines.empty()) return;
  if (f.lines.back().find_first_not_of(' ') != std::string::npos) return;
  f.lines.pop_back();
  f.finalEnd = !f.lines.empty();
}

inline std::string withoutTrailingBlanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// A header line with its spacing taken out: what is left when the blanks
// and tabs after the marker and the blanks before the comment end go.
// Other lines come back unchanged.
inline std::string spacingForm(std::string line, const std::string& cs, const std::string& ce) {
  auto form = [&](const std::string& l, std::string& out) {
    size_t i = 0;
    while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
    if (l.compare(i, cs.size(), cs) != 0) return false;
    size_t j = i + cs.size();
    size_t m = 0;
    if (l.compare(j, 4, "{{{F") == 0 || l.compare(j, 4, "...F") == 0)
      m = 4;
    else if (l.compare(j, 3, "{{{") == 0)
      m = 3;
    if (m == 0) return false;
    size_t t = j + m;
    while (t < l.size() && (l[t] == ' ' || l[t] == '\t')) ++t;
    std::string rest = l.substr(t);
    if (!ce.empty()) {
      size_t p = rest.find(ce);
      if (p != std::string::npos) rest = withoutTrailingBlanks(rest.substr(0, p)) + rest.substr(p);
    }
    out = l.substr(0, j + m) + "|" + withoutTrailingBlanks(rest);
    return true;
  };
  std::string out;
  if (form(line, out)) return out;
  // Fortran: the "C" in column 0 stands for a blank.
  if (!line.empty() && (line[0] == 'C' || line[0] == 'c')) {
    std::string blanked = line;
    blanked[0] = ' ';
    if (form(blanked, out)) return std::string(1, line[0]) + out.substr(1);
  }
  return line;
}

// The comment convention a declaration line sets: a comment start of 1 to
// 9 bytes, "{{{}}}", a comment end of at most 9, no blanks or tabs in
// either; blanks and tabs before.
inline bool declares(std::string line, std::string& cs, std::string& ce) {
  line = withoutTrailingBlanks(line);
  size_t c = line.find("{{{}}}");
  if (c == std::string::npos) return false;
  size_t s = line.find_first_not_of(" \t");
  std::string a = line.substr(s, c - s), b = line.substr(c + 6);
  auto blank = [](const std::string& x) { return x.find_first_of(" \t") != std::string::npos; };
  if (a.empty() || a.size() > 9 || b.size() > 9 || blank(a) || blank(b)) return false;
  cs = a;
  ce = b;
  return true;
}

// "" when `written` is `original` with only the normal forms applied, else
// where and how they differ. cs and ce: the convention the file was read
// in (declarations in the file add theirs).
inline std::string compare(const std::string& original, const std::string& written,
                           const std::string& cs, const std::string& ce) {
  SplitFile a = split(original);
  dropBlankTail(a);
  SplitFile b = split(written);
  const bool lf = a.lfOnly && (a.finalEnd || a.lines.size() > 1);
  if (a.lines.size() != b.lines.size())
    return "lines: " + std::to_string(a.lines.size()) + " read, " +
           std::to_string(b.lines.size()) + " written";
  if (a.finalEnd != b.finalEnd) return "the last line end";
  const std::string eol = lf ? "\n" : "\r\n";
  // Every written line end is the one the file is written with.
  size_t ends = 0;
  for (size_t at = 0; (at = written.find(eol, at)) != std::string::npos; at += eol.size()) ++ends;
  const size_t want = a.lines.empty() ? 0 : a.lines.size() - (a.finalEnd ? 0 : 1);
  if (ends != want || (lf && written.find('\r') != std::string::npos)) return "line ends";
  std::vector<std::pair<std::string, std::string>> conventions{{cs, ce}};
  for (const auto& l : a.lines) {
    std::string dcs, dce;
    if (declares(l, dcs, dce)) conventions.emplace_back(dcs, dce);
  }
  auto spacingOnly = [&](const std::string& x, const std::string& y) {
    for (const auto& [s, e] : conventions)
      if (spacingForm(x, s, e) == spacingForm(y, s, e) && spacingForm(x, s, e) != x) return true;
    return false;
  };
  for (size_t i = 0; i < a.lines.size(); ++i) {
    std::string x = withoutTrailingBlanks(a.lines[i]);
    const std::string& y = b.lines[i];
    if (x == y || spacingOnly(x, y)) continue;
    return "line " + std::to_string(i + 1) + ":\n  read:    [" + x + "]\n  written: [" + y + "]";
  }
  return "";
}

}  // namespace fidelity

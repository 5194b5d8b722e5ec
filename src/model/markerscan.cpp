#include "model/markerscan.hpp"

#include <cstring>

#include "model/foldformat.hpp"

namespace markerscan {

namespace ff = foldformat;

namespace {

bool blankOrTab(char c) { return c == ' ' || c == '\t'; }

bool hasWhiteSpace(std::string_view s) {
  for (char c : s)
    if (blankOrTab(c)) return true;
  return false;
}

}  // namespace

bool nextLine(char*& cur, char* stop, Line& line, size_t& nuls) {
  if (cur >= stop) return false;
  char* p = cur;
  while (p < stop) {
    // Most bytes are printable: test the line-end and NUL bytes together.
    unsigned char c = static_cast<unsigned char>(*p);
    if (c <= '\r') {
      if (c == '\n' || c == '\r') break;
      if (c == 0) {
        *p = ' ';
        ++nuls;
      }
    }
    ++p;
  }
  line.text = cur;
  line.size = static_cast<size_t>(p - cur);
  if (p == stop) {
    line.end = Line::kNone;
    cur = stop;
    return true;
  }
  char* q = p;
  while (q < stop && *q == '\r') ++q;
  if (q < stop && *q == '\n') ++q;
  line.end = (q == p + 1 && *p == '\n') ? Line::kLf : Line::kOther;
  cur = q;
  return true;
}

size_t withoutTrailingBlanks(const char* text, size_t size) {
  while (size > 0 && text[size - 1] == ' ') --size;
  return size;
}

int visualColumn(std::string_view line, size_t pos, int tabSize) {
  if (tabSize < 1) tabSize = 1;
  int col = 0;
  for (size_t i = 0; i < pos && i < line.size(); ++i)
    col = line[i] == '\t' ? (col / tabSize + 1) * tabSize : col + 1;
  return col;
}

size_t leadWithin(std::string_view line, int columns, int tabSize) {
  if (tabSize < 1) tabSize = 1;
  int col = 0;
  size_t i = 0;
  while (i < line.size() && blankOrTab(line[i])) {
    int next = line[i] == '\t' ? (col / tabSize + 1) * tabSize : col + 1;
    if (next > columns) break;
    col = next;
    ++i;
  }
  return i;
}

MarkerLine classify(std::string_view line, std::string_view cs, std::string_view ce, int tabSize) {
  MarkerLine m;
  size_t i = 0;
  while (i < line.size() && blankOrTab(line[i])) ++i;
  if (i == line.size()) return m;
  if (line.compare(i, cs.size(), cs) != 0) return m;
  if (!ce.empty() && line.find(ce) == std::string_view::npos) return m;
  const size_t at = i + cs.size();
  struct Candidate {
    const char* text;
    Marker kind;
  };
  static const Candidate kOrder[] = {
      {ff::kAttributeMarker, Marker::Attribute}, {ff::kFileMarker, Marker::File},
      {ff::kEndMarker, Marker::End},             {ff::kFiledMarker, Marker::FiledInline},
      {ff::kFiledOnlyMarker, Marker::FiledOnly}, {ff::kFoldMarker, Marker::Fold},
  };
  for (const Candidate& c : kOrder) {
    const size_t n = std::strlen(c.text);
    if (line.compare(at, n, c.text) != 0) continue;
    m.kind = c.kind;
    m.commentAt = i;
    m.column = visualColumn(line, i, tabSize);
    m.markerEnd = at + n;
    size_t t = m.markerEnd;
    // An end keeps every byte after its marker; the others skip the blanks.
    if (c.kind != Marker::End)
      while (t < line.size() && blankOrTab(line[t])) ++t;
    m.restAt = t;
    m.restEnd = line.size();
    if (!ce.empty()) {
      size_t f = line.find(ce, t);
      if (f != std::string_view::npos) {
        m.restEnd = f;
        m.commentEnd = true;
      }
    }
    return m;
  }
  return m;
}

bool isDeclaration(std::string_view line, std::string& cs, std::string& ce) {
  const size_t c = line.find(ff::kDeclaration);
  if (c == std::string_view::npos) return false;
  size_t s = 0;
  while (s < c && blankOrTab(line[s])) ++s;
  std::string_view start = line.substr(s, c - s);
  std::string_view end = line.substr(c + 6);
  while (!end.empty() && end.back() == ' ') end.remove_suffix(1);
  if (start.empty() || start.size() > 9 || end.size() > 9) return false;
  if (hasWhiteSpace(start) || hasWhiteSpace(end)) return false;
  cs.assign(start);
  ce.assign(end);
  return true;
}

}  // namespace markerscan

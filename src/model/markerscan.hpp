// Lines of a text fold file as the reader sees them: where a line ends,
// whether it declares the comment convention, and which fold marker it
// holds. Pure functions over bytes, shared by the reader and the checks of
// plicato-fold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace markerscan {

// One line of a file and how it ended.
struct Line {
  char* text = nullptr;
  size_t size = 0;
  enum End : uint8_t { kNone, kLf, kOther } end = kNone;  // kOther: CR LF, CR, CR CR LF, ...
};

// NUL bytes become blanks (line texts end at a NUL); returns how many.
size_t blankNuls(char* data, size_t size);

// The first CR or LF in [p, stop), or stop.
inline char* lineEnd(char* p, char* stop) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (stop - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < stop && *p != '\r' && *p != '\n') ++p;
  return p;
}

// Splits the next line off [cur, stop): a line ends at the first CR or LF,
// and its end is the run of CRs and the LF after them, if any. False when
// nothing is left. (Inline: the reader splits every line of a file.)
inline bool nextLine(char*& cur, char* stop, Line& line) {
  if (cur >= stop) return false;
  char* p = lineEnd(cur, stop);
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

// The first place in [p, stop) where three equal bytes of "{}:." stand
// (every fold marker and declaration holds such a run), or stop.
const char* nextMarkerRun(const char* p, const char* stop);
// The same, adding to lineEnds the line ends (as lineEndsBetween counts
// them) before the place found.
const char* nextMarkerRun(const char* p, const char* stop, size_t& lineEnds);
// Tests only: whether that search may take 32 bytes at a time where the
// processor can (it does by default), or only 16.
void allowWideSearch(bool on);
// The line ends (as nextLine splits them) that end in [p, q), q <= stop.
size_t lineEndsBetween(const char* p, const char* q, const char* stop);
// The start of the line that holds p, looking back no further than from.
const char* lineStart(const char* from, const char* p);

// The length of the line without its trailing blanks.
inline size_t withoutTrailingBlanks(const char* text, size_t size) {
  while (size > 0 && text[size - 1] == ' ') --size;
  return size;
}
// The length a header's title keeps before the comment end: without its
// trailing blanks, but for those that keep the comment end from being
// found inside the title ("x}  }}}").
size_t titleLength(std::string_view title, std::string_view commentEnd);

// The right-most column a marker may stand at (a fold column must fit the
// line node's 24-bit column).
constexpr int kMostMarkerColumn = (1 << 22) - 1;

enum class Marker : uint8_t { None, Fold, FiledInline, FiledOnly, Attribute, File, End };

struct MarkerLine {
  Marker kind = Marker::None;
  size_t commentAt = 0;   // byte index of the comment start
  int column = 0;         // its visual column, from 0
  size_t markerEnd = 0;   // index after the marker
  size_t restAt = 0;      // header, attribute and file lines: the blanks after the marker skipped
  size_t restEnd = 0;     // where the comment end begins, or the line's end
  bool commentEnd = false;  // a comment end stands at restEnd
};

// The marker test: blanks and tabs, the comment start, then a marker; a
// line whose convention has a comment end must hold it somewhere.
MarkerLine classify(std::string_view line, std::string_view commentStart,
                    std::string_view commentEnd, int tabSize);

// A declaration is a line holding only a comment start (1 to 9 bytes), the
// six bytes "{{{}}}" and a comment end (at most 9 bytes), neither with
// blanks or tabs in it; blanks and tabs may stand before it.
bool isDeclaration(std::string_view line, std::string& commentStart, std::string& commentEnd);

// Visual column after the first `pos` bytes (tabs to the next multiple of
// tabSize).
int visualColumn(std::string_view line, size_t pos, int tabSize);

// The bytes of leading white space that fill at most `columns` columns.
size_t leadWithin(std::string_view line, int columns, int tabSize);
// The same, telling whether those bytes are all blanks.
size_t leadWithin(std::string_view line, int columns, int tabSize, bool& blanksOnly);

}  // namespace markerscan

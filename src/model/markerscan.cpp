#include "model/markerscan.hpp"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

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

size_t blankNuls(char* data, size_t size) {
  size_t n = 0;
  char* stop = data + size;
  for (char* p = data; (p = static_cast<char*>(std::memchr(p, 0, static_cast<size_t>(stop - p))));
       ++p) {
    *p = ' ';
    ++n;
  }
  return n;
}

namespace {

// 1 for each line end among the 16 bytes at p (p + 16 < stop): an LF, or
// a CR that neither a CR nor an LF follows. v1 holds the bytes at p + 1.
#ifdef __SSE2__
inline __m128i lineEndBytes(__m128i v0, __m128i v1) {
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  const __m128i goesOn = _mm_or_si128(_mm_cmpeq_epi8(v1, cr), _mm_cmpeq_epi8(v1, lf));
  const __m128i ends =
      _mm_or_si128(_mm_cmpeq_epi8(v0, lf), _mm_andnot_si128(goesOn, _mm_cmpeq_epi8(v0, cr)));
  return _mm_and_si128(ends, _mm_set1_epi8(1));
}

// The sum of the 16 byte counters.
inline size_t sumBytes(__m128i counts) {
  const __m128i s = _mm_sad_epu8(counts, _mm_setzero_si128());
  return static_cast<size_t>(_mm_cvtsi128_si32(s)) +
         static_cast<size_t>(_mm_extract_epi16(s, 4));
}
#endif

bool isLineEndAt(const char* p, const char* stop) {
  return *p == '\n' || (*p == '\r' && (p + 1 == stop || (p[1] != '\r' && p[1] != '\n')));
}

}  // namespace

const char* nextMarkerRun(const char* p, const char* stop) {
  size_t ends = 0;
  return nextMarkerRun(p, stop, ends);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define PLICATO_RUN_AVX2 1
namespace {

// The search 32 bytes at a time, on processors that have AVX2: from p on,
// while 34 bytes are left. Returns where a run starts (found set), or
// where the rest is left to the search below; the line ends before that
// place are added to n.
#define PLICATO_AVX2 __attribute__((target("avx2"), always_inline)) inline
PLICATO_AVX2 __m256i lineEndBytes32(__m256i v0, __m256i v1) {
  const __m256i cr = _mm256_set1_epi8('\r'), lf = _mm256_set1_epi8('\n');
  const __m256i goesOn = _mm256_or_si256(_mm256_cmpeq_epi8(v1, cr), _mm256_cmpeq_epi8(v1, lf));
  const __m256i e = _mm256_or_si256(_mm256_cmpeq_epi8(v0, lf),
                                    _mm256_andnot_si256(goesOn, _mm256_cmpeq_epi8(v0, cr)));
  return _mm256_and_si256(e, _mm256_set1_epi8(1));
}

PLICATO_AVX2 size_t sumBytes32(__m256i counts) {
  const __m256i s = _mm256_sad_epu8(counts, _mm256_setzero_si256());
  return static_cast<size_t>(_mm256_extract_epi64(s, 0) + _mm256_extract_epi64(s, 1) +
                             _mm256_extract_epi64(s, 2) + _mm256_extract_epi64(s, 3));
}
#undef PLICATO_AVX2

__attribute__((target("avx2"))) const char* runSearchAvx2(const char* p, const char* stop,
                                                          size_t& n, bool& found) {
  const __m256i open = _mm256_set1_epi8('{'), close = _mm256_set1_epi8('}');
  const __m256i colon = _mm256_set1_epi8(':'), dot = _mm256_set1_epi8('.');
  __m256i counts = _mm256_setzero_si256();
  int blocks = 0;
  found = false;
  while (stop - p >= 34) {
    const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
    const __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2));
    const __m256i kind =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v0, open), _mm256_cmpeq_epi8(v0, close)),
                        _mm256_or_si256(_mm256_cmpeq_epi8(v0, colon), _mm256_cmpeq_epi8(v0, dot)));
    const __m256i run = _mm256_and_si256(_mm256_cmpeq_epi8(v0, v1), _mm256_cmpeq_epi8(v1, v2));
    const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(kind, run)));
    if (mask) {
      const int at = __builtin_ctz(mask);
      const __m256i index = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                             16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,
                                             29, 30, 31);
      const __m256i below = _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(at)), index);
      counts = _mm256_add_epi8(counts, _mm256_and_si256(lineEndBytes32(v0, v1), below));
      n += sumBytes32(counts);
      found = true;
      return p + at;
    }
    counts = _mm256_add_epi8(counts, lineEndBytes32(v0, v1));
    if (++blocks == 255) {
      n += sumBytes32(counts);
      counts = _mm256_setzero_si256();
      blocks = 0;
    }
    p += 32;
  }
  n += sumBytes32(counts);
  return p;
}

bool gWide = __builtin_cpu_supports("avx2");

}  // namespace
#endif

void allowWideSearch(bool on) {
#ifdef PLICATO_RUN_AVX2
  gWide = on && __builtin_cpu_supports("avx2");
#else
  (void)on;
#endif
}

const char* nextMarkerRun(const char* p, const char* stop, size_t& lineEnds) {
  auto isRun = [](const char* q) {
    const char c = q[0];
    return (c == '{' || c == '}' || c == ':' || c == '.') && q[1] == c && q[2] == c;
  };
  size_t n = 0;
#ifdef PLICATO_RUN_AVX2
  if (gWide) {
    bool found = false;
    p = runSearchAvx2(p, stop, n, found);
    if (found) {
      lineEnds += n;
      return p;
    }
  }
#endif
#ifdef __SSE2__
  const __m128i open = _mm_set1_epi8('{'), close = _mm_set1_epi8('}');
  const __m128i colon = _mm_set1_epi8(':'), dot = _mm_set1_epi8('.');
  // Line ends are counted in byte counters, summed before one can pass 255.
  __m128i counts = _mm_setzero_si128();
  int blocks = 0;
  while (stop - p >= 18) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
    const __m128i kind = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v0, open), _mm_cmpeq_epi8(v0, close)),
                                      _mm_or_si128(_mm_cmpeq_epi8(v0, colon), _mm_cmpeq_epi8(v0, dot)));
    const __m128i run = _mm_and_si128(_mm_cmpeq_epi8(v0, v1), _mm_cmpeq_epi8(v1, v2));
    const int mask = _mm_movemask_epi8(_mm_and_si128(kind, run));
    if (mask) {
      // The line ends of the block before the run.
      const int at = __builtin_ctz(static_cast<unsigned>(mask));
      const __m128i below = _mm_cmplt_epi8(_mm_set_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0),
                                           _mm_set1_epi8(static_cast<char>(at)));
      counts = _mm_add_epi8(counts, _mm_and_si128(lineEndBytes(v0, v1), below));
      lineEnds += n + sumBytes(counts);
      return p + at;
    }
    counts = _mm_add_epi8(counts, lineEndBytes(v0, v1));
    if (++blocks == 255) {
      n += sumBytes(counts);
      counts = _mm_setzero_si128();
      blocks = 0;
    }
    p += 16;
  }
  n += sumBytes(counts);
#endif
  for (; stop - p >= 3; ++p) {
    if (isRun(p)) {
      lineEnds += n;
      return p;
    }
    if (isLineEndAt(p, stop)) ++n;
  }
  for (; p < stop; ++p)
    if (isLineEndAt(p, stop)) ++n;
  lineEnds += n;
  return stop;
}

size_t lineEndsBetween(const char* p, const char* q, const char* stop) {
  size_t n = 0;
#ifdef __SSE2__
  __m128i counts = _mm_setzero_si128();
  int blocks = 0;
  while (q - p >= 16 && stop - p >= 17) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    counts = _mm_add_epi8(counts, lineEndBytes(v0, v1));
    if (++blocks == 255) {
      n += sumBytes(counts);
      counts = _mm_setzero_si128();
      blocks = 0;
    }
    p += 16;
  }
  n += sumBytes(counts);
#endif
  for (; p < q; ++p)
    if (isLineEndAt(p, stop)) ++n;
  return n;
}

const char* lineStart(const char* from, const char* p) {
  while (p > from && p[-1] != '\n' && p[-1] != '\r') --p;
  return p;
}

size_t titleLength(std::string_view title, std::string_view commentEnd) {
  const size_t n = withoutTrailingBlanks(title.data(), title.size());
  if (n == title.size() || commentEnd.empty()) return n;
  // Whether the comment end would be found starting inside the title cut
  // to n bytes and followed by the comment end.
  const char first = commentEnd[0];
  for (size_t at = 0; at < n; ++at) {
    const void* hit = std::memchr(title.data() + at, first, n - at);
    if (!hit) break;
    at = static_cast<size_t>(static_cast<const char*>(hit) - title.data());
    size_t k = 1;
    while (k < commentEnd.size() &&
           (at + k < n ? title[at + k] : commentEnd[at + k - n]) == commentEnd[k])
      ++k;
    if (k == commentEnd.size()) return title.size();
  }
  return n;
}

int visualColumn(std::string_view line, size_t pos, int tabSize) {
  if (tabSize < 1) tabSize = 1;
  int col = 0;
  for (size_t i = 0; i < pos && i < line.size(); ++i)
    col = line[i] == '\t' ? (col / tabSize + 1) * tabSize : col + 1;
  return col;
}

size_t leadWithin(std::string_view line, int columns, int tabSize) {
  bool blanksOnly;
  return leadWithin(line, columns, tabSize, blanksOnly);
}

size_t leadWithin(std::string_view line, int columns, int tabSize, bool& blanksOnly) {
  if (tabSize < 1) tabSize = 1;
  // Blanks alone, the usual case, need no column count: eight at a time.
  size_t i = 0;
  const size_t want = columns > 0 ? static_cast<size_t>(columns) : 0;
  const size_t most = want < line.size() ? want : line.size();
  constexpr uint64_t kBlanks = 0x2020202020202020u;
  for (uint64_t w; i + 8 <= most; i += 8) {
    std::memcpy(&w, line.data() + i, 8);
    if (w != kBlanks) break;
  }
  while (i < most && line[i] == ' ') ++i;
  blanksOnly = true;
  if (i == want || i == line.size() || line[i] != '\t') return i;
  const size_t blanks = i;
  int col = static_cast<int>(i);
  while (i < line.size() && blankOrTab(line[i])) {
    int next = line[i] == '\t' ? (col / tabSize + 1) * tabSize : col + 1;
    if (next > columns) break;
    col = next;
    ++i;
  }
  blanksOnly = i == blanks;
  return i;
}

MarkerLine classify(std::string_view line, std::string_view cs, std::string_view ce, int tabSize) {
  MarkerLine m;
  size_t i = 0;
  while (i < line.size() && blankOrTab(line[i])) ++i;
  if (i == line.size()) return m;
  if (line.compare(i, cs.size(), cs) != 0) return m;
  const size_t at = i + cs.size();
  if (at + 3 > line.size()) return m;
  const char* p = line.data() + at;
  const bool four = at + 4 <= line.size();
  Marker kind = Marker::None;
  size_t n = 3;
  if (p[0] == ':' && p[1] == ':' && p[2] == ':' && four && (p[3] == 'A' || p[3] == 'F')) {
    kind = p[3] == 'A' ? Marker::Attribute : Marker::File;
    n = 4;
  } else if (p[0] == '}' && p[1] == '}' && p[2] == '}') {
    kind = Marker::End;
  } else if (p[0] == '{' && p[1] == '{' && p[2] == '{') {
    kind = four && p[3] == 'F' ? Marker::FiledInline : Marker::Fold;
    if (kind == Marker::FiledInline) n = 4;
  } else if (p[0] == '.' && p[1] == '.' && p[2] == '.' && four && p[3] == 'F') {
    kind = Marker::FiledOnly;
    n = 4;
  }
  if (kind == Marker::None) return m;
  size_t t = at + n;
  // An end keeps every byte after its marker; the others skip the blanks.
  if (kind != Marker::End)
    while (t < line.size() && blankOrTab(line[t])) ++t;
  // The comment end after the marker ends the rest; a line without one
  // anywhere is no marker line.
  const size_t f = ce.empty() ? std::string_view::npos : line.find(ce, t);
  if (!ce.empty() && f == std::string_view::npos &&
      line.substr(0, t + ce.size() - 1).find(ce) == std::string_view::npos)
    return m;
  // A fold cannot stand further right than a node can hold: such a
  // marker line is text.
  if (i > static_cast<size_t>(kMostMarkerColumn)) return m;
  const int column = visualColumn(line, i, tabSize);
  if (column > kMostMarkerColumn) return m;
  m.kind = kind;
  m.commentAt = i;
  m.column = column;
  m.markerEnd = at + n;
  m.restAt = t;
  m.restEnd = line.size();
  if (f != std::string_view::npos) {
    m.restEnd = f;
    m.commentEnd = true;
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

#include "model/foldformat.hpp"

#include "model/linenode.hpp"

#include <cctype>
#include <cstring>

namespace {

bool hasPrefixNoCase(const std::string& name, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != prefix[i]) return false;
  return true;
}

// Values above this come only from damaged files; refusing them keeps the
// string lengths and numbers of a hostile file within reason.
constexpr uint64_t kMaxTdsValue = (uint64_t{1} << 48) - 1;

}  // namespace

bool isTdsType(const std::string& name) { return hasPrefixNoCase(name, "TDS"); }
bool isFortranType(const std::string& name) { return hasPrefixNoCase(name, "FORTR"); }

bool isCommentTitle(const char* title) {
  while (*title == ' ' || *title == '\t') ++title;
  return std::strncmp(title, foldformat::kCommentTitle, 7) == 0;
}

void tdsEncode(std::string& out, uint8_t tag, uint64_t value) {
  // Groups of six bits; every group but the last goes in a continuation byte.
  unsigned char groups[11];
  int n = 0;
  do {
    groups[n++] = static_cast<unsigned char>(value & 63);
    value >>= 6;
  } while (value != 0);
  for (int i = n - 1; i > 0; --i) out.push_back(static_cast<char>(0xC0 | groups[i]));
  out.push_back(static_cast<char>((tag << 6) | groups[0]));
}

void tdsEncodeString(std::string& out, const char* text, size_t n) {
  tdsEncode(out, foldformat::kTdsString, n);
  out.append(text, n);
}

size_t tdsDecode(const unsigned char* p, const unsigned char* end, uint8_t& tag,
                 uint64_t& value) {
  uint64_t v = 0;
  const unsigned char* start = p;
  while (p < end) {
    unsigned char b = *p++;
    v = (v << 6) | (b & 63);
    if (v > kMaxTdsValue) return 0;
    if ((b & 0xC0) != 0xC0) {
      tag = static_cast<uint8_t>(b >> 6);
      value = v;
      return static_cast<size_t>(p - start);
    }
  }
  return 0;
}

const char* fileMarkerOf(const LineNode& p) {
  switch (p.kind) {
    case FiledFold: return p.foldType() == 1 ? "...F " : "{{{F ";
    case FileTop: return "{{{F ";
    case FoldEnd: return "}}}  ";
    default: return "{{{  ";
  }
}

void dropTrailingBlanks(std::string& s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  s.resize(n);
}

// What the text and TDS fold formats share between the reader and the
// writer: the marker texts, the type-name tests, and the TDS token coding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace foldformat {

// Markers of the text format (after the comment start).
inline constexpr const char* kFoldMarker = "{{{";
inline constexpr const char* kFiledMarker = "{{{F";       // filed, contents inline
inline constexpr const char* kFiledOnlyMarker = "...F";   // filed, contents only in its file
inline constexpr const char* kEndMarker = "}}}";
inline constexpr const char* kAttributeMarker = ":::A";
inline constexpr const char* kFileMarker = ":::F";
// A line holding these six bytes declares the comment convention.
inline constexpr const char* kDeclaration = "{{{}}}";
// Title prefix that makes a fold's text lines comments of the language.
inline constexpr const char* kCommentTitle = "COMMENT";

// TDS token tags (top two bits of the final byte) and control codes.
enum TdsTag : uint8_t { kTdsString = 0, kTdsNumber = 1, kTdsControl = 2 };
enum TdsControl : uint32_t {
  kTdsBegin = 0,
  kTdsEnd = 1,
  kTdsFold = 2,
  kTdsFoldEnd = 3,
  kTdsFiled = 4,
  kTdsFiledEnd = 5,
};

}  // namespace foldformat

// Type name begins "TDS" / "FORTR", compared without case.
bool isTdsType(const std::string& name);
bool isFortranType(const std::string& name);

// Whether a fold title (its leading blanks and tabs skipped) begins "COMMENT".
bool isCommentTitle(const char* title);

struct LineNode;
// The marker that a fold file holds for a header or end node, with the two
// blanks behind it (not the marker a closed fold shows on screen).
const char* fileMarkerOf(const LineNode& node);
// Drops the blanks at the end of s.
void dropTrailingBlanks(std::string& s);

// Appends one TDS token: as many continuation bytes (11xxxxxx) as the value
// needs, most significant group first, then the tag byte.
void tdsEncode(std::string& out, uint8_t tag, uint64_t value);
// A string token followed by its bytes.
void tdsEncodeString(std::string& out, const char* text, size_t n);

// Decodes one token from [p, end). Returns the bytes used, 0 when the data
// ends inside the token or the value does not fit 48 bits (a damaged file).
size_t tdsDecode(const unsigned char* p, const unsigned char* end, uint8_t& tag,
                 uint64_t& value);

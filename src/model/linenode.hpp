// One node of the fold tree: a text line, a fold header, a fold end or a
// filed-fold reference. Plain record; the operations are free functions in
// linestore.hpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/growstr.hpp"
#include "model/noderegion.hpp"

enum LineKind : uint8_t {
  TextLine = 0,
  FiledFold = 129,    // closed filed fold header
  ClosedFold = 130,   // closed fold header
  FoldEnd = 131,      // fold end; also the file's bottom sentinel
  OpenFold = 134,     // open fold header, contents spliced into the chain
  FileTop = 135,      // header of a whole file (root, entered filed fold)
  EnteredFold = 136,  // header of an entered fold
};

// Highlighting line states. A line read has none yet (unknown): states
// are worked out when a line is first shown, or when a line before it
// changes.
enum : uint32_t { kStateUnknown = 0, kStateNormal = 9, kStateInComment = 7, kStateRecompute = 13 };

// A line written back in place of the one read, and the line it stood for:
// the writer writes `read` whenever it would write `composed` again.
struct VerbatimLine {
  std::string composed;
  std::string read;
};

// Which lines of a node the file held in a form of their own.
enum VerbatimSlot : uint8_t { kOwnLine = 0, kAttributeLine = 1, kFileLine = 2, kVerbatimSlots = 3 };

// What a line of a file from elsewhere held beyond what the tree says of
// it, so that the file is written back as it was read. Lines in the
// writer's own form have none.
struct LineExtra {
  // The leading white space that stood for `leadShift` columns of the
  // fold around the line (for a header or an end, all of it before the
  // comment start); -1 when the line stood there in blanks.
  int32_t leadShift = -1;
  std::string lead;
  // Fold end: the bytes after "}}}" up to the comment end. Header and end:
  // the bytes after the comment end.
  std::string tail;
  std::string after;
  // Header: whether the file had an attribute line (-1: as the attributes
  // say, so only when they are not the defaults).
  int8_t attributeLine = -1;
  std::unique_ptr<VerbatimLine> verbatim[kVerbatimSlots];

  bool empty() const {
    if (leadShift >= 0 || !tail.empty() || !after.empty() || attributeLine >= 0) return false;
    for (const auto& v : verbatim)
      if (v) return false;
    return true;
  }
};

// A node's LineExtra, held by index in a table of the process (most
// nodes have none). Reads as a LineExtra*; set from one, which it owns
// from then on.
class ExtraRef {
 public:
  ExtraRef() = default;
  ExtraRef(const ExtraRef&) = delete;
  ExtraRef& operator=(const ExtraRef&) = delete;
  ExtraRef& operator=(LineExtra* x);
  operator LineExtra*() const;
  LineExtra* operator->() const { return *this; }

 private:
  uint32_t i_ = 0;
};

struct LineNode : GrowString {
  // These four fill the string's last word.
  uint8_t kind = TextLine;
  uint8_t mark = 0;      // create-fold mark (drawn highlighted)
  int8_t savedRow = 0;   // cursor row when the fold was entered or opened
  uint8_t lineState = 0;
  NodeLink prev;
  NodeLink next;
  // Closed header: first node inside. Entered header / its end: the view
  // head / tail that was current before entering. While reading: the stack
  // of open folds.
  NodeLink inner;
  // Header <-> fold end.
  NodeLink partner;
  int32_t rows = 1;
  int32_t indent = 0;
  int32_t markerColumn = 0;
  uint32_t foldType = 0;
  uint32_t foldContents = 1;
  // Null for a line in the writer's own form.
  ExtraRef extra;
  // The attribute byte of the old screen lines: always the same.
  static constexpr uint8_t attrByte = 4;
};

inline NodeLink& NodeLink::operator=(LineNode* n) {
  i_ = n ? static_cast<uint32_t>(n - noderegion::base) : 0;
  return *this;
}
inline NodeLink::operator LineNode*() const { return i_ ? noderegion::base + i_ : nullptr; }

// The node's extra, made when it has none.
LineExtra& extraOf(LineNode& n);
void dropExtra(LineNode& n);
// Gives `to` a copy of what `from` held beyond the tree (or nothing).
void copyExtra(LineNode& to, const LineNode& from);
// A line made beside `from` in the same fold stands in the same white
// space (tabs where `from` has tabs).
void inheritLead(LineNode& to, const LineNode& from, int tabSize = 8);

inline bool isClosedHeader(const LineNode* n) {
  return n->kind == FiledFold || n->kind == ClosedFold;
}
inline bool isOpenLike(const LineNode* n) {
  return n->kind == OpenFold || n->kind == EnteredFold;
}
inline bool isHeader(const LineNode* n) {
  return n->kind == FiledFold || n->kind == ClosedFold || n->kind == OpenFold ||
         n->kind == FileTop || n->kind == EnteredFold;
}
inline bool hasDefaultAttributes(const LineNode* n) {
  return n->foldType == 0 && n->foldContents == 1;
}

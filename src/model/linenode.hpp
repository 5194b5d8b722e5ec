// One node of the fold tree: a text line, a fold header, a fold end or a
// filed-fold reference. Plain record; the operations are free functions in
// linestore.hpp.
#pragma once

#include <cstdint>

#include "model/growstr.hpp"

enum LineKind : uint8_t {
  TextLine = 0,
  FiledFold = 129,    // closed filed fold header
  ClosedFold = 130,   // closed fold header
  FoldEnd = 131,      // fold end; also the file's bottom sentinel
  OpenFold = 134,     // open fold header, contents spliced into the chain
  FileTop = 135,      // header of a whole file (root, entered filed fold)
  EnteredFold = 136,  // header of an entered fold
};

// Highlighting line states.
enum : uint32_t { kStateNormal = 9, kStateInComment = 7, kStateRecompute = 13 };

struct LineNode : GrowString {
  LineNode* prev = nullptr;
  LineNode* next = nullptr;
  // Closed header: first node inside. Entered header / its end: the view
  // head / tail that was current before entering. While reading: the stack
  // of open folds.
  LineNode* inner = nullptr;
  // Header <-> fold end.
  LineNode* partner = nullptr;
  int8_t savedRow = 0;  // cursor row when the fold was entered or opened
  uint8_t kind = TextLine;
  uint8_t attrByte = 4;  // carried and copied, never interpreted here
  uint8_t mark = 0;      // create-fold mark (drawn highlighted)
  uint32_t lineState = 0;
  int32_t rows = 1;
  int32_t indent = 0;
  int32_t markerColumn = 0;
  uint32_t foldType = 0;
  uint32_t foldContents = 1;
};

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

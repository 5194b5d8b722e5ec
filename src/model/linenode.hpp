// One node of the fold tree: a text line, a fold header, a fold end or a
// filed-fold reference. Plain record; the operations are free functions in
// linestore.hpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "model/growstr.hpp"
#include "model/noderegion.hpp"

// Held in three bits of the node.
enum LineKind : uint8_t {
  TextLine = 0,
  FiledFold = 1,    // closed filed fold header
  ClosedFold = 2,   // closed fold header
  FoldEnd = 3,      // fold end; also the file's bottom sentinel
  OpenFold = 4,     // open fold header, contents spliced into the chain
  FileTop = 5,      // header of a whole file (root, entered filed fold)
  EnteredFold = 6,  // header of an entered fold
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
  // Gives up the extra without freeing it.
  LineExtra* release();
  operator LineExtra*() const;
  LineExtra* operator->() const { return *this; }

 private:
  uint32_t i_ = 0;
};

// What a node holds only now and then: a wrapped line's rows, a fold's
// attributes other than the defaults, what a line of a file from elsewhere
// held beyond the tree.
struct RareFields {
  int32_t rows = 1;
  uint32_t foldType = 0;
  uint32_t foldContents = 1;
  // Null for a line in the writer's own form.
  ExtraRef extra;

  void reset() {
    rows = 1;
    foldType = 0;
    foldContents = 1;
    extra = nullptr;
  }
};

// What a fold header or end holds beyond a text line (and a text line
// with RareFields). Kept in a table of the process, so that the node of a
// plain text line (most of a file) stays small. Used from the editor's
// thread only.
struct FoldFields {
  // Closed header: first node inside. Entered header / its end: the view
  // head / tail that was current before entering. While reading: the stack
  // of open folds.
  NodeLink inner;
  // Header <-> fold end.
  NodeLink partner;
  // Columns from the fold's column to the header's marker (the fold
  // columns' bound, 2^22, keeps it inside its bits).
  int32_t markerColumn : 24 = 0;
  int32_t savedRow : 8 = 0;  // cursor row when the fold was entered or opened
  uint32_t rare = 0;         // index of the RareFields; 0: none

  void reset();
};

// A table of records by 32-bit index, in blocks that never move, so that a
// reference to a record stays good while others are made; index 0 is none.
// A node has at most one record of each table, and nodes themselves are
// named by 32-bit indexes, so the indexes do not run out before the nodes.
template <class R>
class RecordTable {
 public:
  static constexpr uint32_t kShift = 12;
  static constexpr uint32_t kSize = uint32_t(1) << kShift;

  R& at(uint32_t i) { return blocks_[i >> kShift][i & (kSize - 1)]; }
  uint32_t make();
  void release(uint32_t i) {
    at(i).reset();
    free_.push_back(i);
    --used_;
  }
  size_t inUse() const { return used_; }

 private:
  std::vector<R*> blockList_;
  R** blocks_ = nullptr;
  std::vector<uint32_t> free_;
  uint32_t top_ = 1;
  size_t used_ = 0;
};

namespace foldfields {

// Never destroyed: nodes may be given back by static destructors.
inline RecordTable<FoldFields>& folds() {
  static auto* t = new RecordTable<FoldFields>;
  return *t;
}
inline RecordTable<RareFields>& rares() {
  static auto* t = new RecordTable<RareFields>;
  return *t;
}
extern const FoldFields kDefaults;
extern const RareFields kRareDefaults;

inline FoldFields& at(uint32_t i) { return folds().at(i); }
inline RareFields& rareAt(uint32_t i) { return rares().at(i); }
// The bytes the entries in use take (for the benchmarks).
size_t bytesInUse();

}  // namespace foldfields

inline void FoldFields::reset() {
  inner = nullptr;
  partner = nullptr;
  markerColumn = 0;
  savedRow = 0;
  if (rare) foldfields::rares().release(rare);
  rare = 0;
}

struct LineNode;

// A field of a node's fold or rare fields, read as its value (the default
// when the node has none) and set like a field; setting the default on a
// node without fields makes none. F says how to get and set it.
template <class R, R RareFields::*M>
struct RareField;

template <class F>
class FoldFieldRef {
 public:
  using T = typename F::Type;
  explicit FoldFieldRef(LineNode& n) : n_(n) {}
  operator T() const { return F::get(n_); }
  FoldFieldRef& operator=(T v) {
    // The rows a line takes follow its text and the view: not a change.
    if constexpr (!std::is_same_v<F, RareField<int32_t, &RareFields::rows>>) journal::touch(&n_);
    F::set(n_, v);
    return *this;
  }
  FoldFieldRef& operator=(const FoldFieldRef& o) { return *this = o.get(); }
  T get() const { return F::get(n_); }
  FoldFieldRef& operator+=(T v) { return *this = static_cast<T>(get() + v); }
  FoldFieldRef& operator-=(T v) { return *this = static_cast<T>(get() - v); }
  FoldFieldRef& operator++() { return *this += 1; }
  FoldFieldRef& operator--() { return *this -= 1; }

 private:
  LineNode& n_;
};

// The same for the links, which read as the node they name.
template <NodeLink FoldFields::*M>
class FoldLinkRef {
 public:
  explicit FoldLinkRef(LineNode& n) : n_(n) {}
  operator LineNode*() const;
  LineNode* operator->() const { return *this; }
  LineNode* get() const { return *this; }
  FoldLinkRef& operator=(LineNode* v);
  FoldLinkRef& operator=(std::nullptr_t) { return *this = static_cast<LineNode*>(nullptr); }
  FoldLinkRef& operator=(const FoldLinkRef& o) { return *this = o.get(); }
  template <NodeLink FoldFields::*N>
  FoldLinkRef& operator=(const FoldLinkRef<N>& o) { return *this = o.get(); }

 private:
  LineNode& n_;
};

// The node's extra: a LineExtra*, owned by the node once set.
class ExtraField {
 public:
  explicit ExtraField(LineNode& n) : n_(n) {}
  operator LineExtra*() const;
  LineExtra* operator->() const { return *this; }
  ExtraField& operator=(LineExtra* x);
  ExtraField& operator=(std::nullptr_t) { return *this = static_cast<LineExtra*>(nullptr); }

 private:
  LineNode& n_;
};

// How each field is got and set (defined after LineNode).
struct MarkerColumnField {
  using Type = int32_t;
  static Type get(const LineNode& n);
  static void set(LineNode& n, Type v);
};
struct SavedRowField {
  using Type = int8_t;
  static Type get(const LineNode& n);
  static void set(LineNode& n, Type v);
};
template <class R, R RareFields::*M>
struct RareField {
  using Type = R;
  static Type get(const LineNode& n);
  static void set(LineNode& n, Type v);
};
using RowsField = RareField<int32_t, &RareFields::rows>;
using FoldTypeField = RareField<uint32_t, &RareFields::foldType>;
using FoldContentsField = RareField<uint32_t, &RareFields::foldContents>;

struct LineNode : GrowString {
  NodeLink prev;
  NodeLink next;
  // The line's column in the view (see headerColumn and foldColumn). A
  // marker line further right than 2^22 columns reads as text, so that
  // fold columns stay well inside the 24 bits.
  int32_t indent : 24 = 0;
  LineKind kind : 3 = TextLine;
  uint8_t mark : 1 = 0;       // create-fold mark (drawn highlighted)
  uint8_t lineState : 4 = 0;  // highlighting state at the line's start
  // Index of the node's FoldFields; 0: none (a plain text line).
  uint32_t fields = 0;

  LineNode() = default;
  ~LineNode() { dropFields(); }
  LineNode(const LineNode&) = delete;
  LineNode& operator=(const LineNode&) = delete;

  FoldLinkRef<&FoldFields::inner> inner() { return FoldLinkRef<&FoldFields::inner>(*this); }
  FoldLinkRef<&FoldFields::partner> partner() { return FoldLinkRef<&FoldFields::partner>(*this); }
  FoldFieldRef<RowsField> rows() { return FoldFieldRef<RowsField>(*this); }
  FoldFieldRef<MarkerColumnField> markerColumn() { return FoldFieldRef<MarkerColumnField>(*this); }
  FoldFieldRef<FoldTypeField> foldType() { return FoldFieldRef<FoldTypeField>(*this); }
  FoldFieldRef<FoldContentsField> foldContents() { return FoldFieldRef<FoldContentsField>(*this); }
  FoldFieldRef<SavedRowField> savedRow() { return FoldFieldRef<SavedRowField>(*this); }
  ExtraField extra() { return ExtraField(*this); }

  const FoldFields& fieldsOrDefaults() const {
    return fields ? foldfields::at(fields) : foldfields::kDefaults;
  }
  const RareFields& rareOrDefaults() const {
    const uint32_t r = fields ? foldfields::at(fields).rare : 0;
    return r ? foldfields::rareAt(r) : foldfields::kRareDefaults;
  }
  LineNode* inner() const { return fieldsOrDefaults().inner; }
  LineNode* partner() const { return fieldsOrDefaults().partner; }
  int32_t rows() const { return rareOrDefaults().rows; }
  int32_t markerColumn() const { return fieldsOrDefaults().markerColumn; }
  uint32_t foldType() const { return rareOrDefaults().foldType; }
  uint32_t foldContents() const { return rareOrDefaults().foldContents; }
  int8_t savedRow() const { return static_cast<int8_t>(fieldsOrDefaults().savedRow); }
  LineExtra* extra() const { return rareOrDefaults().extra; }

  // The node's FoldFields, made when it has none.
  FoldFields& ownFields() {
    if (!fields) fields = foldfields::folds().make();
    return foldfields::at(fields);
  }
  // The node's RareFields, made when it has none.
  RareFields& ownRare() {
    FoldFields& f = ownFields();
    if (!f.rare) f.rare = foldfields::rares().make();
    return foldfields::rareAt(f.rare);
  }
  bool hasRare() const { return fields && foldfields::at(fields).rare; }
  // Back to a plain text line's fields (its extra freed).
  void dropFields() {
    if (!fields) return;
    journal::touch(this);
    foldfields::folds().release(fields);
    fields = 0;
  }

  // The attribute byte of the old screen lines: always the same.
  static constexpr uint8_t attrByte = 4;
};

template <class R>
uint32_t RecordTable<R>::make() {
  ++used_;
  if (!free_.empty()) {
    const uint32_t i = free_.back();
    free_.pop_back();
    return i;
  }
  const uint32_t i = top_++;
  if ((i >> kShift) >= blockList_.size()) {
    blockList_.push_back(new R[kSize]);
    blocks_ = blockList_.data();
  }
  return i;
}

inline MarkerColumnField::Type MarkerColumnField::get(const LineNode& n) {
  return n.fieldsOrDefaults().markerColumn;
}
inline void MarkerColumnField::set(LineNode& n, Type v) {
  if (n.fields || v != 0) n.ownFields().markerColumn = v;
}
inline SavedRowField::Type SavedRowField::get(const LineNode& n) { return n.savedRow(); }
inline void SavedRowField::set(LineNode& n, Type v) {
  if (n.fields || v != 0) n.ownFields().savedRow = v;
}
template <class R, R RareFields::*M>
inline R RareField<R, M>::get(const LineNode& n) {
  return n.rareOrDefaults().*M;
}
template <class R, R RareFields::*M>
inline void RareField<R, M>::set(LineNode& n, R v) {
  if (n.hasRare() || v != foldfields::kRareDefaults.*M) n.ownRare().*M = v;
}

inline NodeLink& NodeLink::operator=(LineNode* n) {
  journal::touchAt(this);
  i_ = n ? static_cast<uint32_t>(n - noderegion::base) : 0;
  return *this;
}
inline NodeLink::operator LineNode*() const { return i_ ? noderegion::base + i_ : nullptr; }

template <NodeLink FoldFields::*M>
inline FoldLinkRef<M>::operator LineNode*() const {
  return n_.fieldsOrDefaults().*M;
}
template <NodeLink FoldFields::*M>
inline FoldLinkRef<M>& FoldLinkRef<M>::operator=(LineNode* v) {
  journal::touch(&n_);
  if (n_.fields || v) n_.ownFields().*M = v;
  return *this;
}
inline ExtraField::operator LineExtra*() const { return n_.rareOrDefaults().extra; }
inline ExtraField& ExtraField::operator=(LineExtra* x) {
  journal::touch(&n_);
  if (n_.hasRare() || x) n_.ownRare().extra = x;
  return *this;
}

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
  return n->foldType() == 0 && n->foldContents() == 1;
}

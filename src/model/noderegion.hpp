// Every line node of the process lives in one reserved region of address
// space, so that a node can name another by a 32-bit index instead of a
// 64-bit pointer: the fold tree's links take half the memory. The region
// is handed out in chunks to the line stores, which give them back when
// they go; pages are backed only when first written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/journal.hpp"

struct LineNode;

namespace noderegion {

// Index 0 stands for no node.
extern LineNode* base;

// Nodes of one chunk.
constexpr size_t kChunkNodes = 4096;

// A chunk of kChunkNodes nodes (constructed by the caller), or null when
// the region is full or could not be reserved.
LineNode* takeChunk();
// Gives a chunk back (its nodes destroyed by the caller); its pages go
// back to the system.
void giveChunk(LineNode* chunk);
// The owner a chunk's nodes tell of their changes (model/journal.hpp),
// and the owner of the chunk that holds address p (null outside the region).
void setOwner(LineNode* chunk, void* owner);
void* ownerAt(const void* p);
// Address space reserved and not handed out (for the memory budget, which
// must not count it as used).
size_t unusedBytes();

}  // namespace noderegion

// A link of the fold tree: a node, or none, as its index in the region.
// Reads as a LineNode*; set from a LineNode*.
class NodeLink {
 public:
  NodeLink() = default;
  NodeLink(std::nullptr_t) {}  // NOLINT: reads as a null pointer does
  NodeLink(const NodeLink&) = default;
  inline NodeLink& operator=(LineNode* n);
  NodeLink& operator=(const NodeLink& l) {
    journal::touchAt(this);
    i_ = l.i_;
    return *this;
  }
  NodeLink& operator=(std::nullptr_t) {
    journal::touchAt(this);
    i_ = 0;
    return *this;
  }
  inline operator LineNode*() const;
  LineNode* operator->() const { return *this; }
  LineNode* get() const { return *this; }

 private:
  uint32_t i_ = 0;
};

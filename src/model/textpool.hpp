// Line text buffers of the usual size come from one pool of fixed blocks in
// a region the kernel may back with huge pages: a large file then costs a
// few hundred page faults instead of one for every eight lines, and the
// blocks are handed out by a pointer bump rather than by malloc.
//
// Only line text is taken from the pool; TREALLOC and freeString know its
// blocks and move a text that outgrows its block to the heap.
#pragma once

#include <cstddef>

namespace textpool {

constexpr size_t kBlockBytes = 512;

// A block for n bytes (n <= kBlockBytes), or null when the pool has none
// (the caller then takes heap memory).
void* take(size_t n);
// Whether p is a block of the pool.
bool owns(const void* p);
// Gives a block back; when the last block is given back the pool returns
// its memory to the system.
void give(void* p);
// A block now holding n bytes (n <= kBlockBytes): only the sanitizer's view
// of the block changes.
void resize(void* p, size_t n);
// Blocks handed out and not given back.
size_t blocksInUse();

}  // namespace textpool

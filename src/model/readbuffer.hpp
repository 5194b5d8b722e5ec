// The bytes of a file as it was read, which the lines read from it use as
// their texts until they are first changed: a line read costs no copy and
// no allocation of its own. A buffer goes back to the system when the last
// line that uses it has let go.
//
// Used from the editor's thread only.
#pragma once

#include <cstddef>

namespace readbuffer {

struct Buffer;

// A buffer of at least n bytes,
// held by its maker until done(); null when the memory cannot be had.
Buffer* make(size_t n);
char* data(Buffer* b);
size_t capacity(const Buffer* b);
// A bigger buffer with the first `used` bytes of b; b is done with.
Buffer* grow(Buffer* b, size_t used, size_t n);
// The maker lets go.
void done(Buffer* b);
// A line text now uses the buffer.
void borrow(Buffer* b);

// Whether p is a text inside some buffer, and letting go of such a text.
bool owns(const void* p);
void release(const void* p);
// Buffers alive (for tests).
size_t buffersAlive();

}  // namespace readbuffer

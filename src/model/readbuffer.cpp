#include "model/readbuffer.hpp"

#include <cstdlib>
#include <cstring>
#include <map>
#include <sys/mman.h>

namespace readbuffer {

struct Buffer {
  char* data = nullptr;
  size_t capacity = 0;
  size_t users = 0;  // the maker and every line text in it
  bool mapped = false;
};

namespace {

constexpr size_t kMapped = size_t(2) << 20;

// Buffers by their end address, for finding the one a text lies in.
std::map<const char*, Buffer*>& buffers() {
  static auto* m = new std::map<const char*, Buffer*>;
  return *m;
}

// Texts are let go of in runs from one buffer: the last one found is
// tried first.
Buffer* g_last = nullptr;

Buffer* find(const void* p) {
  const char* c = static_cast<const char*>(p);
  if (g_last && c >= g_last->data && c < g_last->data + g_last->capacity) return g_last;
  auto& m = buffers();
  if (m.empty() || !p) return nullptr;
  auto it = m.upper_bound(c);
  if (it == m.end() || c < it->second->data) return nullptr;
  g_last = it->second;
  return g_last;
}

void drop(Buffer* b) {
  if (--b->users > 0) return;
  if (g_last == b) g_last = nullptr;
  buffers().erase(b->data + b->capacity);
  if (b->mapped)
    ::munmap(b->data, b->capacity);
  else
    std::free(b->data);
  delete b;
}

}  // namespace

Buffer* make(size_t n) {
  if (n < 1) n = 1;
  auto* b = new Buffer;
  if (n >= kMapped) {
    void* m = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) {
      delete b;
      return nullptr;
    }
    // No plea for huge pages: a fresh one is zeroed (and, on a virtual
    // machine, backed) whole, which costs a big file's read far more than
    // the fewer page faults save.
    b->data = static_cast<char*>(m);
    b->mapped = true;
  } else {
    b->data = static_cast<char*>(std::malloc(n));
    if (!b->data) {
      delete b;
      return nullptr;
    }
  }
  b->capacity = n;
  b->users = 1;
  buffers()[b->data + b->capacity] = b;
  return b;
}

char* data(Buffer* b) { return b->data; }
size_t capacity(const Buffer* b) { return b->capacity; }

Buffer* grow(Buffer* b, size_t used, size_t n) {
  Buffer* bigger = make(n);
  if (!bigger) return nullptr;
  std::memcpy(bigger->data, b->data, used);
  done(b);
  return bigger;
}

void done(Buffer* b) {
  if (b) drop(b);
}

void borrow(Buffer* b) { ++b->users; }

bool owns(const void* p) { return find(p) != nullptr; }

void release(const void* p) {
  if (Buffer* b = find(p)) drop(b);
}

size_t buffersAlive() { return buffers().size(); }

}  // namespace readbuffer

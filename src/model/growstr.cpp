#include "model/growstr.hpp"

#include <cstdlib>
#include <cstring>
#include <malloc.h>

#include "model/journal.hpp"
#include "model/readbuffer.hpp"
#include "platform/host.hpp"

namespace {

// The text of every empty line that has not been given bytes of its own:
// a line costs no heap block until it holds something. Only its NUL is
// ever written, as into any text of capacity 1.
char emptyText[1] = {'\0'};

}  // namespace

void* allocOrExit(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) fatalReport(processHost(), "TALLOC: not enough memory", "Error", 1);
  return p;
}

void* reallocOrExit(void* p, size_t n) {
  if (p == emptyText) {
    char* q = static_cast<char*>(allocOrExit(n));
    q[0] = '\0';
    return q;
  }
  if (readbuffer::owns(p)) {
    // A text still in the file's buffer moves to the heap when it grows.
    void* q = allocOrExit(n);
    size_t keep = std::strlen(static_cast<const char*>(p)) + 1;
    std::memcpy(q, p, keep < n ? keep : n);
    readbuffer::release(p);
    return q;
  }
  void* q = std::realloc(p, n ? n : 1);
  if (!q) fatalReport(processHost(), "TREALLOC: not enough memory", "Error", 1);
  return q;
}

void freeOrRelease(void* p) {
  if (p == emptyText) return;
  if (readbuffer::owns(p))
    readbuffer::release(p);
  else
    std::free(p);
}

void* allocLineText(size_t n) {
  if (n <= 1) {
    emptyText[0] = '\0';
    return emptyText;
  }
  return allocOrExit(n);
}

void initString(GrowString& s) {
  journal::touchTextAt(&s);
  s.text = static_cast<char*>(allocOrExit(kNewStringCapacity));
  s.text[0] = '\0';
}

void freeString(GrowString& s) {
  journal::touchTextAt(&s);
  freeOrRelease(s.text);
  s.text = nullptr;
}

size_t capacity(const GrowString& s) {
  if (!s.text) return 0;
  if (s.text == emptyText) return 1;
  if (readbuffer::owns(s.text)) return std::strlen(s.text) + 1;
  return ::malloc_usable_size(s.text);
}

void reserve(GrowString& s, size_t n) {
  journal::touchTextAt(&s);
  if (s.text && capacity(s) >= n) return;
  if (n > 0x7fffffff) fatalReport(processHost(), "TREALLOC: not enough memory", "Error", 1);
  bool fresh = s.text == nullptr;
  s.text = static_cast<char*>(reallocOrExit(s.text, n));
  if (fresh) s.text[0] = '\0';
}

size_t length(const GrowString& s) { return s.text ? std::strlen(s.text) : 0; }

void assignN(GrowString& s, const char* text, size_t n) {
  journal::touchTextAt(&s);
  if (s.text && text >= s.text && text < s.text + capacity(s)) {
    // Source inside our own buffer: keep it valid across the reallocation.
    size_t off = static_cast<size_t>(text - s.text);
    reserve(s, n + 1);
    std::memmove(s.text, s.text + off, n);
  } else {
    reserve(s, n + 1);
    std::memcpy(s.text, text, n);
  }
  s.text[n] = '\0';
}

void assign(GrowString& s, const char* text) { assignN(s, text, std::strlen(text)); }

void appendN(GrowString& s, const char* text, size_t n) {
  journal::touchTextAt(&s);
  size_t old = length(s);
  if (s.text && text >= s.text && text < s.text + capacity(s)) {
    size_t off = static_cast<size_t>(text - s.text);
    reserve(s, old + n + 1);
    std::memmove(s.text + old, s.text + off, n);
  } else {
    reserve(s, old + n + 1);
    std::memcpy(s.text + old, text, n);
  }
  s.text[old + n] = '\0';
}

void append(GrowString& s, const char* text) { appendN(s, text, std::strlen(text)); }

void fill(GrowString& s, char ch, size_t n) {
  journal::touchTextAt(&s);
  reserve(s, n + 1);
  std::memset(s.text, ch, n);
}

void writeAt(GrowString& s, size_t offset, const char* source, size_t n) {
  journal::touchTextAt(&s);
  bool inside = s.text && source >= s.text && source < s.text + capacity(s);
  size_t srcOff = inside ? static_cast<size_t>(source - s.text) : 0;
  reserve(s, offset + n + 1);
  const char* src = inside ? s.text + srcOff : source;
  std::memmove(s.text + offset, src, n);
}

void insertAt(GrowString& s, size_t position, const char* chars, size_t n) {
  journal::touchTextAt(&s);
  size_t old = length(s);
  if (position > old) position = old;
  bool inside = s.text && chars >= s.text && chars < s.text + capacity(s);
  if (inside) {
    // Inserting a piece of ourselves: copy it out first.
    char* tmp = static_cast<char*>(allocOrExit(n));
    std::memcpy(tmp, chars, n);
    insertAt(s, position, tmp, n);
    freeOrRelease(tmp);
    return;
  }
  reserve(s, old + n + 1);
  std::memmove(s.text + position + n, s.text + position, old - position + 1);
  std::memcpy(s.text + position, chars, n);
}

void eraseAt(GrowString& s, size_t position, size_t n) {
  journal::touchTextAt(&s);
  size_t old = length(s);
  if (position >= old) return;
  if (n > old - position) n = old - position;
  std::memmove(s.text + position, s.text + position + n, old - position - n + 1);
}

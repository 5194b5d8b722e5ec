// The growable string: a NUL-terminated text in the heap, or in a file's
// read buffer (a line read keeps its text there until first changed).
// What the heap really holds for it is asked of the heap, not stored.
// Used for line text and as scratch line buffers.
#pragma once

#include <cstddef>
#include <cstdint>

struct GrowString {
  char* text = nullptr;
};

constexpr int32_t kNewStringCapacity = 156;

// allocOrExit / reallocOrExit: allocation that cannot fail; on failure the
// process ends after "TALLOC: not enough memory" or
// "TREALLOC: not enough memory".
void* allocOrExit(size_t n);
void* reallocOrExit(void* p, size_t n);
// Frees what allocOrExit, reallocOrExit or allocLineText gave, and lets go
// of a text that lies in a file's read buffer.
void freeOrRelease(void* p);
// A line's text buffer of n bytes; for one byte (an empty text) a
// buffer shared by every empty line, which moves to a block of its own
// when it grows.
void* allocLineText(size_t n);

// A new string has room for 156 bytes and empty text.
void initString(GrowString& s);
void freeString(GrowString& s);

// The bytes the text may use: what the heap holds for it, or for a text
// in a read buffer its own bytes.
size_t capacity(const GrowString& s);
// If capacity < n, reallocate to at least n bytes.
void reserve(GrowString& s, size_t n);
void assign(GrowString& s, const char* text);
void assignN(GrowString& s, const char* text, size_t n);
void append(GrowString& s, const char* text);
void appendN(GrowString& s, const char* text, size_t n);
// Sets the first n bytes to ch; writes no terminator.
void fill(GrowString& s, char ch, size_t n);
// Moves n bytes from source to offset, making room first; source may lie
// inside the buffer. Writes no terminator.
void writeAt(GrowString& s, size_t offset, const char* source, size_t n);
void insertAt(GrowString& s, size_t position, const char* chars, size_t n);
// Removes n bytes at position (clamped to the text).
void eraseAt(GrowString& s, size_t position, size_t n);
size_t length(const GrowString& s);

// What lets a document's history see every change to its line nodes: each
// write to a node (its links, text, kind, columns or fold fields) first
// tells the node's owner, which keeps what the node held before. Nothing
// is recorded, and a write costs one load, while no history listens.
#pragma once

#include <cstdint>

struct LineNode;
struct GrowString;

// The owner of a node's chunk, told of writes while it listens.
class NodeRecorder {
 public:
  // The node's fields (text: its text too) are about to change.
  virtual void touched(LineNode& n, bool text) = 0;
  // The node was just made: it held nothing worth keeping before.
  virtual void made(LineNode& n) = 0;

 protected:
  ~NodeRecorder() = default;
};

namespace journal {

// Recorders listening in the process (0: every check below is one load).
extern int listeners;

void touchSlow(LineNode* n, bool text);
void madeSlow(LineNode* n);
void touchAtSlow(const void* insideNode);
void touchTextAtSlow(const void* node);

// The node's links, kind, columns or fold fields are about to change.
inline void touch(LineNode* n) {
  if (listeners && n) touchSlow(n, false);
}
// Its text is about to change (or be freed).
inline void touchText(LineNode* n) {
  if (listeners && n) touchSlow(n, true);
}
inline void made(LineNode* n) {
  if (listeners) madeSlow(n);
}
// p lies inside a node (a link of it), or outside the node region.
inline void touchAt(const void* p) {
  if (listeners) touchAtSlow(p);
}
// p is a string that may be a node's (whose text is about to change).
inline void touchTextAt(const void* p) {
  if (listeners) touchTextAtSlow(p);
}

// Owner of the chunk that holds the node at p, or null when p is outside
// the node region.
NodeRecorder* ownerOf(const void* p);
void setOwner(LineNode* chunk, NodeRecorder* owner);

// While one is held writes are not told (the history puts images back).
class Pause {
 public:
  Pause() : saved_(listeners) { listeners = 0; }
  ~Pause() { listeners = saved_; }
  Pause(const Pause&) = delete;
  Pause& operator=(const Pause&) = delete;

 private:
  int saved_;
};

}  // namespace journal

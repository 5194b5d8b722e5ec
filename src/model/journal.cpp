#include "model/journal.hpp"

#include "model/linestore.hpp"

namespace journal {

int listeners = 0;

namespace {

NodeRecorder* recorderOf(const void* p) {
  auto* store = static_cast<LineStore*>(noderegion::ownerAt(p));
  return store ? store->recorder : nullptr;
}

LineNode* nodeAt(const void* p) {
  const auto off = static_cast<size_t>(static_cast<const char*>(p) -
                                       reinterpret_cast<const char*>(noderegion::base));
  return noderegion::base + off / sizeof(LineNode);
}

}  // namespace

NodeRecorder* ownerOf(const void* p) { return recorderOf(p); }

void touchSlow(LineNode* n, bool text) {
  if (NodeRecorder* r = recorderOf(n)) r->touched(*n, text);
}

void madeSlow(LineNode* n) {
  if (NodeRecorder* r = recorderOf(n)) r->made(*n);
}

void touchAtSlow(const void* p) {
  if (NodeRecorder* r = recorderOf(p)) r->touched(*nodeAt(p), false);
}

void touchTextAtSlow(const void* p) {
  if (NodeRecorder* r = recorderOf(p)) r->touched(*nodeAt(p), true);
}

}  // namespace journal

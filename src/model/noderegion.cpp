#include "model/noderegion.hpp"

#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <vector>

#include "model/linenode.hpp"

#include "platform/sanitizers.hpp"
#ifdef PLICATO_WITH_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace noderegion {

LineNode* base = nullptr;
size_t reservedNodes = 0;

namespace {

// As many nodes as 32-bit indexes name, or as much of that as the system
// lets the process reserve.
constexpr size_t kMostNodes = size_t(1) << 32;

struct Region {
  std::mutex lock;
  size_t nodes = 0;      // reserved
  size_t top = 1;        // next chunk starts here (index 0 is no node)
  std::vector<LineNode*> free;
  bool tried = false;
  void** owners = nullptr;

  void reserve() {
    tried = true;
    for (size_t n = kMostNodes; n >= (size_t(1) << 20); n /= 2) {
      void* p = ::mmap(nullptr, n * sizeof(LineNode), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
      if (p == MAP_FAILED) continue;
      // Small pages, as for the read buffers: the region is written in
      // order, a page at a time.
      base = static_cast<LineNode*>(p);
      nodes = n;
      // The owner of each chunk: a page of the table is backed when a
      // chunk it names is first handed out.
      void* o = ::mmap(nullptr, (n / kChunkNodes + 1) * sizeof(void*), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
      if (o != MAP_FAILED) owners = static_cast<void**>(o);
      reservedNodes = n;
      return;
    }
  }
};

Region& region() {
  // Never destroyed: nodes may be given back by static destructors.
  static Region* r = new Region;
  return *r;
}

}  // namespace

// The leak checker looks for pointers in the heap and the stacks; the
// region is neither, and its nodes hold the texts.
void watch(LineNode* chunk, bool on) {
#ifdef PLICATO_WITH_ASAN
  if (on)
    __lsan_register_root_region(chunk, kChunkNodes * sizeof(LineNode));
  else
    __lsan_unregister_root_region(chunk, kChunkNodes * sizeof(LineNode));
#else
  (void)chunk;
  (void)on;
#endif
}

LineNode* takeChunk() {
  Region& r = region();
  LineNode* c = nullptr;
  {
    std::lock_guard<std::mutex> g(r.lock);
    if (!r.tried) r.reserve();
    if (!r.free.empty()) {
      c = r.free.back();
      r.free.pop_back();
    } else if (base && r.top + kChunkNodes <= r.nodes) {
      c = base + r.top;
      r.top += kChunkNodes;
    }
  }
  if (c) watch(c, true);
  return c;
}

void giveChunk(LineNode* chunk) {
  watch(chunk, false);
  setOwner(chunk, nullptr);
  Region& r = region();
  std::lock_guard<std::mutex> g(r.lock);
  // The pages wholly inside the chunk go back (a chunk need not start or
  // end on a page); the next writer finds them zeroed, and the nodes at
  // the edges are made afresh by their next user.
  const uintptr_t page = 4096;
  const uintptr_t from = (reinterpret_cast<uintptr_t>(chunk) + page - 1) & ~(page - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(chunk + kChunkNodes)) & ~(page - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
  r.free.push_back(chunk);
}

namespace {

size_t chunkOf(const void* p) {
  return (static_cast<size_t>(static_cast<const LineNode*>(p) - base) - 1) / kChunkNodes;
}

}  // namespace

void setOwner(LineNode* chunk, void* owner) {
  Region& r = region();
  if (r.owners) r.owners[chunkOf(chunk)] = owner;
}

void* ownerAt(const void* p) {
  const uintptr_t off = reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(base);
  if (!base || off < sizeof(LineNode) || off >= reservedNodes * sizeof(LineNode)) return nullptr;
  Region& r = region();
  return r.owners ? r.owners[chunkOf(base + off / sizeof(LineNode))] : nullptr;
}

size_t unusedBytes() {
  Region& r = region();
  std::lock_guard<std::mutex> g(r.lock);
  return (r.nodes - (r.top < r.nodes ? r.top : r.nodes)) * sizeof(LineNode);
}

}  // namespace noderegion

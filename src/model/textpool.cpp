#include "model/textpool.hpp"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define PLICATO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLICATO_ASAN 1
#endif
#endif

#ifdef PLICATO_ASAN
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace textpool {
namespace {

// Address space only: pages are backed when first written, and a system
// that will not lend this much simply leaves the pool empty.
constexpr size_t kReserveBytes = size_t(1) << 36;

struct FreeBlock {
  FreeBlock* next;
};

class Pool {
 public:
  Pool() {
    void* p = mmap(nullptr, kReserveBytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return;
    base_ = static_cast<char*>(p);
#ifdef MADV_HUGEPAGE
    madvise(base_, kReserveBytes, MADV_HUGEPAGE);
#endif
  }

  bool owns(const void* p) const {
    auto* c = static_cast<const char*>(p);
    return base_ && c >= base_ && c < base_ + kReserveBytes;
  }

  void* take(size_t n) {
    if (!base_) return nullptr;
    Guard g(lock_);
    char* block = nullptr;
    if (free_) {
      block = reinterpret_cast<char*>(free_);
      UNPOISON(block, sizeof(FreeBlock));
      free_ = free_->next;
    } else if (top_ + kBlockBytes <= kReserveBytes) {
      block = base_ + top_;
      top_ += kBlockBytes;
    } else {
      return nullptr;
    }
    ++inUse_;
    POISON(block, kBlockBytes);
    UNPOISON(block, n);
    return block;
  }

  void give(void* p) {
    Guard g(lock_);
    if (--inUse_ == 0) {
      // Nothing is held any more: the pages go back to the system and the
      // next file starts at the bottom again.
      UNPOISON(base_, top_);
      madvise(base_, top_, MADV_DONTNEED);
      POISON(base_, top_);
      top_ = 0;
      free_ = nullptr;
      return;
    }
    POISON(p, kBlockBytes);
    UNPOISON(p, sizeof(FreeBlock));
    auto* f = static_cast<FreeBlock*>(p);
    f->next = free_;
    free_ = f;
    POISON(p, sizeof(FreeBlock));
  }

  void resize(void* p, size_t n) {
    POISON(p, kBlockBytes);
    UNPOISON(p, n);
  }

  size_t inUse() const {
    Guard g(lock_);
    return inUse_;
  }

 private:
  class Guard {
   public:
    explicit Guard(std::atomic_flag& f) : f_(f) {
      while (f_.test_and_set(std::memory_order_acquire)) {
      }
    }
    ~Guard() { f_.clear(std::memory_order_release); }

   private:
    std::atomic_flag& f_;
  };

  char* base_ = nullptr;
  size_t top_ = 0;
  size_t inUse_ = 0;
  FreeBlock* free_ = nullptr;
  mutable std::atomic_flag lock_ = ATOMIC_FLAG_INIT;
};

Pool& pool() {
  // Never destroyed: buffers may be given back by static destructors.
  static Pool* p = new Pool;
  return *p;
}

}  // namespace

void* take(size_t n) { return n <= kBlockBytes ? pool().take(n) : nullptr; }
bool owns(const void* p) { return p && pool().owns(p); }
void give(void* p) { pool().give(p); }
void resize(void* p, size_t n) { pool().resize(p, n); }
size_t blocksInUse() { return pool().inUse(); }

}  // namespace textpool

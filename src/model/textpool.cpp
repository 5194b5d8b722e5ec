#include "model/textpool.hpp"

#include <sys/mman.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
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

// Once a file has taken this much, the next piece of the region is faulted
// in by a helper thread while the reader fills this one: the kernel's work
// of backing fresh pages then runs beside the reader's on another core.
constexpr size_t kAheadBytes = size_t(16) << 20;

struct FreeBlock {
  FreeBlock* next;
};

// Faults in pieces of the region on request. Populating never writes the
// memory, so a piece that meanwhile went back to the system, or was handed
// out again, stays as it is.
class Prefetcher {
 public:
  void request(char* from, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    {
      std::lock_guard<std::mutex> l(m_);
      if (failed_) return;
      if (!started_) {
        started_ = true;
        try {
          std::thread([this] { run(); }).detach();
        } catch (...) {
          failed_ = true;
          return;
        }
      }
      from_ = from;
      bytes_ = bytes;
    }
    cv_.notify_one();
#else
    (void)from;
    (void)bytes;
#endif
  }

 private:
  void run() {
    std::unique_lock<std::mutex> l(m_);
    for (;;) {
      cv_.wait(l, [this] { return bytes_ > 0; });
      char* from = from_;
      size_t bytes = bytes_;
      bytes_ = 0;
      l.unlock();
#ifdef MADV_POPULATE_WRITE
      const bool ok = madvise(from, bytes, MADV_POPULATE_WRITE) == 0 || errno != EINVAL;
#else
      const bool ok = false;
#endif
      l.lock();
      if (!ok) failed_ = true;  // a kernel without it: the reader faults alone
    }
  }

  std::mutex m_;
  std::condition_variable cv_;
  char* from_ = nullptr;
  size_t bytes_ = 0;
  bool started_ = false;
  bool failed_ = false;
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
    char* ahead = nullptr;
    if (free_) {
      block = reinterpret_cast<char*>(free_);
      UNPOISON(block, sizeof(FreeBlock));
      free_ = free_->next;
    } else if (top_ + kBlockBytes <= kReserveBytes) {
      block = base_ + top_;
      top_ += kBlockBytes;
      if (top_ % kAheadBytes == 0 && top_ + kAheadBytes <= kReserveBytes) ahead = base_ + top_;
    } else {
      return nullptr;
    }
    ++inUse_;
    POISON(block, kBlockBytes);
    UNPOISON(block, n);
    g.release();
    if (ahead) prefetcher_.request(ahead, kAheadBytes);
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
    explicit Guard(std::atomic_flag& f) : f_(&f) {
      while (f_->test_and_set(std::memory_order_acquire)) {
      }
    }
    ~Guard() { release(); }
    void release() {
      if (f_) f_->clear(std::memory_order_release);
      f_ = nullptr;
    }

   private:
    std::atomic_flag* f_;
  };

  char* base_ = nullptr;
  size_t top_ = 0;
  size_t inUse_ = 0;
  FreeBlock* free_ = nullptr;
  mutable std::atomic_flag lock_ = ATOMIC_FLAG_INIT;
  Prefetcher prefetcher_;
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

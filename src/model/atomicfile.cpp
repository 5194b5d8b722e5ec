#include "model/atomicfile.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/paths.hpp"

namespace {

constexpr size_t kBufferBytes = 1 << 16;

// Follows symbolic links to the file that really gets written.
std::string resolveLinks(const std::string& path) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    char buf[PATH_MAX];
    ssize_t n = ::readlink(p.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return p;
    buf[n] = '\0';
    std::string link(buf);
    p = isAbsolutePath(link) ? link : joinPath(dirName(p), link);
  }
  return p;
}

// Temporary files are named after the file they replace and the process
// that writes them.
std::string tempPrefix(const std::string& target) { return "." + baseName(target) + ".plicato-"; }

// A save that was killed leaves its temporary file behind. Once the file has
// been saved again, such leftovers go: a file of ours whose writer no longer
// runs and which has not been touched for a minute (so a save of another
// instance, or on another machine sharing the directory, is never raced).
void sweepLeftovers(const std::string& target) {
  const std::string dir = dirName(target).empty() ? "." : dirName(target);
  const std::string prefix = tempPrefix(target);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  const time_t now = ::time(nullptr);
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || !end || *end != '-' || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::string path = joinPath(dir, name);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    if (now - st.st_mtime < 60) continue;
    ::unlink(path.c_str());
  }
  ::closedir(d);
}

}  // namespace

bool AtomicFile::open(const std::string& path) {
  abort();
  error_ = 0;
  target_ = resolveLinks(path);
  struct stat st;
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      error_ = EISDIR;
      return false;
    }
    if (::access(target_.c_str(), W_OK) != 0) {
      error_ = errno ? errno : EACCES;
      return false;
    }
  }
  std::string dir = dirName(target_);
  if (dir.empty()) dir = ".";
  temp_ = joinPath(dir, tempPrefix(target_) + std::to_string(::getpid()) + "-XXXXXX");
  std::string tmpl = temp_;
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) {
    error_ = errno;
    temp_.clear();
    return false;
  }
  temp_ = tmpl;
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  return true;
}

bool AtomicFile::flushBuffer() {
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

bool AtomicFile::write(const void* data, size_t n) {
  if (fd_ < 0) return false;
  if (error_) return false;
  const char* p = static_cast<const char*>(data);
  if (buffer_.size() + n > kBufferBytes) {
    if (!flushBuffer()) return false;
    if (n > kBufferBytes) {
      buffer_.assign(p, n);
      return flushBuffer();
    }
  }
  buffer_.append(p, n);
  return true;
}

bool AtomicFile::commit() {
  if (fd_ < 0) return false;
  if (error_ || !flushBuffer()) {
    abort();
    return false;
  }
  struct stat st;
  mode_t mode;
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) {
    error_ = errno;
    abort();
    return false;
  }
  if (::close(fd_) != 0) {
    error_ = errno;
    fd_ = -1;
    abort();
    return false;
  }
  fd_ = -1;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    error_ = errno;
    abort();
    return false;
  }
  temp_.clear();
  // The rename is durable once the directory is synced too.
  std::string dir = dirName(target_);
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  // Leftovers of a killed save are older than this process; looking once
  // per file keeps the directory scan off every later save (auto-save).
  static std::mutex sweptLock;
  static std::set<std::string> swept;
  bool first;
  {
    std::lock_guard<std::mutex> l(sweptLock);
    first = swept.insert(target_).second;
  }
  if (first) sweepLeftovers(target_);
  return true;
}

void AtomicFile::abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

std::string AtomicFile::errorText() const { return std::strerror(error_ ? error_ : EIO); }

bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error) {
  AtomicFile f;
  if (f.open(path) && f.write(data) && f.commit()) return true;
  if (error) *error = f.errorText();
  return false;
}

bool readWholeFile(const std::string& path, std::string& out) {
  // Without blocking on a pipe; only a plain file has an end to read to (a
  // data file named /dev/zero would otherwise fill the memory).
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out.clear();
  if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

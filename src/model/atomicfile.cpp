#include "model/atomicfile.hpp"

#include <algorithm>
#include <atomic>
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
constexpr off_t kWritebackBytes = off_t(8) << 20;

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

mode_t readUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}
// Read while the program starts, before any thread runs: setting the mask
// around each save would race with files other threads create.
const mode_t gUmask = readUmask();

std::atomic<long long> gFailAfter{-1};
std::atomic<bool> gFailRestores{false};

void syncDirectory(const std::string& dir) {
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

// Makes the directory and those above it that are missing, for us only.
bool makeDirectories(const std::string& dir) {
  struct stat st;
  if (dir.empty() || ::stat(dir.c_str(), &st) == 0) return true;
  const std::string parent = dirName(dir);
  if (!parent.empty() && parent != dir && !makeDirectories(parent)) return false;
  return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const char* p, size_t n, off_t at) {
  while (n > 0) {
    ssize_t w = ::pwrite(fd, p, n, at);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
    at += w;
  }
  return true;
}

// Copies the file at path to a new backup in the state directory and syncs
// it; the backup's name and the bytes copied are returned.
bool copyToBackup(const std::string& path, std::string& backup, off_t& size, int& error) {
  const std::string dir = saveBackupDir();
  if (!makeDirectories(dir)) {
    error = errno;
    return false;
  }
  std::string tmpl = joinPath(dir, baseName(path) + "." + std::to_string(::getpid()) + "-XXXXXX");
  int out = ::mkstemp(tmpl.data());
  if (out < 0) {
    error = errno;
    return false;
  }
  int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  bool ok = in >= 0;
  error = ok ? 0 : errno;
  size = 0;
  std::string buf(kBufferBytes, '\0');
  while (ok) {
    ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ok = false;
    }
    if (n <= 0) break;
    if (!writeAll(out, buf.data(), static_cast<size_t>(n), size)) {
      error = errno ? errno : EIO;
      ok = false;
    }
    size += n;
  }
  if (ok && ::fsync(out) != 0) {
    error = errno;
    ok = false;
  }
  if (in >= 0) ::close(in);
  if (::close(out) != 0 && ok) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(tmpl.c_str());
    return false;
  }
  syncDirectory(dir);
  backup = tmpl;
  return true;
}

// Puts the backup's bytes back into the file and cuts it to their length.
bool copyBack(const std::string& backup, int fd, off_t size) {
  int in = ::open(backup.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::string buf(kBufferBytes, '\0');
  off_t at = 0;
  bool ok = true;
  while (ok) {
    ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    ok = writeAll(fd, buf.data(), static_cast<size_t>(n), at);
    at += n;
  }
  ::close(in);
  return ok && at == size && ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0;
}

}  // namespace

bool AtomicFile::open(const std::string& path) {
  abort();
  error_ = 0;
  inPlace_ = special_ = touched_ = false;
  oldSize_ = length_ = 0;
  writebackFrom_ = 0;
  backup_.clear();
  keptBackup_.clear();
  refusal_.clear();
  written_ = {};
  target_ = resolveLinks(path);
  struct stat st;
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) {
    error_ = errno;
    return false;
  }
  if (exists) {
    if (S_ISDIR(st.st_mode)) {
      error_ = EISDIR;
      return false;
    }
    if (::access(target_.c_str(), W_OK) != 0) {
      error_ = errno ? errno : EACCES;
      return false;
    }
    // A rename would replace a device or pipe by a plain file, and would
    // cut the other names of a file with hard links off the new contents.
    if (!S_ISREG(st.st_mode) || st.st_nlink > 1) return openInPlace(st);
  }
  std::string dir = dirName(target_);
  if (dir.empty()) dir = ".";
  std::string tmpl = joinPath(dir, tempPrefix(target_) + std::to_string(::getpid()) + "-XXXXXX");
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) {
    const int e = errno;
    // A writable file in a directory that takes no new files.
    if (exists && (e == EACCES || e == EPERM)) return openInPlace(st);
    error_ = e;
    return false;
  }
  temp_ = tmpl;
  if (exists) {
    // The new file is ours; renamed over the old one it would take the
    // file from its owner and group unless the process may hand it back.
    struct stat made;
    if (::fstat(fd_, &made) != 0 ||
        ((made.st_uid != st.st_uid || made.st_gid != st.st_gid) &&
         ::fchown(fd_, st.st_uid, st.st_gid) != 0)) {
      ::close(fd_);
      fd_ = -1;
      ::unlink(temp_.c_str());
      temp_.clear();
      return openInPlace(st);
    }
    mode_ = st.st_mode & 07777;
  } else {
    mode_ = 0666 & ~processUmask();
  }
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  return true;
}

bool AtomicFile::openInPlace(const struct stat& st) {
  inPlace_ = true;
  special_ = !S_ISREG(st.st_mode);
  // A pipe without a reader would hold the save up for good.
  fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | (special_ ? O_NONBLOCK : 0));
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  if (special_) {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  } else if (!copyToBackup(target_, backup_, oldSize_, error_)) {
    refusal_ = "The file is written in place, and its backup copy cannot be made in " + saveBackupDir();
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  return true;
}

bool AtomicFile::writeOut(const char* p, size_t n) {
  if (inPlace_ && n > 0) touched_ = true;
  size_t allowed = n;
  const long long limit = gFailAfter.load();
  if (limit >= 0) allowed = length_ >= limit ? 0 : std::min<size_t>(n, static_cast<size_t>(limit - length_));
  size_t done = 0;
  while (done < n) {
    if (done >= allowed) {
      error_ = ENOSPC;
      return false;
    }
    ssize_t w = ::write(fd_, p + done, allowed - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    done += static_cast<size_t>(w);
    length_ += w;
  }
  // A big file's bytes start on their way to the disk while the rest is
  // written, so that the closing fsync waits for the last stretch only
  // (and the kernel does not stall the writer for its dirty pages).
  if (length_ - writebackFrom_ >= kWritebackBytes) {
    ::sync_file_range(fd_, writebackFrom_, length_ - writebackFrom_, SYNC_FILE_RANGE_WRITE);
    writebackFrom_ = length_;
  }
  return true;
}

bool AtomicFile::flushBuffer() {
  const bool ok = writeOut(buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok;
}

bool AtomicFile::write(const void* data, size_t n) {
  if (fd_ < 0) return false;
  if (error_) return false;
  const char* p = static_cast<const char*>(data);
  if (buffer_.size() + n > kBufferBytes) {
    if (!flushBuffer()) return false;
    // A large piece goes out as it is, without a copy.
    if (n >= kBufferBytes) return writeOut(p, n);
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
  if (inPlace_) return commitInPlace();
  if (::fchmod(fd_, mode_) != 0 || ::fsync(fd_) != 0 || ::fstat(fd_, &written_) != 0) {
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
  syncDirectory(dirName(target_));
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

bool AtomicFile::commitInPlace() {
  // The old contents may have been longer; a device or pipe has no length.
  if (!special_ && ::ftruncate(fd_, length_) != 0) {
    error_ = errno;
    abort();
    return false;
  }
  // A terminal or pipe cannot be synced, and need not be.
  if (::fsync(fd_) != 0 && !(special_ && (errno == EINVAL || errno == EROFS || errno == ENOTSUP))) {
    error_ = errno;
    abort();
    return false;
  }
  ::fstat(fd_, &written_);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0 && !special_) {
    error_ = errno;
    abort();
    return false;
  }
  // Only now that the new contents are on disk does the backup go.
  if (!backup_.empty()) ::unlink(backup_.c_str());
  backup_.clear();
  touched_ = false;
  return true;
}

void AtomicFile::abortInPlace() {
  bool restored = true;
  if (touched_ && !backup_.empty()) {
    if (fd_ < 0) fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    restored = fd_ >= 0 && !gFailRestores.load() && copyBack(backup_, fd_, oldSize_);
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!backup_.empty()) {
    if (restored) ::unlink(backup_.c_str());
    else keptBackup_ = backup_;
  }
  backup_.clear();
  touched_ = false;
}

void AtomicFile::abort() {
  if (inPlace_) {
    abortInPlace();
    buffer_.clear();
    return;
  }
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

std::string saveBackupDir() {
  if (const char* x = std::getenv("XDG_STATE_HOME"); x && *x == '/') return joinPath(x, "plicato");
  const char* home = std::getenv("HOME");
  return joinPath(joinPath(home && *home ? home : "/tmp", ".local/state"), "plicato");
}

mode_t processUmask() { return gUmask; }

void failSaveWritesAfter(long long bytes, bool restoresToo) {
  gFailAfter = bytes;
  gFailRestores = bytes >= 0 && restoresToo;
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

// Saving that never destroys the old file before the new one is complete.
//
// Usually the data goes to a temporary file in the same directory, is
// flushed to disk, and is then renamed over the old file. Where a rename
// would not do (the directory takes no new files, the file has more than
// one hard link, its owner could not be kept, or it is no plain file) the
// file is written in place: its old contents are first copied to a backup
// in the user's state directory, which is removed only once the new
// contents are on disk and is copied back when the write fails.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile() { abort(); }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Starts writing `path`. A symbolic link is followed to its target. A file
  // that exists and may not be written is refused (EACCES), as is a
  // directory. False with errno-style errorNumber() on failure.
  bool open(const std::string& path);
  bool write(const void* data, size_t n);
  bool write(const std::string& s) { return write(s.data(), s.size()); }
  // Flushes and makes the new contents the file's, keeping its mode bits,
  // owner and group where the process may set them.
  bool commit();
  // Drops what was written; the old file stays (or is put back) as it was.
  void abort();

  int errorNumber() const { return error_; }
  // The system's text for the last error.
  std::string errorText() const;
  const std::string& target() const { return target_; }
  // Whether this save writes the file in place.
  bool inPlace() const { return inPlace_; }
  // After an in-place write that failed and whose old contents could not
  // be put back: the backup that holds them. Empty otherwise.
  const std::string& keptBackup() const { return keptBackup_; }
  // Why a save in place was refused before it wrote anything, when the
  // error alone does not tell: the backup could not be made. Else empty.
  const std::string& refusal() const { return refusal_; }
  // The file as it stands after a commit (device, inode, size, time).
  const struct stat& written() const { return written_; }

 private:
  bool flushBuffer();
  bool writeOut(const char* p, size_t n);
  bool openInPlace(const struct stat& st);
  bool commitInPlace();
  void abortInPlace();

  int fd_ = -1;
  int error_ = 0;
  std::string target_;
  std::string temp_;
  std::string buffer_;
  bool inPlace_ = false;
  bool special_ = false;  // a device or pipe: written as it is, no backup
  bool touched_ = false;  // the target's own bytes were written to
  mode_t mode_ = 0;
  off_t oldSize_ = 0;
  off_t length_ = 0;
  off_t writebackFrom_ = 0;  // bytes before this were handed to the disk already
  std::string backup_;
  std::string keptBackup_;
  std::string refusal_;
  struct stat written_ {};
};

// Where in-place saves keep their backups: $XDG_STATE_HOME/plicato, by
// default ~/.local/state/plicato.
std::string saveBackupDir();
// The process's file creation mask, read once when the program starts.
mode_t processUmask();

// Tests only: every write of a save fails with ENOSPC once this many bytes
// went to the file (or its temporary file), and with restoresToo so does
// putting an in-place save's old contents back; negative turns it off.
void failSaveWritesAfter(long long bytes, bool restoresToo = false);

// Whole-file convenience; error gets the system's text on failure.
bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error);
// Reads a whole plain file; false when it cannot be opened or read, or is
// no plain file (a directory, a pipe, a device).
bool readWholeFile(const std::string& path, std::string& out);

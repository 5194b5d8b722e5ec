// Saving that never destroys the old file before the new one is complete:
// the data goes to a temporary file in the same directory, is flushed to
// disk, and is then renamed over the old file.
#pragma once

#include <string>

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
  // Flushes, keeps the old file's permissions, renames over it.
  bool commit();
  // Drops the temporary file; the old file stays as it was.
  void abort();

  int errorNumber() const { return error_; }
  // The system's text for the last error.
  std::string errorText() const;
  const std::string& target() const { return target_; }

 private:
  bool flushBuffer();

  int fd_ = -1;
  int error_ = 0;
  std::string target_;
  std::string temp_;
  std::string buffer_;
};

// Whole-file convenience; error gets the system's text on failure.
bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error);
// Reads a whole plain file; false when it cannot be opened or read, or is
// no plain file (a directory, a pipe, a device).
bool readWholeFile(const std::string& path, std::string& out);

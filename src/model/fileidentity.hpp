// What a window knows of its file on disk: the file's identity when the
// window last read or saved it, so that a save can tell whether another
// program changed the file meanwhile (a formatter, a checkout, a
// colleague's editor) before it writes over that change.
#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>

struct LineStore;

struct FileIdentity {
  std::string path;     // the file it belongs to; empty: nothing known
  bool exists = false;  // the file was there
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t mtimeNs = 0;  // modification time in nanoseconds

  // The same file in the same state (the path is not compared).
  bool sameAs(const FileIdentity& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && mtimeNs == other.mtimeNs;
  }
};

// The file at path as it is now (exists false when it is not there).
FileIdentity identityOf(const std::string& path);
FileIdentity identityOf(const std::string& path, const struct stat& st);

// Remembers the identity as the window's view of its own file.
void rememberDisk(LineStore& w, const FileIdentity& id);
// After the window read its own file: seen is the identity its path had
// just before the read, kept when the read took that file (a change made
// while the file was read then still shows at the next save).
void rememberRead(LineStore& w, const FileIdentity& seen);
// Whether the window's own file at path was changed on disk since the
// window read or saved it. A file that is gone counts as unchanged (a
// save writes it again), as does one the window knows nothing of.
bool changedOnDisk(const LineStore& w, const std::string& path);
// The same for the window's own file as last read or saved.
bool changedOnDisk(const LineStore& w);


#include "model/fileidentity.hpp"

#include "model/linestore.hpp"

FileIdentity identityOf(const std::string& path, const struct stat& st) {
  FileIdentity id;
  id.path = path;
  id.exists = true;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<int64_t>(st.st_size);
  id.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return id;
}

FileIdentity identityOf(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    FileIdentity none;
    none.path = path;
    return none;
  }
  return identityOf(path, st);
}

void rememberDisk(LineStore& w, const FileIdentity& id) { w.diskIdentity = id; }

void rememberRead(LineStore& w, const FileIdentity& seen) {
  if (w.ioStatus == 2) return;
  w.diskIdentity = seen.path == w.fileName ? seen : identityOf(w.fileName);
}

bool changedOnDisk(const LineStore& w, const std::string& path) {
  const FileIdentity& known = w.diskIdentity;
  if (known.path.empty() || known.path != path) return false;
  const FileIdentity now = identityOf(path);
  return now.exists && !now.sameAs(known);
}

bool changedOnDisk(const LineStore& w) { return changedOnDisk(w, w.diskIdentity.path); }


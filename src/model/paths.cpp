#include "model/paths.hpp"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_programDir;
std::string g_configDir;

bool isDirectory(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeDirs(const std::string& p) {
  if (p.empty() || isDirectory(p)) return true;
  std::string parent = dirName(p);
  if (!parent.empty() && parent != p && !makeDirs(parent)) return false;
  return ::mkdir(p.c_str(), 0755) == 0 || isDirectory(p);
}

}  // namespace

std::string programDir() {
  if (!g_programDir.empty()) return g_programDir;
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    buf[n] = '\0';
    char real[PATH_MAX];
    std::string exe = ::realpath(buf, real) ? real : buf;
    g_programDir = dirName(exe);
  }
  if (g_programDir.empty()) g_programDir = ".";
  return g_programDir;
}

void setProgramDir(const std::string& dir) { g_programDir = dir; }

std::string configDir() {
  if (!g_configDir.empty()) return g_configDir;
  if (const char* e = std::getenv("PLICATO_CONFIG_DIR"); e && *e) return absolutePath(e);
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return joinPath(x, "plicato");
  const char* home = std::getenv("HOME");
  return joinPath(joinPath(home && *home ? home : ".", ".config"), "plicato");
}

void setConfigDir(const std::string& dir) { g_configDir = dir.empty() ? "" : absolutePath(dir); }

bool ensureConfigDir() { return makeDirs(configDir()); }

std::string dataFileForRead(const std::string& name) {
  std::string own = joinPath(configDir(), name);
  if (fileExists(own)) return own;
  return joinPath(programDir(), name);
}

std::string dataFileForWrite(const std::string& name) {
  ensureConfigDir();
  return joinPath(configDir(), name);
}

std::string profilePath() {
  std::string path = joinPath(configDir(), "PLICATO.INI");
  if (!fileExists(path)) {
    std::string shipped = joinPath(programDir(), "PLICATO.INI");
    if (fileExists(shipped) && ensureConfigDir()) {
      std::ifstream in(shipped, std::ios::binary);
      std::ofstream out(path, std::ios::binary);
      out << in.rdbuf();
    }
  }
  return path;
}

std::string registryPath() { return joinPath(configDir(), "registry.reg"); }

std::string normaliseSeparators(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool isAbsolutePath(const std::string& name) { return !name.empty() && name[0] == '/'; }

std::string dirName(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || isAbsolutePath(name)) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::string absolutePath(const std::string& path) {
  if (path.empty() || isAbsolutePath(path)) return path;
  char buf[PATH_MAX];
  if (!::getcwd(buf, sizeof buf)) return path;
  std::string p = path;
  while (p.rfind("./", 0) == 0) p = p.substr(2);
  return joinPath(buf, p);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

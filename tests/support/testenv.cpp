#include "support/testenv.hpp"

#include <dirent.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/paths.hpp"
#include "model/settings.hpp"

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "plicato-test-XXXXXX").string();
  char* p = ::mkdtemp(tmpl.data());
  path_ = p ? p : tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& content) const {
  writeFile(file(name), content);
}

std::string TempDir::read(const std::string& name) const { return readFile(file(name)); }

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") files[name] = readFile(dir + "/" + name);
    }
    ::closedir(d);
  }
  return files;
}

void PlicatoTest::SetUp() {
  // Saves that write a file in place keep their backups here, not in the
  // home directory.
  ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  setConfigDir(config.path());
  setProgramDir(PLICATO_BIN_DIR);
}

void PlicatoTest::TearDown() {
  ::unsetenv("XDG_STATE_HOME");
  setConfigDir("");
}

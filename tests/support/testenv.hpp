// Shared test fixtures: a private configuration directory, the program
// directory pointed at the build's bin/ (where the data files are copied),
// a BatchHost, and the editor's context over it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/context.hpp"
#include "platform/batchhost.hpp"

// A fresh temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;

 private:
  std::string path_;
};

class PlicatoTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  TempDir config;  // PLICATO.INI, registry.reg, lang.txt copies
  TempDir work;    // files the test reads and writes
  TempDir state;   // $XDG_STATE_HOME: backups of saves in place
  BatchHost host;
  // The editor's context of this test: its settings, search state,
  // keyboard and macros start fresh with every test.
  EditorContext ctx{host};
  Settings& settings() { return ctx.settings; }
};

// Writes bytes to a file / reads a whole file (test helpers).
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
// Every file of a directory with its bytes, to tell what a step wrote.
std::map<std::string, std::string> snapshot(const std::string& dir);

// The fixture of the settings tests: PlicatoTest with the platform switch
// under the test's control and the store files at hand.
#pragma once

#include <cstdlib>
#include <string>

#include "app/settingsstore.hpp"
#include "model/paths.hpp"
#include "support/testenv.hpp"

class SettingsTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    ::unsetenv("PLICATO_WIN32S");
    setSystemColourSource(nullptr);
  }
  void TearDown() override {
    ::unsetenv("PLICATO_WIN32S");
    setSystemColourSource(nullptr);
    PlicatoTest::TearDown();
  }
  static void useWin32s(bool on) {
    if (on)
      ::setenv("PLICATO_WIN32S", "1", 1);
    else
      ::unsetenv("PLICATO_WIN32S");
  }
  std::string registryText() const { return readFile(registryPath()); }
  std::string iniText() const { return readFile(profilePath()); }
};

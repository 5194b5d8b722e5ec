// An editor's context as the program makes it: every layer's part (the
// settings, the search state, the keyboard and the macros) and the
// application that runs the windows. BatchSession and the desktop program
// each make one; so does every test.
#pragma once

#include "commands/context.hpp"

class Application;

struct EditorContext : CommandContext {
  explicit EditorContext(Host& h) : CommandContext(h) {}
  Application* application = nullptr;  // set while one runs
};

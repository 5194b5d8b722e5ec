// The commands' part of an editor's context: the key table in force, the
// key-sequence tree built from it and the keyboard macros.
#pragma once

#include "commands/keytable.hpp"
#include "commands/keytree.hpp"
#include "commands/macros.hpp"
#include "engine/context.hpp"
#include "engine/view.hpp"

struct CommandContext : EngineContext {
  explicit CommandContext(Host& h) : EngineContext(h) {}
  KeyTableInForce keys;
  KeyTree keyTree;
  Macros macros;
};

// The context a window that runs commands was made with. Every such
// window is made with one (the application's, a batch session's, a
// test's); a window's EngineContext is always part of a CommandContext.
inline CommandContext& commandContext(View& w) { return static_cast<CommandContext&>(w.ctx); }
inline const CommandContext& commandContext(const View& w) {
  return static_cast<const CommandContext&>(w.ctx);
}

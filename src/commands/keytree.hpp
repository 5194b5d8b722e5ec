// The key-sequence tree: the bindings of the command-key table in force as
// a tree of byte slots, matched one byte at a time.
//
// Slots come from a fixed pool of 128; the root is a slot of its own. Every
// special key shares the prefix slot of the byte 0, so a compiled-in layout
// takes 87 slots.
#pragma once

#include <array>
#include <cstdint>

#include "commands/keytable.hpp"
#include "platform/host.hpp"

struct KeySlot {
  int32_t command = 0;       // bound to the sequence ending here; 0 = none
  int32_t key = 0;           // the byte leading here from the parent
  int32_t nextSibling = -1;  // slot index, -1 = none
  int32_t firstChild = -1;
};

// Results of matchByte besides a command number.
constexpr int kNoBinding = 0;
constexpr int kIncomplete = 1;

class KeyTree {
 public:
  static constexpr int kPoolSize = 128;

  // Zeroed root, then the entries in table order, then matchState = root.
  // A full pool ends the process (exit code 0), a duplicate sequence ends
  // it with the entry's position; a binding that is a prefix of longer ones
  // is reported and kept.
  void build(const CommandKeyTable& table, Host& host);
  // Drops the tree; until the next build every byte is unbound.
  void free();
  bool built() const { return built_; }

  // One step of the matcher: kNoBinding, kIncomplete or the command.
  int matchByte(uint8_t key);
  // Forgets a sequence in progress.
  void resetMatch() { matchState_ = kRoot; }
  bool atRoot() const { return matchState_ == kRoot; }

  int used() const { return used_; }
  int reused() const { return reused_; }

  // The command bound to a whole sequence, without disturbing matchState;
  // 0 when none (tests and the help text use it).
  int lookup(const uint8_t* bytes, int count) const;

 private:
  static constexpr int kRoot = kPoolSize;  // the root sits after the pool

  int findChild(int parent, int key) const;
  int descend(int from, int key, Host& host);

  std::array<KeySlot, kPoolSize + 1> slots_{};
  int used_ = 0;
  int reused_ = 0;
  int matchState_ = kRoot;
  bool built_ = false;
};

struct CommandContext;

// Frees the context's tree and builds it again from its table in force.
void rebuildKeyTree(CommandContext& ctx);
// Start-up: copies the table of the layout setting and builds the tree.
void startKeyboard(CommandContext& ctx, int layout);
// The options page changed the layout: copies its table (none for "User
// defined") and rebuilds the tree.
void changeLayout(CommandContext& ctx, int layout);

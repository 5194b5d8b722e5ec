#include "commands/keytree.hpp"

#include "commands/context.hpp"

#include <cstdio>
#include <string>

namespace {

std::string format2(const char* fmt, int a, int b) {
  char buf[96];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

std::string format1(const char* fmt, int a) {
  char buf[96];
  std::snprintf(buf, sizeof buf, fmt, a);
  return buf;
}

}  // namespace

int KeyTree::findChild(int parent, int key) const {
  for (int s = slots_[parent].firstChild; s >= 0; s = slots_[s].nextSibling)
    if (slots_[s].key == key) return s;
  return -1;
}

int KeyTree::descend(int from, int key, Host& host) {
  int found = findChild(from, key);
  if (found >= 0) {
    ++reused_;
    return found;
  }
  if (used_ >= kPoolSize) {
    host.statusMessage("Warning: insufficient space for key slot");
    host.exitProcess(0);
  }
  int s = used_++;
  slots_[s] = KeySlot{};
  slots_[s].key = key;
  // New bindings go last so that siblings keep table order.
  int last = slots_[from].firstChild;
  if (last < 0) {
    slots_[from].firstChild = s;
  } else {
    while (slots_[last].nextSibling >= 0) last = slots_[last].nextSibling;
    slots_[last].nextSibling = s;
  }
  return s;
}

void KeyTree::build(const CommandKeyTable& table, Host& host) {
  // The pool is static: a rebuild after a layout change starts it afresh.
  used_ = 0;
  reused_ = 0;
  slots_[kRoot] = KeySlot{};
  built_ = true;
  for (int n = 0; n < kKeyTableEntries; ++n) {
    const CommandKey& entry = table[n];
    int at = kRoot;
    if (entry.kind == kSpecialKey) at = descend(at, 0, host);
    at = descend(at, entry.code, host);
    KeySlot& slot = slots_[at];
    if (slot.command != 0) {
      host.statusMessage(format2("Duplicate key sequence %d and %d.", entry.command, slot.command));
      host.exitProcess(n);
    }
    if (slot.firstChild >= 0)
      host.statusMessage(format1("Warning: Key %d masks other keys", entry.command));
    slot.command = entry.command;
  }
  matchState_ = kRoot;
}

void KeyTree::free() {
  slots_[kRoot] = KeySlot{};
  used_ = 0;
  reused_ = 0;
  matchState_ = kRoot;
  built_ = false;
}

int KeyTree::matchByte(uint8_t key) {
  int s = findChild(matchState_, key);
  if (s >= 0 && slots_[s].command != 0) {
    matchState_ = kRoot;
    return slots_[s].command;
  }
  if (s >= 0 && slots_[s].firstChild >= 0) {
    matchState_ = s;
    return kIncomplete;
  }
  matchState_ = kRoot;
  return kNoBinding;
}

int KeyTree::lookup(const uint8_t* bytes, int count) const {
  int at = kRoot;
  for (int i = 0; i < count; ++i) {
    at = findChild(at, bytes[i]);
    if (at < 0) return 0;
  }
  return at == kRoot ? 0 : slots_[at].command;
}

void rebuildKeyTree(CommandContext& ctx) {
  ctx.keyTree.free();
  ctx.keyTree.build(ctx.keys.table(), ctx.host);
}

void startKeyboard(CommandContext& ctx, int layout) {
  ctx.keys.selectStartupLayout(layout);
  rebuildKeyTree(ctx);
}

void changeLayout(CommandContext& ctx, int layout) {
  ctx.keys.applyLayoutTable(layout);
  rebuildKeyTree(ctx);
}

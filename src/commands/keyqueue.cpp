#include "commands/keyqueue.hpp"

#include <cstdint>

#include "commands/context.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"

bool queueEntryKey(EditorView& w, int entry) {
  const CommandKey k = commandContext(w).keys.entry(entry);
  if (k.command == 0) return false;
  const uint8_t code = static_cast<uint8_t>(k.code);
  return k.kind == kSpecialKey ? w.queueKey(code) : w.queueChar(code);
}

bool queueCommand(EditorView& w, int command) {
  const int entry = commandContext(w).keys.entryForCommand(command);
  return entry >= 0 && queueEntryKey(w, entry);
}

bool keyEndsMark(const KeyTableInForce& keys, int kind, int code) {
  const int entry = keys.find(kind, code);
  if (kind == kSpecialKey) return entry >= 0 && keys.endMarkFlag(entry);
  return entry < 0 || !keyKeepsMark(kCharKey, keys.entry(entry).command);
}

void installKeyHooks(EditorView& w) {
  const KeyTableInForce& keys = commandContext(w).keys;
  w.hooks.keyEndsMark = [&keys](int kind, int code) { return keyEndsMark(keys, kind, code); };
  w.hooks.queueCommand = [](View& v, int command) { return queueCommand(EditorView::of(v), command); };
}

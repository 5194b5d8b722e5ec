#include "commands/keyqueue.hpp"

#include <cstdint>

#include "commands/keytable.hpp"
#include "display/editorview.hpp"

bool queueEntryKey(EditorView& w, int entry) {
  const CommandKey k = commandKeyOfEntry(entry);
  if (k.command == 0) return false;
  const uint8_t code = static_cast<uint8_t>(k.code);
  return k.kind == kSpecialKey ? w.queueKey(code) : w.queueChar(code);
}

bool queueCommand(EditorView& w, int command) {
  const int entry = entryForCommand(command);
  return entry >= 0 && queueEntryKey(w, entry);
}

bool keyEndsMark(int kind, int code) {
  const int entry = findEntry(kind, code);
  if (kind == kSpecialKey) return entry >= 0 && endMarkFlag(entry);
  return entry < 0 || !keyKeepsMark(kCharKey, commandKeyOfEntry(entry).command);
}

void installKeyHooks(EditorView& w) {
  w.hooks.keyEndsMark = keyEndsMark;
  w.hooks.queueCommand = [](View& v, int command) { return queueCommand(EditorView::of(v), command); };
}

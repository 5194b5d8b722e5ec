// Queueing a command the way a user gives it: through the key the table in
// force binds to it, so that it arrives through the key reader like any
// typed key (menus, the tool bar, double-clicks, a window asked to close).
#pragma once

class EditorView;
class KeyTableInForce;

// Queues the key of table entry n / of the first entry bound to the
// command; false when there is none or the key buffer is full.
bool queueEntryKey(EditorView& w, int entry);
bool queueCommand(EditorView& w, int command);

// Whether typing this key ends a mouse mark: a special key whose command
// does not keep it, or a character that is not copy, cut or paste block.
bool keyEndsMark(const KeyTableInForce& keys, int kind, int code);

// Gives the window what it asks of the key table: which typed keys end a
// mark, and the key of a command (the exit its close queues).
void installKeyHooks(EditorView& w);

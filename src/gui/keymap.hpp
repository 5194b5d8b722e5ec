// Qt key events as the key messages the core takes.
//
// A press becomes a key-down (a system key-down while Alt is held, and for
// F10), then the character message of a key that gives one; a release
// becomes a key-up. Modifier keys are keys too (VK_SHIFT, VK_CONTROL,
// VK_MENU). The messages are the same a key script gives for the key, so
// a key typed here takes the road a batch run tests.
#pragma once

#include <Qt>

#include "platform/keyscript.hpp"

class QKeyEvent;
class QString;
class EditorView;

// Virtual-key code of a Qt key (Qt::Key_*); 0 when the core has none.
int virtualKeyOf(int qtKey);

// The messages of a press. `refused` is set when the text holds a
// character outside Latin-1 (it is left out).
KeyStroke pressMessages(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                        bool* refused = nullptr);
// The message of a release (none for a key without a virtual key).
KeyStroke releaseMessages(int qtKey, Qt::KeyboardModifiers modifiers);

// Keys the frame keeps for itself wherever the keyboard is: Alt+F opens
// the File menu, Ctrl-Tab and Ctrl-Shift-Tab go to the next and the
// previous document window. The editor and its tree pane let them pass.
bool isFrameKey(int qtKey, Qt::KeyboardModifiers modifiers);

// Hands the messages to the window (keyDown, keyUp, charMessage).
void deliverMessages(EditorView& window, const KeyStroke& messages);

// A Qt key event to the window. Modifiers the window still believes held
// but the event says are up (released while another window had the focus)
// are released first, so that no state sticks. A refused character beeps.
// False when the event meant nothing to the editor.
bool keyPressToWindow(EditorView& window, const QKeyEvent& event);
// Auto-repeat releases are dropped: a held key repeats as presses only.
bool keyReleaseToWindow(EditorView& window, const QKeyEvent& event);

#include "gui/keymap.hpp"

#include <QKeyEvent>
#include <QString>

#include "display/keytranslate.hpp"
#include "display/editorview.hpp"
#include "platform/host.hpp"

namespace {

constexpr int kVkSpace = 0x20;
constexpr int kVkF10 = 0x79;

bool isModifierKey(int vk) { return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU; }

// Keys whose text Qt fills with control bytes or nothing: their character,
// if any, is the one Windows gives, not Qt's text.
bool hasFixedCharacter(int vk) {
  switch (vk) {
    case VK_BACK: case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_PRIOR: case VK_NEXT:
    case VK_END: case VK_HOME: case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_INSERT: case VK_DELETE:
      return true;
    default:
      return vk >= VK_F1 && vk <= VK_F12;
  }
}

int fixedCharacter(int vk) {
  switch (vk) {
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    default: return -1;
  }
}

}  // namespace

int virtualKeyOf(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return VK_A + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return VK_0 + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    default: return 0;
  }
}

KeyStroke pressMessages(int key, Qt::KeyboardModifiers mods, const QString& text, bool* refused) {
  if (refused) *refused = false;
  KeyStroke out;
  const int vk = virtualKeyOf(key);
  const bool ctrl = mods & Qt::ControlModifier;
  const bool alt = mods & Qt::AltModifier;

  if (vk == VK_MENU) return {{KeyMessage::SysKeyDown, VK_MENU}};
  if (vk == VK_SHIFT || vk == VK_CONTROL) return {{KeyMessage::KeyDown, vk}};

  const bool system = alt || (vk == kVkF10 && !ctrl);
  if (vk != 0) out.push_back({system ? KeyMessage::SysKeyDown : KeyMessage::KeyDown, vk});

  // The character the combination gives, as Windows sends it; Alt
  // combinations give system characters, which the editor ignores.
  if (alt) return out;
  if (ctrl) {
    if (vk == VK_BACK) out.push_back({KeyMessage::Char, 127});
    else if (vk >= VK_A && vk <= VK_A + 25) out.push_back({KeyMessage::Char, vk - VK_A + 1});
    else if (vk == VK_RETURN) out.push_back({KeyMessage::Char, 10});
    return out;
  }
  if (hasFixedCharacter(vk)) {
    if (int ch = fixedCharacter(vk); ch >= 0) out.push_back({KeyMessage::Char, ch});
    return out;
  }
  for (QChar c : text) {
    const ushort u = c.unicode();
    if (u > 0xFF) {
      if (refused) *refused = true;
      continue;
    }
    if (u < 32 || u == 127) continue;
    out.push_back({KeyMessage::Char, u});
  }
  return out;
}

KeyStroke releaseMessages(int key, Qt::KeyboardModifiers mods) {
  const int vk = virtualKeyOf(key);
  if (vk == 0) return {};
  const bool system = vk != VK_MENU && ((mods & Qt::AltModifier) ||
                                        (vk == kVkF10 && !(mods & Qt::ControlModifier)));
  return {{system ? KeyMessage::SysKeyUp : KeyMessage::KeyUp, vk}};
}

bool isFrameKey(int key, Qt::KeyboardModifiers mods) {
  const Qt::KeyboardModifiers m = mods & ~Qt::KeypadModifier;
  if (key == Qt::Key_F && (m & Qt::AltModifier)) return true;
  if (key == Qt::Key_Tab && m == Qt::ControlModifier) return true;
  // Shift turns Tab into Backtab on most keyboards, not on all.
  return (key == Qt::Key_Backtab || key == Qt::Key_Tab) &&
         m == (Qt::ControlModifier | Qt::ShiftModifier);
}

void deliverMessages(EditorView& w, const KeyStroke& messages) { deliverKeyMessages(w, messages); }

bool keyPressToWindow(EditorView& w, const QKeyEvent& e) {
  const Qt::KeyboardModifiers mods = e.modifiers();
  const int vk = virtualKeyOf(e.key());
  // A modifier released elsewhere never reached us: let it go now. (Held
  // modifiers are not pressed again: the core clears Ctrl after F5 and F6
  // on purpose, with the key still down.)
  if (w.keyState.ctrl && !(mods & Qt::ControlModifier) && vk != VK_CONTROL) keyUp(w, VK_CONTROL);
  if (w.keyState.shift && !(mods & Qt::ShiftModifier) && vk != VK_SHIFT) keyUp(w, VK_SHIFT);
  if (w.keyState.alt && !(mods & Qt::AltModifier) && vk != VK_MENU) keyUp(w, VK_MENU);

  bool refused = false;
  const KeyStroke messages = pressMessages(e.key(), mods, e.text(), &refused);
  deliverMessages(w, messages);
  if (refused) w.host.beep();
  return !messages.empty() || refused || isModifierKey(vk);
}

bool keyReleaseToWindow(EditorView& w, const QKeyEvent& e) {
  if (e.isAutoRepeat()) return true;
  const KeyStroke messages = releaseMessages(e.key(), e.modifiers());
  deliverMessages(w, messages);
  return !messages.empty();
}

#include "display/keytranslate.hpp"

#include "commandids/commandids.hpp"
#include "display/editorview.hpp"

namespace {

// Codes of one special key for the columns normal, shift, ctrl, alt.
struct SpecialKey {
  int vk;
  uint8_t code[4];
};

// The shift column of the navigation keys holds the keypad digit codes
// ('9' for PgUp, '3' for PgDn, ...), still sent behind a 0 byte.
constexpr SpecialKey kSpecialKeys[] = {
    {0x70, {0x3b, 0x54, 0x5e, 0x68}},  // F1
    {0x71, {0x3c, 0x55, 0x5f, 0x69}},  // F2
    {0x72, {0x3d, 0x56, 0x60, 0x6a}},  // F3
    {0x73, {0x3e, 0x57, 0x61, 0x6b}},  // F4
    {0x74, {0x3f, 0x58, 0x62, 0x6c}},  // F5
    {0x75, {0x40, 0x59, 0x63, 0x6d}},  // F6
    {0x76, {0x41, 0x5a, 0x64, 0x6e}},  // F7
    {0x77, {0x42, 0x5b, 0x65, 0x6f}},  // F8
    {0x78, {0x43, 0x5c, 0x66, 0x70}},  // F9
    {0x79, {0x44, 0x5d, 0x67, 0x71}},  // F10
    {0x7a, {0x85, 0x87, 0x89, 0x8b}},  // F11
    {0x7b, {0x86, 0x88, 0x8a, 0x8c}},  // F12
    {0x08, {0x00, 0x00, 0x00, 0x0e}},  // Backspace
    {0x09, {0x00, 0x0f, 0x94, 0xa5}},  // Tab
    {0x0d, {0x00, 0x00, 0x00, 0x1c}},  // Enter
    {0x1b, {0x00, 0x00, 0x00, 0x01}},  // Esc
    {0x21, {0x49, 0x39, 0x84, 0x99}},  // PgUp
    {0x22, {0x51, 0x33, 0x76, 0xa1}},  // PgDn
    {0x23, {0x4f, 0x31, 0x75, 0x9f}},  // End
    {0x24, {0x47, 0x37, 0x77, 0x97}},  // Home
    {0x25, {0x4b, 0x34, 0x73, 0x9b}},  // Left
    {0x26, {0x48, 0x38, 0x8d, 0x98}},  // Up
    {0x27, {0x4d, 0x36, 0x74, 0x9d}},  // Right
    {0x28, {0x50, 0x32, 0x91, 0xa0}},  // Down
    {0x2d, {0x52, 0x30, 0x92, 0xa2}},  // Ins
    {0x2e, {0x53, 0x2e, 0x93, 0xa3}},  // Del
};

// PC BIOS Alt scan codes of the digits 0..9 and the letters A..Z.
constexpr uint8_t kAltDigits[10] = {0x81, 0x78, 0x79, 0x7a, 0x7b, 0x7c, 0x7d, 0x7e, 0x7f, 0x80};
constexpr uint8_t kAltLetters[26] = {
    0x1e, 0x30, 0x2e, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1f, 0x14, 0x16, 0x2f, 0x11, 0x2d, 0x15, 0x2c};

}  // namespace

uint8_t altKeyCode(int vk) {
  if (vk >= VK_0 && vk <= VK_0 + 9) return kAltDigits[vk - VK_0];
  if (vk >= VK_A && vk <= VK_A + 25) return kAltLetters[vk - VK_A];
  return 0;
}

uint8_t specialKeyCode(const KeyState& state, int vk) {
  // Shift-Alt-Backspace has a code of its own (redo beside undo).
  if (state.alt && state.shift && !state.ctrl && vk == VK_BACK) return kShiftAltBackspaceCode;
  const int column = state.alt ? 3 : state.ctrl ? 2 : state.shift ? 1 : 0;
  uint8_t code = 0;
  for (const SpecialKey& k : kSpecialKeys)
    if (k.vk == vk) {
      code = k.code[column];
      break;
    }
  if (code == 0 && state.alt) code = altKeyCode(vk);
  return code;
}

bool keyDown(EditorView& w, int vk, bool system) {
  KeyState& s = w.keyState;
  switch (vk) {
    case VK_CONTROL: s.ctrl = true; return false;
    case VK_SHIFT: s.shift = true; return false;
    case VK_MENU:
      if (system && !s.alt) s.alt = true;
      return false;
    default: break;
  }
  // Alt+F belongs to the frame's menu: it clears Alt and queues nothing.
  if (system && vk == VK_F) {
    s.alt = false;
    return false;
  }
  const uint8_t code = specialKeyCode(s, vk);
  if (vk == VK_F5 || vk == VK_F6) s.ctrl = false;
  if (code == 0) return false;  // its character, if any, comes as a character message
  w.queueKey(code);
  return true;
}

void keyUp(EditorView& w, int vk) {
  KeyState& s = w.keyState;
  // Any key-up ends a running auto-scroll (the loop watches for one).
  if (w.autoScrollUp || w.autoScrollDown) w.stopAutoScroll();
  switch (vk) {
    case VK_SHIFT:
      s.shift = false;
      if (w.dragging) w.mouseUp();
      break;
    case VK_CONTROL: s.ctrl = false; break;
    case VK_MENU:
    case VK_ESCAPE: s.alt = false; break;
    default: break;
  }
}

bool charMessage(EditorView& w, uint8_t ch) { return w.queueChar(ch); }

void deliverKeyMessages(EditorView& w, const KeyStroke& messages) {
  for (const KeyMessage& m : messages) {
    switch (m.type) {
      case KeyMessage::KeyDown: keyDown(w, m.code, false); break;
      case KeyMessage::SysKeyDown: keyDown(w, m.code, true); break;
      case KeyMessage::KeyUp:
      case KeyMessage::SysKeyUp: keyUp(w, m.code); break;
      case KeyMessage::Char: charMessage(w, static_cast<uint8_t>(m.code)); break;
    }
  }
}

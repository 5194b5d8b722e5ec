// Translation of key presses into keyboard-buffer bytes.
//
// Input comes as the key messages of a PC keyboard: a virtual-key code on
// key-down (system key-down when Alt is involved) and key-up, and character
// messages. The desktop program and the batch driver map their own events
// onto these, so both feed the editor the same bytes. A special key is
// queued as the byte 0 and a PC extended scan code; a character as itself.
#pragma once

#include <cstdint>

#include "platform/keyscript.hpp"

class EditorView;

// Virtual-key codes used here (values as Windows defines them).
enum VirtualKey : int {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,  // Alt
  VK_ESCAPE = 0x1B,
  VK_PRIOR = 0x21,  // PgUp
  VK_NEXT = 0x22,   // PgDn
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_0 = 0x30,  // '0'..'9' follow
  VK_A = 0x41,  // 'A'..'Z' follow
  VK_F = 0x46,
  VK_Q = 0x51,
  VK_F1 = 0x70,
  VK_F5 = 0x74,
  VK_F6 = 0x75,
  VK_F12 = 0x7B,
};

// The modifier states the translation keeps between messages (per window).
struct KeyState {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// The scan code a virtual key gives under the modifier column (first of
// alt, ctrl, shift that is set, else normal), falling back to the Alt table
// of digits and letters while Alt is held; 0 = no code.
uint8_t specialKeyCode(const KeyState& state, int vk);
// The Alt table alone (digits and letters); 0 = none.
uint8_t altKeyCode(int vk);

// A key-down (system key-down when `system`): updates the modifier states
// and queues the key's two bytes when it has a code. True when bytes were
// offered to the buffer.
bool keyDown(EditorView& window, int vk, bool system);
// A key-up: clears modifier states; releasing Shift ends a mark drag as a
// button release would; any key-up ends a running auto-scroll.
void keyUp(EditorView& window, int vk);
// A character message: one byte.
bool charMessage(EditorView& window, uint8_t ch);

// Hands a key's messages (as a key script or a key mapping gives them) to
// the translation above, in order.
void deliverKeyMessages(EditorView& window, const KeyStroke& messages);

// Key scripts: the text form in which batch runs and tests type keys.
// Tokens are separated by whitespace: a key name (F1..F12, Enter, Esc, Tab,
// Backspace, Space, Ins, Del, Home, End, PgUp, PgDn, Up, Down, Left, Right,
// a letter A..Z or a digit 0..9), optionally prefixed by any of Shift-,
// Ctrl- and Alt- in any order (Ctrl-Shift-Tab is Shift-Ctrl-Tab); or a double-quoted string whose characters are typed (a
// backslash escapes a double quote or a backslash inside it). Names are
// read without regard to case. Each token becomes the messages a PC
// keyboard under Windows delivers for it, so the keys take the same road
// as real key presses.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct KeyMessage {
  enum Type { KeyDown, KeyUp, SysKeyDown, SysKeyUp, Char } type;
  int code;  // virtual-key code, or the character byte for Char
  bool operator==(const KeyMessage& o) const { return type == o.type && code == o.code; }
};

// The messages of one token.
using KeyStroke = std::vector<KeyMessage>;

// Parses a script; nullopt with a message naming the bad token on error.
std::optional<std::vector<KeyStroke>> parseKeyScript(const std::string& script,
                                                     std::string* error);

// The messages for typing one character byte (Latin-1).
KeyStroke strokeForChar(unsigned char ch);

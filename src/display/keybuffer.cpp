#include "display/keybuffer.hpp"

bool KeyBuffer::putChar(uint8_t ch) {
  int next = (keyWrite + 1) % kSize;
  if (next == keyRead) return false;  // full: keyWrite stays, the byte is dropped
  keyBuf[keyWrite] = ch;
  keyWrite = next;
  return true;
}

bool KeyBuffer::putKey(uint8_t code) {
  if (room() < 2) return false;
  putChar(0);
  putChar(code);
  return true;
}

bool KeyBuffer::take(uint8_t& out) {
  if (bytesEmpty()) return false;
  out = keyBuf[keyRead];
  keyRead = (keyRead + 1) % kSize;
  return true;
}

bool KeyBuffer::putOwnCommand(int command) {
  if (!own_.empty() && own_.back() == command) return true;
  if (own_.size() >= kOwnCommands) return false;
  own_.push_back(command);
  return true;
}

bool KeyBuffer::takeOwnCommand(int& command) {
  if (own_.empty()) return false;
  command = own_.front();
  own_.pop_front();
  return true;
}

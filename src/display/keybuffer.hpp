// The keyboard ring buffer of an editor window: 1024 bytes, at most 1023
// waiting. A plain character is one byte; a special key is the byte 0 and a
// PC extended scan code, and is taken whole or refused whole.
//
// Beside the bytes the buffer holds the commands the editor gives itself
// (the refresh after a mark ended, ...). They follow from a key already
// read, so they are read before any byte still waiting, and they never go
// into a macro: replaying the keys that caused them causes them again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

class KeyBuffer {
 public:
  static constexpr int kSize = 1024;
  // The editor's own commands come one or two at a time; more waiting is
  // a loop feeding itself, and the surplus is dropped.
  static constexpr size_t kOwnCommands = 16;

  // Queue one character byte; false (nothing queued) when full.
  bool putChar(uint8_t ch);
  // Queue the special key 0, code; false (nothing queued) unless both fit.
  bool putKey(uint8_t code);
  // Nothing waiting: no byte and no command of the editor's own.
  bool empty() const { return bytesEmpty() && own_.empty(); }
  bool bytesEmpty() const { return keyRead == keyWrite; }
  int waiting() const { return (keyWrite - keyRead + kSize) % kSize; }
  int room() const { return kSize - 1 - waiting(); }
  // Next byte; false when no byte waits.
  bool take(uint8_t& out);
  // Drops every byte waiting (keyRead = keyWrite); the editor's own
  // commands stay, as no typing caused them.
  void clear() { keyRead = keyWrite; }

  // A command the editor gives itself; the same command already waiting
  // last is not queued twice. False when it was dropped.
  bool putOwnCommand(int command);
  bool takeOwnCommand(int& command);
  bool hasOwnCommands() const { return !own_.empty(); }

  std::array<uint8_t, kSize> keyBuf{};
  int keyWrite = 0;
  int keyRead = 0;

 private:
  std::deque<int> own_;
};

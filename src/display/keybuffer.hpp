// The keyboard ring buffer of an editor window: 1024 bytes, at most 1023
// waiting. A plain character is one byte; a special key is the byte 0 and a
// PC extended scan code, and is taken whole or refused whole.
#pragma once

#include <array>
#include <cstdint>

class KeyBuffer {
 public:
  static constexpr int kSize = 1024;

  // Queue one character byte; false (nothing queued) when full.
  bool putChar(uint8_t ch);
  // Queue the special key 0, code; false (nothing queued) unless both fit.
  bool putKey(uint8_t code);
  bool empty() const { return keyRead == keyWrite; }
  int waiting() const { return (keyWrite - keyRead + kSize) % kSize; }
  int room() const { return kSize - 1 - waiting(); }
  // Next byte; false when empty.
  bool take(uint8_t& out);
  // Drops everything waiting (keyRead = keyWrite).
  void clear() { keyRead = keyWrite; }

  std::array<uint8_t, kSize> keyBuf{};
  int keyWrite = 0;
  int keyRead = 0;
};

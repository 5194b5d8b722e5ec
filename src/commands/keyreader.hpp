// The key reader: raw bytes of a window's keyboard buffer to key values
// (commands 256..337 or text bytes) through the key-sequence tree, with the
// macro layer and one pushed-back value on top. This is what the line
// editor reads.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "commands/keytree.hpp"
#include "commands/macros.hpp"
#include "display/keybuffer.hpp"
#include "platform/host.hpp"

// What the reader keeps between reads; one per editor window, so that the
// bytes of one window's unfinished sequence never leak into another's.
struct KeyReaderState {
  static constexpr int kSequenceSize = 40;
  std::array<uint8_t, kSequenceSize> sequence{};
  int sequenceLength = 0;  // bytes of the last unmatched sequence
  int readPosition = 0;    // next of them to hand out as text
  bool pushedBack = false;
  int pushedValue = 0;
  bool pushedIsCommand = false;
};

struct KeyValue {
  int value = 0;           // 0 only when the window stopped dispatching
  bool isCommand = false;  // set for 256 and above
  bool own = false;        // a command the editor gave itself, not a key
};

class KeyReader {
 public:
  // Waits for keys while the buffer is empty; false = stop dispatching.
  using WaitFn = std::function<bool()>;

  KeyReader(KeyReaderState& state, KeyBuffer& keys, WaitFn wait, Host& host,
            KeyTree& tree, Macros& store);

  // The pushed-back value if there is one, else a command the editor gave
  // itself (keys.putOwnCommand), else the macro layer's next.
  KeyValue read();
  // The next read returns this value first.
  void pushBack(int value, bool isCommand);
  // The key reader alone: a command, a text byte, or 0 when the wait said
  // stop. Unbound sequences that start with 0 or 1 and a lone Esc are
  // dropped.
  int readRaw();
  // The last read ended because the window stopped dispatching.
  bool stopped() const { return stopped_; }

 private:
  KeyReaderState& state_;
  KeyBuffer& keys_;
  WaitFn wait_;
  Host& host_;
  KeyTree& tree_;
  Macros& macros_;
  bool stopped_ = false;
  bool ownWaiting_ = false;  // readRaw gave way to a command of the editor's own
};

#include "commands/keyreader.hpp"

#include <utility>

KeyReader::KeyReader(KeyReaderState& state, KeyBuffer& keys, WaitFn wait, Host& host,
                     KeyTree& tree, Macros& store)
    : state_(state), keys_(keys), wait_(std::move(wait)), host_(host), tree_(tree),
      macros_(store) {}

void KeyReader::pushBack(int value, bool isCommand) {
  state_.pushedBack = true;
  state_.pushedValue = value;
  state_.pushedIsCommand = isCommand;
}

int KeyReader::readRaw() {
  stopped_ = false;
  KeyReaderState& s = state_;
  if (s.readPosition < s.sequenceLength) return s.sequence[s.readPosition++];

  for (;;) {
    s.sequenceLength = 0;
    s.readPosition = 0;
    int result;
    do {
      uint8_t byte;
      while (!keys_.take(byte)) {
        // A command the editor gave itself while we waited goes first; a
        // sequence half read waits for its own bytes.
        if (s.sequenceLength == 0 && keys_.hasOwnCommands()) {
          ownWaiting_ = true;
          return 0;
        }
        if (!wait_ || !wait_()) {
          // The tree is shared by all windows: an unfinished sequence must
          // not carry over into the next window's keys.
          tree_.resetMatch();
          s.sequenceLength = 0;
          stopped_ = true;
          return 0;
        }
      }
      if (s.sequenceLength < KeyReaderState::kSequenceSize)
        s.sequence[s.sequenceLength++] = byte;
      else
        s.sequence[KeyReaderState::kSequenceSize - 1] = byte;
      result = tree_.matchByte(byte);
    } while (result == kIncomplete);

    if (result != kNoBinding) {
      s.sequenceLength = 0;
      return result;
    }
    uint8_t first = s.sequence[0];
    if (first == 0 || first == 1 || first == 27) continue;  // unbound special key, or Esc
    s.readPosition = 1;
    return first;
  }
}

KeyValue KeyReader::read() {
  for (;;) {
    stopped_ = false;
    if (state_.pushedBack) {
      state_.pushedBack = false;
      return {state_.pushedValue, state_.pushedIsCommand};
    }
    // The editor's own commands pass the macro layer by: a macro holds the
    // keys that caused them.
    if (int own = 0; keys_.takeOwnCommand(own)) return {own, true, true};
    ownWaiting_ = false;
    const int v = macros_.next([this] { return readRaw(); }, host_);
    if (v == 0 && ownWaiting_) continue;
    return {v, v >= kFirstCommand};
  }
}



// The macro file reader: any bytes as plicato.rc. Every macro kept must
// hold only values a recording can hold, playing each back must give
// exactly its values, and the file the macros write must read back to the
// same macros.
#include <string>

#include "commands/keytable.hpp"
#include "commands/macros.hpp"
#include "fuzzsupport.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  FuzzHost host;
  ScopedHost scope(host);
  const std::string path = writeScratch("plicato.rc", data, size);

  Macros m;
  fuzzCheck(m.loadFrom(path, host), "a readable macro file was not read");
  for (int k = 0; k < kMacroCount; ++k) {
    fuzzCheck(m.length(k) >= 0 && m.length(k) <= kMacroLength, "a macro's length is in range");
    for (int i = 0; i < m.length(k); ++i)
      fuzzCheck(isRecordableValue(m.value(k, i)), "a macro holds a value no recording makes");
  }

  // Playing macro k gives its values, then the keyboard again.
  for (int k = 0; k < kMacroCount; ++k) {
    if (m.length(k) == 0) continue;
    host.queueAnswer(std::to_string(k));
    bool asked = false;
    auto keyboard = [&]() -> int {
      if (!asked) {
        asked = true;
        return static_cast<int>(cmdCallMacro);
      }
      return 'z';
    };
    fuzzCheck(m.next(keyboard, host) == cmdCallMacro, "call macro reaches the dispatcher");
    for (int i = 0; i < m.length(k); ++i)
      fuzzCheck(m.next(keyboard, host) == m.value(k, i), "playback gives the recorded values");
    fuzzCheck(m.next(keyboard, host) == 'z', "playback ends at the recorded length");
    break;  // one playback per input keeps the runs short
  }

  const std::string written = m.fileText();
  Macros again;
  fuzzCheck(again.loadFrom(writeScratch("again.rc", written), host), "the written file reads");
  fuzzCheck(again.fileText() == written, "the written macros do not read back to themselves");
  return 0;
}

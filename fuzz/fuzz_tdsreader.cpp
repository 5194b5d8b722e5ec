// The TDS fold reader: the data after a begin token, so every input takes
// the binary path (strings, numbers, folds, filed folds, damaged tokens).
#include "fuzzsupport.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  std::string file(1, '\x80');  // begin
  file.append(reinterpret_cast<const char*>(data), size);
  const WindowSpec& tds = kConventions[7];
  foldRoundTrip(tds, writeScratch("in.tsr", file));
  return 0;
}

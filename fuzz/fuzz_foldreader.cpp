// The text fold reader: any bytes as a source file, in one of several
// comment conventions (block and line comments, Fortran, no comment signs,
// a user's), with COMMENT folds, filed folds, attribute, file and
// declaration lines coming from the data.
//
// Input: byte 0 chooses the convention, byte 1 the tab size; the rest is
// the file.
#include "fuzzsupport.hpp"
#include "model/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  if (size < 2) return 0;
  const WindowSpec& conv = kConventions[data[0] % kConventionCount];
  foldRoundTrip(conv, writeScratch(std::string("in") + conv.extension, data + 2, size - 2),
                1 + data[1] % 20);
  return 0;
}

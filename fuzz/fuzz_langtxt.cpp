// The language list reader: any bytes as lang.txt. Windows get their
// conventions from the rows it keeps (asking the user for an extension no
// row knows, which adds a row and writes the list), and the list's own
// text must read back to the same list.
#include <string>

#include "fuzzsupport.hpp"
#include "model/filetypes.hpp"
#include "model/linestore.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  FuzzHost host;
  ModelContext ctx(host);
  ScopedHost scope(host);
  LanguageList langs;
  langs.parse(std::string(reinterpret_cast<const char*>(data), size));
  fuzzCheck(langs.size() <= LanguageList::kMaxRows, "at most 100 rows");
  for (const Language& row : langs.rows())
    fuzzCheck(row.commentStart.size() <= kCommentFieldBytes && row.commentEnd.size() <= kCommentFieldBytes,
              "comment signs fit their fields");
  (void)langs.filterText();

  // Reading the list's text again gives rows that write the same text.
  const std::string written = langs.serialise();
  LanguageList again;
  again.parse(written);
  LanguageList third;
  third.parse(again.serialise());
  fuzzCheck(third.serialise() == again.serialise(), "the list's text does not settle");

  host.queueAnswer("name=Fz;start=<<;end=>>");
  for (const char* ext : {".c", ".h", ".occ", ".pas", ".f", ".tsr", "", ".zz", "."}) {
    LineStore w(ctx);
    setConvention(w, ext, nullptr, langs);
    fuzzCheck(w.commentStart.size() <= kCommentFieldBytes && w.commentEnd.size() <= kCommentFieldBytes,
              "comment signs fit their fields");
    fuzzCheck(w.fileTypeName.size() <= kTypeNameBytes, "the type name fits its field");
  }
  return 0;
}

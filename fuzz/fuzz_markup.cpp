// The highlighting-file (.mrk) loader: any bytes as a keyword table. The
// table it builds is then used the way the editor uses it: each line of
// the data and a few lines of C are painted in every paint mode and from
// several positions, line states are carried from line to line, and the
// table writer's text must load back to a table it writes the same way.
//
// Input: byte 0 bit 0 loads the table as the fallback ("allother.mrk");
// the rest is the file.
#include <string>
#include <vector>

#include "display/highlight.hpp"
#include "fuzzsupport.hpp"
#include "model/markup.hpp"
#include "model/settings.hpp"

namespace {

std::vector<std::string> linesOf(const std::string& s) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < s.size() && out.size() < 64) {
    size_t nl = s.find('\n', pos);
    if (nl == std::string::npos) nl = s.size();
    std::string line = s.substr(pos, nl - pos);
    // Line texts end at their first NUL in the editor.
    line = line.substr(0, line.find('\0'));
    out.push_back(line);
    pos = nl + 1;
  }
  return out;
}

std::string writtenText(const MarkUpHash& t) {
  std::array<const MarkUpItem*, kMarkUpSlots> slots{};
  for (size_t k = 0; k < slots.size(); ++k) slots[k] = t.slots[k].get();
  std::vector<const MarkUpItem*> keywords;
  for (const auto& kw : t.keywords) keywords.push_back(kw.get());
  return serialiseMarkUp(slots, keywords, &t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  if (size < 1) return 0;
  FuzzHost host;
  ScopedHost scope(host);
  const std::string name = (data[0] & 1) ? "allother.mrk" : "fuzz.mrk";
  const std::string content(reinterpret_cast<const char*>(data + 1), size - 1);

  MarkUpHash table;
  parseMarkUp(table, name, content, host);
  fuzzCheck(table.slot(kPlainText) && table.slot(kSelecText), "plain and selected slots are filled");

  Settings settings;
  settings.syntaxHighlighting = true;
  settings.highlightUnknownFiles = true;
  std::vector<std::string> lines = linesOf(content);
  for (const char* c : {"int main(void) { /* a */ return 0; }", "#define X 1", "a//b /*/ c */",
                        "   {{{  fold", "}}}", "integer xint", ""})
    lines.push_back(c);
  uint32_t state = kStateNormal;
  for (const std::string& line : lines) {
    const int n = static_cast<int>(line.size());
    for (int mode = 0; mode <= 5; ++mode) {
      for (int from : {-1, 0, n / 2}) {
        RunRecorder dc;
        RowRecord row;
        paintLine(dc, 0, 0, line.c_str(), from, n, state, mode, &table, &row, settings);
        int drawn = 0;
        for (const auto& r : dc.runs) drawn += static_cast<int>(r.text.size());
        fuzzCheck(drawn <= n, "the painter drew more than the piece");
      }
    }
    state = nextState(state, line.c_str(), &table);
    fuzzCheck(state == kStateNormal || state == kStateInComment, "a computed state is 7 or 9");
  }

  // What the writer makes of the table loads back to the same text.
  std::string written = writtenText(table);
  MarkUpHash again;
  parseMarkUp(again, name, written, host);
  fuzzCheck(writtenText(again) == written, "a written table does not read back to itself");

  for (const auto& kw : table.keywords) {
    auto copy = copyEntry(*kw);
    fuzzCheck(copy->text.size() < kEntryBufferBytes, "a copied entry fits its buffer");
  }
  return 0;
}

#include "display/highlight.hpp"

#include <cstring>
#include <vector>

#include "model/settings.hpp"

namespace {

constexpr uint32_t kDefaultPlainText = 0x00FFFF;  // YELLOW
constexpr uint32_t kDefaultPlainBack = 0xFF0000;  // LIGHTBLUE
constexpr uint32_t kDefaultSelBack = 0x000000;

// One paint of one line: the runs go out left to right, each clipped to
// [from, count).
class Painter {
 public:
  Painter(Canvas& dc, const char* text, int from, int count, int mode, RowRecord* row)
      : dc_(dc), text_(text), from_(from), count_(count), mode_(mode), row_(row) {}

  // Draws [s, e) in the given colours; keepEntry leaves the colours alone.
  void run(int s, int e, uint32_t textColour, uint32_t backColour, int32_t code) {
    if (keepEntryColours_) {
      keepEntryColours_ = false;
      mode_ = kPaintNormal;
    } else if (mode_ == kPaintNormal) {
      dc_.setBackColour(backColour);
      dc_.setTextColour(textColour);
    } else {
      dc_.setTextColour(textColour);
    }
    if (e > count_) e = count_;
    int a = s > from_ ? s : from_;
    if (a < e) dc_.textOut(text_ + a, e - a);
    if (row_ && !recorded_) {
      recorded_ = true;
      row_->textColour = dc_.textColour();
      row_->backColour = dc_.backColour();
      row_->rowStyle = code;
    }
  }

  int mode() const { return mode_; }
  void setMode(int m) { mode_ = m; }
  void keepEntryColoursForFirstRun() { keepEntryColours_ = true; }

 private:
  Canvas& dc_;
  const char* text_;
  int from_;
  int count_;
  int mode_;
  RowRecord* row_;
  bool keepEntryColours_ = false;
  bool recorded_ = false;
};

// End of a block comment whose end text is searched from `at`: just after
// the end text, or count when the line has none.
int blockEnd(const char* text, int at, int count, const std::string& endText) {
  const char* p = std::strstr(text + at, endText.c_str());
  if (!p) return count;
  return static_cast<int>(p - text) + static_cast<int>(endText.size());
}

int leadingBlanks(const char* text) {
  int k = 0;
  while (text[k] == ' ' || text[k] == '\t') ++k;
  return k;
}

}  // namespace

uint32_t paintLine(Canvas& dc, int x, int y, const char* text, int from, int count,
                   uint32_t lineState, int paintMode, const MarkUpHash* table, RowRecord* row,
                   const Settings& settings) {
  if (!text) text = "";
  if (row) *row = RowRecord{0, 0, 0};
  dc.moveTo(x, y);
  const uint32_t savedText = dc.textColour();
  const uint32_t savedBack = dc.backColour();

  const int length = static_cast<int>(std::strlen(text));
  if (count > length) count = length;
  if (count < 0) count = 0;
  if (from < 0) from = 0;

  const Settings& set = settings;
  const bool plain = !set.syntaxHighlighting || !table ||
                     (table->isFallback && !set.highlightUnknownFiles);
  int mode = paintMode;
  if (plain) {
    // The colour scheme's colours: mode 0 is the selection, mode 2 keeps
    // what the context has, anything else is normal text.
    if (mode != kPaintTextOnly) {
      const bool selected = mode == kPaintSelected;
      dc.setBackColour(selected ? set.selectedBack : set.normalBack);
      dc.setTextColour(selected ? set.selectedText : set.normalText);
    }
    if (from < count) dc.textOut(text + from, count - from);
    if (row) *row = RowRecord{dc.textColour(), dc.backColour(), kRunPlain};
  } else {
    const MarkUpItem* plainSlot = table->slot(kPlainText);
    const MarkUpItem* selSlot = table->slot(kSelecText);
    const MarkUpItem* block = table->slot(kBegComment);
    const bool hasPair = table->hasBlockComment();
    const uint32_t plainText = plainSlot ? plainSlot->textColour : kDefaultPlainText;
    const uint32_t plainBack = plainSlot ? plainSlot->backColour : kDefaultPlainBack;
    const uint32_t blockText = block ? block->textColour : plainText;
    const uint32_t blockBack = block ? block->backColour : plainBack;

    uint32_t state = effectiveState(lineState);
    Painter p(dc, text, from, count, mode, row);
    int i = 0;
    bool done = false;
    switch (mode) {
      case kPaintSelected:
        dc.setBackColour(selSlot ? selSlot->backColour : kDefaultSelBack);
        break;
      case kPaintTextOnly:
        break;
      case kPaintWordGoesOn: {
        // A keyword cut by the row before goes on in the colours it had.
        p.keepEntryColoursForFirstRun();
        int w = 0;
        while (w < count && isWordChar(static_cast<unsigned char>(text[w]))) ++w;
        p.run(0, w, 0, 0, kRunKeyword);
        i = w;
        break;
      }
      case kPaintRunGoesOn:
        // A run to the end of the line goes on: the whole piece in the
        // colours of the row before, and the row after goes on the same way.
        p.keepEntryColoursForFirstRun();
        p.run(0, count, 0, 0, kRunToEnd);
        done = true;
        break;
      case kPaintCommentGoesOn:
        p.keepEntryColoursForFirstRun();
        state = kStateInComment;
        if (!hasPair) p.run(0, 0, 0, 0, kRunPlain);  // nothing to go on with
        break;
      default:  // normal, and any mode the painter does not know
        p.setMode(kPaintNormal);
        dc.setBackColour(plainBack);
        break;
    }

    const int firstText = leadingBlanks(text);
    int pending = i;
    if (!done && hasPair && state == kStateInComment) {
      int e = blockEnd(text, i, count, *block->endText);
      p.run(i, e, blockText, blockBack, kRunBlockComment);
      i = pending = e;
    } else if (!done && hasPair && state == kStateRecompute) {
      p.run(i, count, blockText, blockBack, kRunBlockComment);
      done = true;
    }

    while (!done && i < count) {
      const auto& bucket = table->buckets[static_cast<unsigned char>(text[i])];
      const bool boundary = i == 0 || !isWordChar(static_cast<unsigned char>(text[i - 1]));
      bool matched = false;
      for (const auto& entry : bucket) {
        const int32_t kind = entry->matchKind;
        if (!boundary && kind != kMatchBlockComment) continue;
        const std::string& t = entry->text;
        if (std::strncmp(text + i, t.c_str(), t.size()) != 0) continue;
        const int len = static_cast<int>(t.size());
        if (kind == kMatchBlockComment) {
          if (!hasPair) continue;  // never search for an end that is not there
          p.run(pending, i, plainText, plainBack, kRunPlain);
          int e = blockEnd(text, i + 1, count, *block->endText);
          p.run(i, e, blockText, blockBack, kRunBlockComment);
          i = pending = e;
          matched = true;
        } else if (kind == kMatchWord) {
          unsigned char after = static_cast<unsigned char>(text[i + len]);
          if (after != 0 && isWordChar(after)) continue;
          p.run(pending, i, plainText, plainBack, kRunPlain);
          p.run(i, i + len, entry->textColour, entry->backColour, kRunKeyword);
          i = pending = i + len;
          matched = true;
        } else if (kind == kMatchToEnd) {
          p.run(pending, i, plainText, plainBack, kRunPlain);
          p.run(i, count, entry->textColour, entry->backColour, kRunToEnd);
          done = true;
          matched = true;
        } else if (kind == kMatchLineIfFirst) {
          if (i > firstText) continue;  // something but blanks comes before
          p.run(pending, count, entry->textColour, entry->backColour, kRunToEnd);
          done = true;
          matched = true;
        }
        if (matched) break;
      }
      if (!matched) ++i;
    }
    if (!done) p.run(pending, count, plainText, plainBack, kRunPlain);
    mode = p.mode();
  }

  const uint32_t result = dc.backColour();
  if (mode != kPaintSelected) dc.setBackColour(savedBack);
  dc.setTextColour(savedText);
  return result;
}

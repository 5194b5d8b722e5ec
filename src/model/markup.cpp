#include "model/markup.hpp"

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <map>

#include "model/atomicfile.hpp"
#include "model/paths.hpp"
#include "platform/host.hpp"

const std::array<ColourName, 16> kColourNames = {{
    {"BLACK", 0x000000},
    {"BLUE", 0x800000},
    {"GREEN", 0x008000},
    {"CYAN", 0x808000},
    {"RED", 0x000080},
    {"MAGENTA", 0x800080},
    {"BROWN", 0x008080},
    {"LIGHTGRAY", 0xC0C0C0},
    {"DARKGRAY", 0x808080},
    {"LIGHTBLUE", 0xFF0000},
    {"LIGHTGREEN", 0x00FF00},
    {"LIGHTCYAN", 0xFFFF00},
    {"LIGHTRED", 0x0000FF},
    {"LIGHTMAGENTA", 0xFF00FF},
    {"YELLOW", 0x00FFFF},
    {"WHITE", 0xFFFFFF},
}};

const std::array<const char*, kMarkUpKinds> kKindNames = {
    "PLAIN_TEXT", "SELEC_TEXT", "COMMENT",   "BEG_COMMENT", "FOLDER",     "BEG_FOLDER",  "PREPROCESSOR",
    "END_COMMENT", "END_FOLDER", "NON_EXIST", "KEYWORD",     "ALL_STRING", "ALL_IF_FIRST",
};

const std::array<int32_t, kMarkUpKinds> kKindMatch = {
    kMatchToEnd,       kMatchToEnd,       kMatchToEnd,    kMatchBlockComment, kMatchLineIfFirst,
    kMatchLineIfFirst, kMatchLineIfFirst, kMatchNoColour, kMatchLineIfFirst,  kMatchNone,
    kMatchWord,        kMatchToEnd,       kMatchLineIfFirst,
};

namespace {

constexpr const char* kErrorCaption = "Plicato Error";
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kLightBlue = 0xFF0000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

bool startsWithText(const std::string& word, const char* prefix) {
  return word.compare(0, std::strlen(prefix), prefix) == 0;
}

std::vector<std::string> splitItems(const std::string& line, size_t maxItems) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < line.size() && items.size() < maxItems) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
    items.push_back(line.substr(i, j - i));
    i = j;
  }
  return items;
}

bool isBlankLine(const std::string& line) {
  for (char c : line)
    if (c != ' ' && c != '\t') return false;
  return true;
}

std::string format(const char* fmt, const std::string& a) {
  std::string out;
  size_t need = std::strlen(fmt) + a.size() + 1;
  out.resize(need);
  int n = std::snprintf(out.data(), need, fmt, a.c_str());
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

// Checks one line; "" when it is valid, else the reason.
std::string validate(const std::vector<std::string>& items, int& kind) {
  char buf[64];
  size_t len = items.empty() ? 0 : items[0].size();
  if (items.empty() || len > kMaxEntryText) {
    std::snprintf(buf, sizeof buf, "First item is too long, length = %zu ( must be <= %zu )", len,
                  kMaxEntryText);
    return buf;
  }
  if (items.size() < 2 || exactColourIndex(items[1]) < 0)
    return format("Second item isn't color name: %s", items.size() < 2 ? "" : items[1]);
  if (items.size() < 3 || exactColourIndex(items[2]) < 0)
    return format("Third item isn't color name: %s", items.size() < 3 ? "" : items[2]);
  kind = items.size() < 4 ? -1 : kindOfName(items[3]);
  if (kind < 0)
    return format("Forth item %s isn't equal one of the keywords.", items.size() < 4 ? "" : items[3]);
  return "";
}

void padTo(std::string& out, const std::string& s, size_t width) {
  out += s;
  if (s.size() < width) out.append(width - s.size(), ' ');
}

// "%-12.*s  %-16.16s  %-16.16s  %-16.16s" and CR LF.
void writtenLine(std::string& out, const std::string& text, uint32_t textColour,
                 uint32_t backColour, int kind) {
  padTo(out, text, 12);
  out += "  ";
  padTo(out, std::string(colourName(textColour, false)).substr(0, 16), 16);
  out += "  ";
  padTo(out, std::string(colourName(backColour, true)).substr(0, 16), 16);
  out += "  ";
  padTo(out, std::string(kKindNames[static_cast<size_t>(kind)]).substr(0, 16), 16);
  out += "\r\n";
}

bool defined(const MarkUpItem* item) {
  return item && !item->text.empty() && item->text != kUndefinedSlot;
}

std::unique_ptr<MarkUpItem> cloneItem(const MarkUpItem& item) {
  return std::make_unique<MarkUpItem>(item);
}

bool saveText(const std::string& fileName, const std::string& text, Host& host) {
  std::string path = dataFileForWrite(fileName);
  std::string error;
  if (writeFileAtomic(path, text, &error)) return true;
  host.messageBox("Can't write the file\n" + path + "\n" + error, kErrorCaption, MbButtons::Ok,
                  MbIcon::Exclamation);
  return false;
}

}  // namespace

MarkUpHash::MarkUpHash() { slotLine.fill(-1); }
MarkUpHash::~MarkUpHash() = default;

bool MarkUpHash::hasBlockComment() const {
  const MarkUpItem* s = slots[kBegComment].get();
  return s && !s->text.empty() && s->endText && !s->endText->empty();
}

void MarkUpHash::clear() {
  for (auto& s : slots) s.reset();
  keywords.clear();
  for (auto& b : buckets) b.clear();
  isFallback = false;
  lines.clear();
  slotLine.fill(-1);
  commentEndLine = -1;
  folderEndLine = -1;
}

const char* colourName(uint32_t colour, bool background) {
  for (const auto& c : kColourNames)
    if (c.value == colour) return c.name;
  return background ? "WHITE" : "BLACK";
}

uint32_t colourValue(const std::string& word, bool background) {
  for (const auto& c : kColourNames)
    if (startsWithText(word, c.name)) return c.value;
  return background ? kWhite : kBlack;
}

int exactColourIndex(const std::string& word) {
  for (size_t i = 0; i < kColourNames.size(); ++i)
    if (word == kColourNames[i].name) return static_cast<int>(i);
  return -1;
}

int kindOfName(const std::string& word) {
  for (size_t i = 0; i < kKindNames.size(); ++i)
    if (startsWithText(word, kKindNames[i])) return static_cast<int>(i);
  return -1;
}

void parseMarkUp(MarkUpHash& table, const std::string& fileName, const std::string& content,
                 Host& host) {
  table.clear();
  table.fileName = fileName;

  std::vector<std::string> raw;
  for (size_t pos = 0; pos < content.size();) {
    size_t nl = content.find('\n', pos);
    size_t end = nl == std::string::npos ? content.size() : nl;
    std::string line = content.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A line ends at a NUL byte, as the text it is matched against does: a
    // keyword holding one would compare equal up to the NUL and then be
    // taken as longer than the line.
    line.resize(std::min(line.size(), line.find('\0')));
    raw.push_back(std::move(line));
    pos = end + 1;
  }

  // First pass: every refused line is reported before the table is built.
  struct Checked {
    std::vector<std::string> items;
    int kind = -1;
    bool blank = false;
  };
  std::vector<Checked> checked(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    Checked& c = checked[i];
    // Blank lines carry no entry; they are passed over without a message.
    if (isBlankLine(raw[i])) {
      c.blank = true;
      continue;
    }
    c.items = splitItems(raw[i], 4);
    std::string why = validate(c.items, c.kind);
    if (!why.empty()) {
      c.kind = -1;
      char head[96];
      std::snprintf(head, sizeof head, "Invalid string number %zu in the FILE_TYPE file ", i);
      host.messageBox(head + fileName + "\n" + why + "\nString will be ignored.", kErrorCaption,
                      MbButtons::Ok, MbIcon::Exclamation);
    }
  }

  // Second pass.
  for (size_t i = 0; i < raw.size(); ++i) {
    const Checked& c = checked[i];
    if (c.blank) continue;
    int32_t lineIndex = static_cast<int32_t>(table.lines.size());
    table.lines.push_back({c.kind, raw[i]});
    if (c.kind < 0) continue;
    const int k = c.kind;
    const std::string& text = c.items[0];

    auto item = std::make_unique<MarkUpItem>();
    item->text = text;
    item->textColour = colourValue(c.items[1], false);
    item->backColour = colourValue(c.items[2], true);
    item->matchKind = kKindMatch[static_cast<size_t>(k)];
    item->kind = k;
    item->sourceLine = lineIndex;

    if (k < kMarkUpSlots) {
      table.slots[static_cast<size_t>(k)] = cloneItem(*item);
      table.slotLine[static_cast<size_t>(k)] = lineIndex;
      if (k == kBegComment) table.commentEndLine = -1;
      if (k == kBegFolder) table.folderEndLine = -1;
    } else if (k == kKeyword) {
      table.keywords.push_back(cloneItem(*item));
    } else if (k == kEndComment || k == kEndFolder) {
      const int begin = k == kEndComment ? kBegComment : kBegFolder;
      auto& owner = table.slots[static_cast<size_t>(begin)];
      if (!owner) {
        host.messageBox(k == kEndComment
                            ? "END_COMMENT must follow in FILE_TYPES file after BEG_COMMENT.\n"
                              "END_COMMENT ignored"
                            : "END_FOLDER must follow in FILE_TYPES file after BEG_FOLDER.\n"
                              "END_FOLDER ignored",
                        kErrorCaption, MbButtons::Ok, MbIcon::Exclamation);
        table.lines.back().kind = -1;  // kept in the file as it was
        continue;
      }
      owner->endText = text;
      (k == kEndComment ? table.commentEndLine : table.folderEndLine) = lineIndex;
    }
    if (k != kPlainText && k != kSelecText)
      table.buckets[static_cast<unsigned char>(text[0])].push_back(std::move(item));
  }

  if (!table.slots[kPlainText]) {
    table.slots[kPlainText] = constructEntry(".", std::nullopt, kYellow, kLightBlue);
    table.slots[kPlainText]->kind = kPlainText;
    table.slots[kPlainText]->matchKind = kMatchToEnd;
  }
  if (!table.slots[kSelecText]) {
    table.slots[kSelecText] = constructEntry(".", std::nullopt, kWhite, kBlack);
    table.slots[kSelecText]->kind = kSelecText;
    table.slots[kSelecText]->matchKind = kMatchToEnd;
  }
  table.isFallback = fileName == "allother.mrk";
}

std::optional<std::string> loadMarkUp(MarkUpHash& table, const std::string& fileName,
                                      Host& host) {
  std::string path = dataFileForRead(fileName);
  std::string content;
  if (!readWholeFile(path, content)) {
    table.clear();
    table.fileName = fileName;
    return "File \n" + path + "\ndoesn't exist or isn't accessible.";
  }
  parseMarkUp(table, fileName, content, host);
  return std::nullopt;
}

std::string serialiseMarkUp(const std::array<const MarkUpItem*, kMarkUpSlots>& slots,
                            const std::vector<const MarkUpItem*>& keywords,
                            const MarkUpHash* loaded) {
  std::string out;
  auto slotWithEnd = [&](int k) {
    const MarkUpItem* s = slots[static_cast<size_t>(k)];
    writtenLine(out, s->text, s->textColour, s->backColour, k);
  };
  auto endLine = [&](int k) {
    const MarkUpItem* s = slots[static_cast<size_t>(k)];
    if (!s->endText || s->endText->empty()) return;
    writtenLine(out, *s->endText, s->textColour, s->backColour,
                k == kBegComment ? kEndComment : kEndFolder);
  };
  auto endLineOf = [&](int k) -> int32_t {
    if (!loaded) return -1;
    return k == kBegComment ? loaded->commentEndLine : loaded->folderEndLine;
  };

  // Slots the file did not have come first, in slot order.
  for (int k = 0; k < kMarkUpSlots; ++k) {
    if (!defined(slots[static_cast<size_t>(k)])) continue;
    if (loaded && loaded->slotLine[static_cast<size_t>(k)] >= 0) continue;
    slotWithEnd(k);
    if (k == kBegComment || k == kBegFolder) endLine(k);
  }

  std::vector<bool> keywordWritten(keywords.size(), false);
  if (loaded) {
    std::map<int32_t, size_t> keywordAt;
    for (size_t i = 0; i < keywords.size(); ++i) {
      const MarkUpItem* kw = keywords[i];
      if (!kw || kw->sourceLine < 0 || kw->sourceLine >= static_cast<int32_t>(loaded->lines.size()))
        continue;
      if (loaded->lines[static_cast<size_t>(kw->sourceLine)].kind != kKeyword) continue;
      keywordAt.emplace(kw->sourceLine, i);  // the first keyword claims the place
    }
    for (int32_t li = 0; li < static_cast<int32_t>(loaded->lines.size()); ++li) {
      const MarkUpLine& line = loaded->lines[static_cast<size_t>(li)];
      int slotHere = -1;
      for (int k = 0; k < kMarkUpSlots; ++k)
        if (loaded->slotLine[static_cast<size_t>(k)] == li) slotHere = k;
      if (slotHere >= 0) {
        if (!defined(slots[static_cast<size_t>(slotHere)])) continue;
        slotWithEnd(slotHere);
        if ((slotHere == kBegComment || slotHere == kBegFolder) && endLineOf(slotHere) < 0)
          endLine(slotHere);
        continue;
      }
      if (li == loaded->commentEndLine || li == loaded->folderEndLine) {
        int k = li == loaded->commentEndLine ? kBegComment : kBegFolder;
        if (defined(slots[static_cast<size_t>(k)])) endLine(k);
        continue;
      }
      if (line.kind == kKeyword) {
        auto it = keywordAt.find(li);
        if (it != keywordAt.end()) {
          const MarkUpItem* kw = keywords[it->second];
          writtenLine(out, kw->text, kw->textColour, kw->backColour, kKeyword);
          keywordWritten[it->second] = true;
        }
        continue;  // a keyword the dialogs deleted
      }
      out += line.raw;
      out += "\r\n";
    }
  }
  for (size_t i = 0; i < keywords.size(); ++i) {
    const MarkUpItem* kw = keywords[i];
    if (keywordWritten[i] || !kw || kw->text.empty()) continue;
    writtenLine(out, kw->text, kw->textColour, kw->backColour, kKeyword);
  }
  return out;
}

bool writeMarkUp(const std::array<const MarkUpItem*, kMarkUpSlots>& slots,
                 const std::vector<const MarkUpItem*>& keywords, const std::string& fileName,
                 Host& host, const MarkUpHash* loaded) {
  return saveText(fileName, serialiseMarkUp(slots, keywords, loaded), host);
}

bool writeMarkUp(const MarkUpHash& table, Host& host) {
  std::array<const MarkUpItem*, kMarkUpSlots> slots{};
  for (size_t k = 0; k < slots.size(); ++k) slots[k] = table.slots[k].get();
  std::vector<const MarkUpItem*> keywords;
  for (const auto& kw : table.keywords) keywords.push_back(kw.get());
  return writeMarkUp(slots, keywords, table.fileName, host, &table);
}

std::string defaultMarkUpContent() {
  struct Row {
    const char* text;
    const char* colour;
    const char* back;
    const char* kind;
  };
  static const Row rows[] = {
      {".", "YELLOW", "LIGHTBLUE", "PLAIN_TEXT"},    {".", "YELLOW", "BLACK", "SELEC_TEXT"},
      {"#", "LIGHTGREEN", "LIGHTBLUE", "PREPROCESSOR"}, {"//", "LIGHTGRAY", "LIGHTBLUE", "COMMENT"},
      {"/*", "LIGHTGRAY", "LIGHTBLUE", "BEG_COMMENT"}, {"*/", "LIGHTGRAY", "LIGHTBLUE", "END_COMMENT"},
      {"{{{", "YELLOW", "BLUE", "BEG_FOLDER"},       {"}}}", "YELLOW", "BLUE", "END_FOLDER"},
      {"...", "YELLOW", "BLUE", "FOLDER"},
  };
  std::string out;
  for (const Row& r : rows) {
    const std::string kind = r.kind;
    padTo(out, r.text, 22);
    if (kind == "END_FOLDER" || kind == "FOLDER")
      out += std::string(r.colour) + "\t\t       ";
    else
      padTo(out, r.colour, 17);
    padTo(out, r.back, 17);
    padTo(out, kind, 12);
    out += "\n";
  }
  return out;
}

bool writeDefaultMarkUp(const std::string& fileName, Host& host) {
  return saveText(fileName, defaultMarkUpContent(), host);
}

std::unique_ptr<MarkUpItem> copyEntry(const MarkUpItem& item) {
  auto copy = std::make_unique<MarkUpItem>(item);
  copy->text = copy->text.substr(0, kEntryBufferBytes - 1);
  if (copy->endText) copy->endText = copy->endText->substr(0, kEntryBufferBytes - 1);
  return copy;
}

std::unique_ptr<MarkUpItem> constructEntry(const std::string& text,
                                           const std::optional<std::string>& endText,
                                           uint32_t textColour, uint32_t backColour) {
  auto item = std::make_unique<MarkUpItem>();
  item->text = text.substr(0, kEntryBufferBytes - 1);
  if (endText) item->endText = endText->substr(0, kEntryBufferBytes - 1);
  item->textColour = textColour;
  item->backColour = backColour;
  item->kind = kKeyword;
  item->matchKind = kMatchWord;
  return item;
}

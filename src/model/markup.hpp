// Highlighting tables: the keyword files (*.mrk) of the file types, loaded
// into a MarkUpHash that the line painter (display/highlight) reads and that
// gives an INI file type its comment delimiters.
//
// A .mrk line holds four items separated by blanks: entry text, text colour
// name, background colour name, kind name. The table keeps seven special
// slots, the KEYWORD list, and every entry hashed by its first byte.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Host;

// Entry kinds, numbered as stored.
enum MarkUpKind : int32_t {
  kPlainText = 0,
  kSelecText = 1,
  kComment = 2,
  kBegComment = 3,
  kFolder = 4,
  kBegFolder = 5,
  kPreprocessor = 6,
  kEndComment = 7,
  kEndFolder = 8,
  kNonExist = 9,
  kKeyword = 10,
  kAllString = 11,
  kAllIfFirst = 12,
};
constexpr int kMarkUpKinds = 13;
constexpr int kMarkUpSlots = 7;

// How an entry behaves while a line is painted.
enum MatchKind : int32_t {
  kMatchBlockComment = 3,  // block comment start, recognised anywhere
  kMatchNoColour = 7,      // END_COMMENT: never coloured
  kMatchNone = 9,          // NON_EXIST
  kMatchWord = 10,         // a whole word
  kMatchToEnd = 11,        // from here to the end of the line
  kMatchLineIfFirst = 12,  // the whole line, when only blanks come before
};

constexpr size_t kMaxEntryText = 128;   // item 1 of a .mrk line
constexpr size_t kEntryBufferBytes = 80;  // copies made for the options dialogs
// Text the options dialogs put in a slot they leave undefined.
inline constexpr const char* kUndefinedSlot = "Isn't defined";

struct MarkUpItem {
  std::string text;
  std::optional<std::string> endText;  // slots 3 and 5 only
  uint32_t textColour = 0;
  uint32_t backColour = 0xFFFFFF;
  int32_t matchKind = kMatchToEnd;
  int32_t kind = kPlainText;
  // Line of the loaded file this entry came from (-1: made by the program);
  // the table writer puts an edited keyword back where it was.
  int32_t sourceLine = -1;
};

// One non-blank line of a loaded .mrk file, kept so that the writer can give
// back every line in the file's order. kind is -1 for a line the loader
// refused (written back as it was).
struct MarkUpLine {
  int32_t kind = -1;
  std::string raw;  // the line without its line end
};

struct MarkUpHash {
  MarkUpHash();
  ~MarkUpHash();
  MarkUpHash(const MarkUpHash&) = delete;
  MarkUpHash& operator=(const MarkUpHash&) = delete;

  // Indexed by kinds 0..6; 0 and 1 are always filled after a load.
  std::array<std::unique_ptr<MarkUpItem>, kMarkUpSlots> slots;
  // The KEYWORD lines in file order (all of them are kept).
  std::vector<std::unique_ptr<MarkUpItem>> keywords;
  // Entries by the first byte of their text, in file order.
  std::array<std::vector<std::unique_ptr<MarkUpItem>>, 256> buckets;
  // Loaded from the file named exactly "allother.mrk".
  bool isFallback = false;
  std::string fileName;  // as passed to the loader

  // What the writer needs to keep the file's order.
  std::vector<MarkUpLine> lines;
  std::array<int32_t, kMarkUpSlots> slotLine;  // line that filled each slot, or -1
  int32_t commentEndLine = -1;                 // END_COMMENT that completed slot 3
  int32_t folderEndLine = -1;                  // END_FOLDER that completed slot 5

  size_t keywordCount() const { return keywords.size(); }
  const MarkUpItem* slot(int k) const { return slots[static_cast<size_t>(k)].get(); }
  // The effective block-comment pair: slot 3 with a non-empty end text.
  bool hasBlockComment() const;
  void clear();
};

// Colour names (upper case) and values (0x00BBGGRR), in lookup order.
struct ColourName {
  const char* name;
  uint32_t value;
};
extern const std::array<ColourName, 16> kColourNames;
extern const std::array<const char*, kMarkUpKinds> kKindNames;
extern const std::array<int32_t, kMarkUpKinds> kKindMatch;

// The first name whose value is exactly colour; else "BLACK" for a text
// colour and "WHITE" for a background colour.
const char* colourName(uint32_t colour, bool background);
// The first colour name that begins the word; else black for a text colour
// and white for a background colour.
uint32_t colourValue(const std::string& word, bool background);
// Index of the colour name that equals word exactly, or -1.
int exactColourIndex(const std::string& word);
// The first kind whose name begins the word, or -1.
int kindOfName(const std::string& word);

// Loads the table from dataFileForRead(fileName). Lines the loader refuses
// are reported through host, one message box each. Returns the message text
// when the file cannot be read (the table is then empty).
std::optional<std::string> loadMarkUp(MarkUpHash& table, const std::string& fileName, Host& host);
// Builds the table from text already in memory (what loadMarkUp does with
// the file's bytes).
void parseMarkUp(MarkUpHash& table, const std::string& fileName, const std::string& content,
                 Host& host);

// The writer's text for the given slots and keywords. With `loaded`, every
// line of that table is given back in its place: the edited slots and
// keywords where they came from, the other lines as they were; slots and
// keywords the file did not have come first and last respectively.
std::string serialiseMarkUp(const std::array<const MarkUpItem*, kMarkUpSlots>& slots,
                            const std::vector<const MarkUpItem*>& keywords,
                            const MarkUpHash* loaded);
// Writes that text atomically to dataFileForWrite(fileName); false after a
// message box when it could not be written.
bool writeMarkUp(const std::array<const MarkUpItem*, kMarkUpSlots>& slots,
                 const std::vector<const MarkUpItem*>& keywords, const std::string& fileName,
                 Host& host, const MarkUpHash* loaded = nullptr);
// Writes a table back with its own slots and keywords.
bool writeMarkUp(const MarkUpHash& table, Host& host);
// The nine lines a new file type without a model gets.
std::string defaultMarkUpContent();
bool writeDefaultMarkUp(const std::string& fileName, Host& host);

// Copies for the options dialogs: strings cut to 79 bytes.
std::unique_ptr<MarkUpItem> copyEntry(const MarkUpItem& item);
std::unique_ptr<MarkUpItem> constructEntry(const std::string& text,
                                           const std::optional<std::string>& endText,
                                           uint32_t textColour, uint32_t backColour);

// ASCII letters, digits and '_'; everything else (bytes 0x80..0xFF too)
// delimits words.
inline bool isWordChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

#include "model/filetypes.hpp"

#include <algorithm>
#include <cctype>

#include "model/atomicfile.hpp"
#include "model/linestore.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "platform/host.hpp"

namespace {

constexpr const char* kErrorCaption = "Plicato Error";
constexpr const char* kWarningCaption = "Plicato Warning";
constexpr const char* kLangFile = "lang.txt";
constexpr size_t kIniTypeNameBytes = 10;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (isBlank(s[b]) || s[b] == '\r')) ++b;
  while (e > b && (isBlank(s[e - 1]) || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

// The word that starts at or after pos; pos moves past it.
std::string nextWord(const std::string& s, size_t& pos) {
  while (pos < s.size() && isBlank(s[pos])) ++pos;
  size_t b = pos;
  while (pos < s.size() && !isBlank(s[pos])) ++pos;
  return s.substr(b, pos - b);
}

std::string firstWord(const std::string& s) {
  size_t pos = 0;
  return nextWord(s, pos);
}

std::string blanks(long n) { return std::string(n > 0 ? static_cast<size_t>(n) : 0, ' '); }

bool saveLangText(const std::string& text, Host& host) {
  std::string path = dataFileForWrite(kLangFile);
  std::string error;
  if (writeFileAtomic(path, text, &error)) return true;
  host.messageBox("Can't write the file\n" + path + "\n" + error, kErrorCaption, MbButtons::Ok,
                  MbIcon::Exclamation);
  return false;
}

bool isImpliedCatchAll(const FileType& t) {
  return t.name == FileTypeList::kCatchAllName && t.markupFile == FileTypeList::kCatchAllMarkUp &&
         t.extensions == FileTypeList::kCatchAllExtensions;
}

}  // namespace

bool extensionMatches(const std::string& patterns, const std::string& extension) {
  size_t pos = 0;
  while (pos <= patterns.size()) {
    size_t semi = patterns.find(';', pos);
    if (semi == std::string::npos) semi = patterns.size();
    std::string p = trimmed(patterns.substr(pos, semi - pos));
    pos = semi + 1;
    if (p.empty()) continue;
    if (p[0] == '*') p.erase(0, 1);
    if (sameName(p, extension)) return true;
  }
  return false;
}

std::string extensionOf(const std::string& fileName) {
  std::string base = baseName(fileName);
  size_t dot = base.rfind('.');
  return dot == std::string::npos ? "" : base.substr(dot);
}

// ---- LanguageList ----

Language LanguageList::parseRow(const std::string& row) {
  Language lang;
  size_t pos = 0;
  lang.name = nextWord(row, pos);
  size_t star = row.find('*');
  if (star == std::string::npos) return lang;
  pos = star;
  lang.extensions = nextWord(row, pos);
  lang.commentStart = nextWord(row, pos).substr(0, kCommentFieldBytes);
  lang.commentEnd = nextWord(row, pos).substr(0, kCommentFieldBytes);
  return lang;
}

std::string LanguageList::formatRow(const Language& row) {
  // "%s files %.*s %s %.*s %s  %.*s %s"
  std::string out = row.name + " files " + blanks(30 - static_cast<long>(row.name.size()));
  out += " " + row.extensions + " " + blanks(15 - static_cast<long>(row.extensions.size()));
  out += " " + row.commentStart + "  " + blanks(10 - static_cast<long>(row.commentStart.size()));
  out += " " + row.commentEnd;
  return out;
}

void LanguageList::useBuiltIn() {
  rows_ = {
      {"C", "*.c;*.h", "/*", "*/"},      {"C++", "*.cpp;*.h", "//", ""},
      {"occam2", "*.occ", "--", ""},     {"Pascal", "*.pas", "(*", "*)"},
      {"Modula2", "*.mod", ";", ";"},    {"Java", "*.java", "/*", "*/"},
      {"Assembler", "*.asm", "*", ""},   {"Fortran", "*.f", "C", ""},
      {"TDS", "*.tsr;*.top", "tds", ""}, {"All", "*.*", "", ""},
  };
}

void LanguageList::parse(const std::string& text) {
  rows_.clear();
  for (size_t pos = 0; pos < text.size() && rows_.size() < kMaxRows;) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string::npos ? text.size() : nl;
    size_t len = end - pos;
    if (len > 0 && text[pos + len - 1] == '\r') --len;
    // Rows are read whole and cut, so an overlong row never becomes two.
    std::string row = text.substr(pos, std::min(len, kMaxRowBytes));
    pos = end + 1;
    if (trimmed(row).empty()) continue;
    rows_.push_back(parseRow(row));
  }
}

bool LanguageList::load() {
  std::string text;
  if (!readWholeFile(dataFileForRead(kLangFile), text)) {
    useBuiltIn();
    return false;
  }
  parse(text);
  return true;
}

std::string LanguageList::serialise() const {
  std::string out;
  for (const Language& row : rows_) out += formatRow(row) + "\r\n";
  return out;
}

bool LanguageList::save(Host& host) const { return saveLangText(serialise(), host); }

int LanguageList::lookup(const std::string& extension) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (extensionMatches(rows_[i].extensions, extension)) return static_cast<int>(i);
  return -1;
}

const Language* LanguageList::find(const std::string& extension) const {
  int i = lookup(extension);
  return i < 0 ? nullptr : &rows_[static_cast<size_t>(i)];
}

bool LanguageList::add(const Language& row) {
  if (rows_.size() >= kMaxRows) return false;
  rows_.push_back(row);
  return true;
}

std::string LanguageList::filterText() const {
  std::string out;
  for (const Language& row : rows_)
    out += row.name + " files (" + row.extensions + ")|" + row.extensions + "|";
  return out;
}

namespace {
LanguageList& langListStorage() {
  static LanguageList list;
  return list;
}
bool g_langLoaded = false;
}  // namespace

LanguageList& langList() {
  if (!g_langLoaded) {
    g_langLoaded = true;
    langListStorage().load();
  }
  return langListStorage();
}

void reloadLangList() {
  g_langLoaded = true;
  langListStorage().load();
}

// ---- FileTypeList ----

FileTypeList::FileTypeList() = default;
FileTypeList::~FileTypeList() = default;
FileTypeList::FileTypeList(FileTypeList&&) noexcept = default;
FileTypeList& FileTypeList::operator=(FileTypeList&&) noexcept = default;

void FileTypeList::load(Host& host) {
  ProfileFile& ini = plicatoIni();
  ini.refresh();
  load(ini, host);
}

void FileTypeList::load(const ProfileFile& ini, Host& host) {
  entries_.clear();
  long n = ini.getInt(kSection, "NumberOfFileTypes", 0);
  long count = 1;
  if (n < 0 || n >= kMaxEntries) {
    host.messageBox(
        "Something wrong in FILE_TYPES section in PLICATO.INI file\nNumberOfFileTypes is invalid: "
        "negative or too large...\nPlicato are going to work without FILE_TYPES information.",
        kErrorCaption, MbButtons::Ok, MbIcon::Exclamation);
  } else {
    count = n + 1;
  }

  auto addType = [&](const std::string& name, const std::string& exts, const std::string& file) {
    FileType t{name, exts, file, std::make_unique<MarkUpHash>()};
    if (loadMarkUp(*t.table, file, host)) return;  // a type without its table is left out
    entries_.push_back(std::move(t));
  };

  bool sawCatchAll = false;
  for (long j = 0; j < count; ++j) {
    if (j == count - 1) {
      if (!sawCatchAll) addType(kCatchAllName, kCatchAllExtensions, kCatchAllMarkUp);
      continue;
    }
    std::string key = "FileType_" + std::to_string(j);
    std::string value = ini.getString(kSection, key, "");
    size_t first = value.find(';');
    size_t last = value.rfind(';');
    std::string name, exts, file;
    if (first != std::string::npos && last != first) {
      name = trimmed(value.substr(0, first));
      exts = trimmed(value.substr(first + 1, last - first - 1));
      file = trimmed(value.substr(last + 1));
    }
    if (!ini.has(kSection, key) || name.empty() || exts.empty() || file.empty() ||
        name.size() > kMaxItemBytes || exts.size() > kMaxItemBytes ||
        file.size() > kMaxItemBytes) {
      host.messageBox("Invalid FILE_TYPES section in plicato.ini file\n String 'FileType_" +
                          std::to_string(j) +
                          "' is absent\n Or one of its item is too long (>128)",
                      kErrorCaption, MbButtons::Ok, MbIcon::Exclamation);
      continue;
    }
    if (file == kCatchAllMarkUp) sawCatchAll = true;
    addType(name, exts, file);
  }
}

bool FileTypeList::save(Host& host) const { return save(plicatoIni(), host); }

bool FileTypeList::save(ProfileFile& ini, Host& host) const {
  // The catch-all is added on every read, so it is not written; that also
  // keeps NumberOfFileTypes below the limit a full list would reach.
  std::vector<const FileType*> written;
  for (const FileType& t : entries_)
    if (!isImpliedCatchAll(t)) written.push_back(&t);
  const size_t room = kMaxEntries - 1;
  if (written.size() > room) {
    host.messageBox("Too many file types: only the first " + std::to_string(room) +
                        " are kept in PLICATO.INI.",
                    kWarningCaption, MbButtons::Ok, MbIcon::Exclamation);
    written.resize(room);
  }
  ini.beginBatch();
  ini.writeString(kSection, "NumberOfFileTypes", std::to_string(written.size()));
  for (size_t i = 0; i < written.size(); ++i)
    ini.writeString(kSection, "FileType_" + std::to_string(i),
                    written[i]->name + ";" + written[i]->extensions + ";" + written[i]->markupFile);
  // Entries past the new count would only confuse a reader of the file.
  for (const std::string& key : ini.keys(kSection)) {
    if (key.size() <= 9 || !sameName(key.substr(0, 9), "FileType_")) continue;
    std::string digits = key.substr(9);
    auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) continue;
    if (digits.size() > 6 || std::stoul(digits) >= written.size()) ini.deleteKey(kSection, key);
  }
  if (ini.endBatch()) return true;
  host.messageBox("Can't write the file\n" + ini.path() + "\n" + ini.lastError(), kErrorCaption,
                  MbButtons::Ok, MbIcon::Exclamation);
  return false;
}

int FileTypeList::findExtension(const std::string& extension) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (extensionMatches(entries_[i].extensions, extension)) return static_cast<int>(i);
  return -1;
}

int FileTypeList::catchAll() const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].markupFile == kCatchAllMarkUp) return static_cast<int>(i);
  return -1;
}

int FileTypeList::lookup(const std::string& extension) const {
  int i = findExtension(extension);
  return i >= 0 ? i : catchAll();
}

std::string FileTypeList::filterText() const {
  size_t width = 0;
  for (const FileType& t : entries_) width = std::max(width, t.name.size());
  std::string out;
  for (const FileType& t : entries_)
    out += t.name + " files" + blanks(static_cast<long>(width - t.name.size() + 1)) + "(" +
           t.extensions + ")|" + t.extensions + "|";
  return out;
}

std::string dialogFilter(const FileTypeList* types, const LanguageList& langs) {
  if (types && !types->empty()) return types->filterText();
  return langs.filterText();
}

// ---- the convention of a window ----

bool commentFromTable(const MarkUpHash& table, std::string& start, std::string& end) {
  start.clear();
  end.clear();
  if (table.hasBlockComment()) {
    start = table.slot(kBegComment)->text;
    end = *table.slot(kBegComment)->endText;
    return true;
  }
  const MarkUpItem* line = table.slot(kComment);
  if (line && !line->text.empty()) {
    start = line->text;
    return true;
  }
  return false;
}

void setConvention(LineStore& window, const std::string& extension, FileTypeList* types,
                   LanguageList& langs) {
  window.markUp = nullptr;
  if (types) {
    int i = types->findExtension(extension);
    if (i >= 0) {
      const FileType& t = (*types)[static_cast<size_t>(i)];
      window.markUp = t.table.get();
      std::string start, end;
      commentFromTable(*t.table, start, end);
      window.setCommentStart(start);
      window.setCommentEnd(end);
      window.setFileTypeName(firstWord(t.name.substr(0, kIniTypeNameBytes)));
      return;
    }
    // The catch-all gives highlighting, never comment signs.
    int c = types->catchAll();
    if (c >= 0) window.markUp = (*types)[static_cast<size_t>(c)].table.get();
  }

  if (const Language* row = langs.find(extension)) {
    window.setCommentStart(row->commentStart);
    window.setCommentEnd(row->commentEnd);
    window.setFileTypeName(row->name);
    return;
  }

  std::optional<CommentAnswer> answer = window.host.askCommentConvention({"User", "/*", "*/"});
  if (!answer) {
    window.setCommentStart("");
    window.setCommentEnd("");
    window.setFileTypeName("User");
    return;
  }
  // Cut to what a lang.txt row can hold, so the row reads back the same.
  Language row;
  row.name = firstWord(answer->typeName);
  if (row.name.empty()) row.name = "User";
  row.extensions = "*" + extension;
  row.commentStart = firstWord(answer->commentStart).substr(0, kCommentFieldBytes);
  row.commentEnd = firstWord(answer->commentEnd).substr(0, kCommentFieldBytes);
  if (row.commentStart.empty()) row.commentEnd.clear();  // an end alone would read back as a start
  window.setCommentStart(row.commentStart);
  window.setCommentEnd(row.commentEnd);
  window.setFileTypeName(row.name);
  if (langs.add(row)) langs.save(window.host);
}

// File types and comment conventions. Fold markers live inside comments of
// the file's language, so a window needs a comment start, a comment end and
// a type name before its file is read or written. They come from the INI
// file types (section FILE_TYPES of PLICATO.INI, each with a highlighting
// table), then from the language list lang.txt, and failing both from the
// user ("GET_COM").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/markup.hpp"

class Host;
class ProfileFile;
struct LineStore;

// Extension patterns ("*.c;*.h") match an extension (".c") whole and
// without case; "*" alone matches a name without extension.
bool extensionMatches(const std::string& patterns, const std::string& extension);
// The base name's part from its last "." on; "" when there is none.
std::string extensionOf(const std::string& fileName);

// One row of lang.txt.
struct Language {
  std::string name;  // first word of the row ("C", "C++", ...)
  std::string extensions;
  std::string commentStart;
  std::string commentEnd;
};

class LanguageList {
 public:
  static constexpr size_t kMaxRows = 100;
  static constexpr size_t kMaxRowBytes = 127;

  LanguageList() { useBuiltIn(); }

  // Reads dataFileForRead("lang.txt"); the built-in rows when it cannot be
  // read. Returns whether the file was read.
  bool load();
  // Rows from lang.txt text; rows past 100 and blank rows are ignored.
  void parse(const std::string& text);
  void useBuiltIn();
  // lang.txt text: one row per language, CR LF line ends.
  std::string serialise() const;
  // Writes dataFileForWrite("lang.txt"); false after a message box.
  bool save(Host& host) const;

  // Index of the first row whose extensions hold the extension, or -1.
  int lookup(const std::string& extension) const;
  const Language* find(const std::string& extension) const;
  // False when the list is full.
  bool add(const Language& row);

  const std::vector<Language>& rows() const { return rows_; }
  size_t size() const { return rows_.size(); }
  // Open-dialog filter: "C files (*.c;*.h)|*.c;*.h|..."
  std::string filterText() const;

  // One row in lang.txt's layout, without the line end.
  static std::string formatRow(const Language& row);
  static Language parseRow(const std::string& row);

 private:
  std::vector<Language> rows_;
};

// The language list of the process, loaded on first use.
LanguageList& langList();
// Reads it again (after the configuration directory changed).
void reloadLangList();

// One INI file type with its highlighting table.
struct FileType {
  std::string name;
  std::string extensions;
  std::string markupFile;
  std::unique_ptr<MarkUpHash> table;
};

class FileTypeList {
 public:
  static constexpr int kMaxEntries = 19;
  static constexpr size_t kMaxItemBytes = 127;
  static constexpr const char* kSection = "FILE_TYPES";
  static constexpr const char* kCatchAllName = "ALL_OTHER";
  static constexpr const char* kCatchAllExtensions = "*.*";
  static constexpr const char* kCatchAllMarkUp = "allother.mrk";

  FileTypeList();
  ~FileTypeList();
  FileTypeList(FileTypeList&&) noexcept;
  FileTypeList& operator=(FileTypeList&&) noexcept;

  // Reads section FILE_TYPES of plicatoIni() (or of the given file) and
  // loads each type's table; bad entries are reported through host and left
  // out, types whose table cannot be read are left out silently.
  void load(Host& host);
  void load(const ProfileFile& ini, Host& host);
  // Writes the section back in the same form (the catch-all is implied and
  // not written); false after a message box.
  bool save(Host& host) const;
  bool save(ProfileFile& ini, Host& host) const;

  // The entry whose extensions hold the extension, or -1.
  int findExtension(const std::string& extension) const;
  // The catch-all entry (table from "allother.mrk"), or -1.
  int catchAll() const;
  // findExtension, else the catch-all, else -1.
  int lookup(const std::string& extension) const;

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  FileType& operator[](size_t i) { return entries_[i]; }
  const FileType& operator[](size_t i) const { return entries_[i]; }
  std::vector<FileType>& entries() { return entries_; }
  const std::vector<FileType>& entries() const { return entries_; }

  // Open-dialog filter: "%s files%.*s(%s)|%s|" per type, names padded to a
  // common width.
  std::string filterText() const;

 private:
  std::vector<FileType> entries_;
};

// The filter of the open and save dialogs: the INI types when there are
// any, else the language list.
std::string dialogFilter(const FileTypeList* types, const LanguageList& langs);

// Fills window.commentStart / commentEnd / fileTypeName and window.markUp
// for a file with the given extension (extensionOf of its name). types may
// be null. Unknown extensions ask "GET_COM" through window.host; an answer
// is added to langs and lang.txt is written anew.
void setConvention(LineStore& window, const std::string& extension, FileTypeList* types,
                   LanguageList& langs);
// The comment delimiters a highlighting table gives: its block-comment pair,
// else its line comment with an empty end; false when it has neither.
bool commentFromTable(const MarkUpHash& table, std::string& start, std::string& end);

// The options sheet without its widgets: what each of its five pages
// shows, the checks every edit passes, and what OK applies.
//
// A page takes its copy of the values the first time it is shown; only the
// pages that were shown (or edited through the calls below) are applied.
// Nothing reaches the settings, the
// files on disk or the open windows before apply(); dropping the model is
// Cancel. Refusals are message boxes through the Host, and leave the copy
// as it was.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/markup.hpp"

class Application;
struct CommandContext;
class FileTypeList;
class Host;
class EditorView;

// Editor page ("EDITOR_OPTIONS"): edits 9101 and 9102 hold their text as
// typed; the numbers are taken when the page is applied.
struct EditorOptions {
  std::string autoSave;     // 9101
  std::string tabSize;      // 9102
  bool syntaxHighlighting = false;     // 201
  bool highlightUnknownFiles = false;  // 206, off and grayed while 201 is off
  bool backup = false;                 // 202
  bool autoSaveAtTopLevel = false;     // 205
  int layout = 1;                      // 15, 16, 17 of group 14: 1, 2, 3
};

// Compiler page ("COMPILER_OPTIONS").
struct CompilerOptions {
  std::string cmdLine;
  bool external = true;  // else the built-in transputer compiler
  std::string linkAddress;
  std::string linkTimeout;
  std::string iccBtlPath;
  std::string parameters;
};

// Maker page ("MAKER_OPTIONS").
struct MakerOptions {
  std::string workingDirectory;
  bool external = true;  // else the internal maker
  std::string cmdLine;
  std::string makefile;
  std::string parameters;
};

// The features of a file type on the File Type page, in the page's order.
enum FileTypeFeature : int {
  kFeatureCommonText = 0,    // slot 0
  kFeatureSelectedText,      // slot 1
  kFeatureComment,           // slot 2
  kFeatureBeginEndComment,   // slot 3 with its end text
  kFeatureFolder,            // slot 4
  kFeatureFolderBrackets,    // slot 5 with its end text
  kFeaturePreprocessor,      // slot 6
  kFeatureExtensionList,
  kFeatureFileName,
};
constexpr int kFeatureCount = 9;
extern const std::array<const char*, kFeatureCount> kFeatureNames;
// Colour features carry a text and two colours; the last two are text only.
inline bool isColourFeature(int feature) { return feature <= kFeaturePreprocessor; }
// The highlighting slot behind a colour feature.
inline int slotOfFeature(int feature) { return feature; }

// One file type as the sheet holds it: its INI items and a copy of its
// highlighting table (every slot is present; an undefined one holds the
// text kUndefinedSlot).
struct OptionsFileType {
  std::string name;
  std::string extensions;
  std::string markupFile;
  std::array<std::unique_ptr<MarkUpItem>, kMarkUpSlots> slots;
  std::vector<std::unique_ptr<MarkUpItem>> keywords;
  // The table the copy was taken from: its file's line order is kept when
  // the file is written again. Null for a type made on the sheet.
  const MarkUpHash* loaded = nullptr;
  // A new type without a model, not edited since: it gets the default
  // highlighting file.
  bool defaultContent = false;
};

// What an EDIT_COLOR dialog gives back.
struct EditColorValues {
  std::string text;
  uint32_t textColour = 0x000000;
  uint32_t backColour = 0xFFFFFF;
};

// What ADD_FILE_TYPE gives back; model is an index into fileTypes(), or -1
// for none (the type gets the default highlighting file).
struct NewFileType {
  std::string name;
  std::string markupFile;
  int model = -1;
};

class OptionsModel {
 public:
  // The types a file-type page can hold besides ALL_OTHER: one more would
  // make NumberOfFileTypes too large to be read at the next start.
  static constexpr size_t kMaxTypes = 18;

  // types: the file-type list the editor windows use (replaced on apply);
  // windows: the editor windows to switch to the new list.
  OptionsModel(CommandContext& ctx, FileTypeList& types,
               std::function<std::vector<EditorView*>()> windows);
  // The application's list and windows.
  explicit OptionsModel(Application& app);
  ~OptionsModel();
  OptionsModel(const OptionsModel&) = delete;
  OptionsModel& operator=(const OptionsModel&) = delete;

  // Where the refusals and questions go.
  Host& host() const { return host_; }

  // The keyboard layout was changed on apply: the menus follow (the key
  // table has already been switched).
  std::function<void(int layout)> onLayoutChanged;

  // --- the pages; each takes its copy when first shown ---------------------
  EditorOptions& editorPage();
  CompilerOptions& compilerPage();
  MakerOptions& makerPage();
  // Colors and File Type pages share one copy of the file types.
  std::vector<OptionsFileType>& colorsPage();
  std::vector<OptionsFileType>& fileTypePage();
  bool editorShown() const { return editor_.has_value(); }
  bool compilerShown() const { return compiler_.has_value(); }
  bool makerShown() const { return maker_.has_value(); }
  bool colorsShown() const { return colorsShown_; }
  bool fileTypesShown() const { return fileTypesShown_; }

  // Check box 201: clearing it clears 206 too.
  void setSyntaxHighlighting(bool on);
  // Check box 206: refused (false) while 201 is off.
  bool setHighlightUnknownFiles(bool on);

  // --- Colors page ---------------------------------------------------------
  // The file types, for the list of highlighting files; the Colors page's
  // copy is taken on first use.
  const std::vector<OptionsFileType>& fileTypes() const { return types_; }
  // False after "There is no FileTypes.\nFirstly add one FileType." when
  // there is no type to take a keyword.
  bool canAddKeyword();
  // False after "There is no keyword to edit" / "...to delete" when the
  // type has no keyword at that index.
  bool canEditKeyword(int type, int keyword);
  bool canDeleteKeyword(int type, int keyword);
  // Refused with a message when the text is unusable or already listed
  // ("Keyword\n%s\nalready exists."). The new keyword's index, or -1.
  int addKeyword(int type, const EditColorValues& values);
  bool editKeyword(int type, int keyword, const EditColorValues& values);
  bool deleteKeyword(int type, int keyword);

  // --- File Type page ------------------------------------------------------
  static bool isAllOther(const OptionsFileType& t);
  // What the feature shows: a slot's text ("/* */" for the pairs), the
  // extension list or the file name.
  std::string featureText(int type, int feature) const;
  // The colours of a colour feature's slot.
  EditColorValues featureValues(int type, int feature) const;
  // False after the ALL_OTHER message for the features that type keeps, or
  // when there is no such type.
  bool canEditFeature(int type, int feature);
  // Checks and stores the feature: the extension-list format, the begin
  // and end signs divided by a blank, one word for the other signs, a
  // usable file name. An empty text (or kUndefinedSlot) leaves a sign
  // undefined.
  bool setFeature(int type, int feature, const EditColorValues& values);
  // Asks about an existing name or highlighting file; refuses an
  // unusable name or file name and a type beyond kMaxTypes. The new
  // type's index, or -1 (nothing changed).
  int addFileType(const NewFileType& request);
  // "There is nothing to delete" / "FileType ALL_OTHER can't be deleted."
  bool deleteFileType(int type);
  // Types besides ALL_OTHER.
  size_t ownTypeCount() const;

  // --- OK --------------------------------------------------------------------
  // Applies the shown pages in order: settings, FILE_TYPES written back,
  // every highlighting file written, a new file-type list read and handed
  // to every window, the key table (and menus) of a changed layout, then
  // every setting saved. False when something could not be written (it
  // was reported).
  bool apply();

 private:
  void takeFileTypes();
  OptionsFileType* typeAt(int type);
  const OptionsFileType* typeAt(int type) const;
  bool checkKeywordText(const std::string& text);
  int findKeyword(const OptionsFileType& t, const std::string& text, int except) const;
  int findTypeByName(const std::string& name, int except) const;
  int findTypeByFile(const std::string& file, int except) const;
  bool checkTypeName(const std::string& name);
  bool checkFileName(const std::string& file);
  void error(const std::string& text);
  void warning(const std::string& text);
  bool writeFileTypes();
  void switchWindows(FileTypeList& fresh);

  CommandContext& ctx_;
  Host& host_;
  FileTypeList& liveTypes_;
  std::function<std::vector<EditorView*>()> windows_;

  std::optional<EditorOptions> editor_;
  std::optional<CompilerOptions> compiler_;
  std::optional<MakerOptions> maker_;
  std::vector<OptionsFileType> types_;
  bool typesTaken_ = false;
  bool colorsShown_ = false;
  bool fileTypesShown_ = false;
};

// Message texts of the sheet.
extern const char* const kNoFileTypesText;
extern const char* const kAllOtherFeaturesText;
extern const char* const kExtensionListText;
extern const char* const kBeginEndText;

// Whether text is patterns joined by ";" (each "*" and more, no blanks).
bool validExtensionList(const std::string& text);
// Splits "beg end" into its two signs; false unless there are exactly two.
bool splitBeginEnd(const std::string& text, std::string& begin, std::string& end);

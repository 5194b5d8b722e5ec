#include "app/options.hpp"

#include "app/context.hpp"

#include <algorithm>
#include <cctype>

#include "app/application.hpp"
#include "app/settingsstore.hpp"
#include "commands/keytree.hpp"
#include "display/highlight.hpp"
#include "engine/statusline.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/viewmetrics.hpp"
#include "model/filetypes.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

const std::array<const char*, kFeatureCount> kFeatureNames = {
    "Common Text", "Selected Text", "Comment",        "Begin-End Comment", "Folder",
    "Folder brackets", "Preprocessor", "Extension List", "File Name",
};

const char* const kNoFileTypesText = "There is no FileTypes.\nFirstly add one FileType.";
const char* const kAllOtherFeaturesText =
    "Following features of the ALL_OTHER FileType:\n\n   Comment\n   Begin-End Comment\n   "
    "Preprocessor\n   Extension List\n   File Name\n\nCAN'T BE CHANGED.";
const char* const kExtensionListText =
    "Invalid format of extension list.\nExample of valid extension list:\n *.cpp;*c;*h";
const char* const kBeginEndText =
    "Non-empty signs of the comment begin and end\n must be divided by at least one "
    "blank\nExample:\n/* */";

namespace {

constexpr const char* kErrorCaption = "Plicato Error";
constexpr const char* kWarningCaption = "Plicato Warning";
constexpr const char* kAllOtherUndeletable = "FileType ALL_OTHER can't be deleted.";
constexpr size_t kEditFieldChars = 128;  // edits 9101 and 9102

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool hasBlank(const std::string& s) { return std::any_of(s.begin(), s.end(), isBlank); }

std::string trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

bool undefinedText(const std::string& text) { return text.empty() || text == kUndefinedSlot; }

std::unique_ptr<MarkUpItem> placeholderSlot(int k) {
  auto item = std::make_unique<MarkUpItem>();
  item->text = kUndefinedSlot;
  item->kind = k;
  item->matchKind = kKindMatch[static_cast<size_t>(k)];
  return item;
}

// Whole copies: a keyword longer than the 80-byte buffers of the old
// dialogs would otherwise lose its tail on the next OK, unedited.
std::unique_ptr<MarkUpItem> wholeCopy(const MarkUpItem& item) {
  return std::make_unique<MarkUpItem>(item);
}

void copySlots(std::array<std::unique_ptr<MarkUpItem>, kMarkUpSlots>& to,
               const std::array<std::unique_ptr<MarkUpItem>, kMarkUpSlots>& from) {
  for (size_t k = 0; k < to.size(); ++k)
    to[k] = from[k] ? wholeCopy(*from[k]) : placeholderSlot(static_cast<int>(k));
}

// The extension list a new type starts with, until the user gives it one:
// its own name as the extension, so it catches no other type's files.
std::string startingExtensions(const std::string& name) {
  std::string ext;
  for (char c : name)
    if (!isBlank(c) && c != ';' && c != '*' && c != '.')
      ext += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // Cut so that the item still reads back from PLICATO.INI.
  return "*." + (ext.empty() ? std::string("new") : ext.substr(0, FileTypeList::kMaxItemBytes - 2));
}

// The window shows its text again with what was applied: tab size, the
// highlighting switches, a new table.
void reshow(EditorView& w) {
  if (!w.doc.fileTop || !w.doc.levelTop) return;  // not read yet: it starts with the new values
  recomputeAllRows(w);
  invalidateViewMetrics(w);
  if (w.currentLine && w.curSubRow >= w.currentLine->rows())
    w.curSubRow = std::max(0, w.currentLine->rows() - 1);
  if (w.topLine && w.topSubRow >= w.topLine->rows()) w.topSubRow = std::max(0, w.topLine->rows() - 1);
  w.fitScreenBuffer();
  if (w.currentLine)
    PlaceCursor(w, w.cursorRow);
  else
    Redraw(w, 1);
  w.host.invalidateRows(w.handle(), 1, w.screenRows);
  w.updateScrollBars();
  w.positionCaret();
  refreshStatus(w);
}

}  // namespace

bool validExtensionList(const std::string& text) {
  const std::string list = trimmed(text);
  if (list.empty()) return false;
  size_t pos = 0;
  while (true) {
    size_t semi = list.find(';', pos);
    const std::string pattern = list.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
    if (pattern.empty() || pattern[0] != '*' || hasBlank(pattern)) return false;
    if (semi == std::string::npos) return true;
    pos = semi + 1;
  }
}

bool splitBeginEnd(const std::string& text, std::string& begin, std::string& end) {
  size_t pos = 0;
  auto word = [&] {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    size_t b = pos;
    while (pos < text.size() && !isBlank(text[pos])) ++pos;
    return text.substr(b, pos - b);
  };
  begin = word();
  end = word();
  const std::string more = word();
  return !begin.empty() && !end.empty() && more.empty();
}

// ---- construction and the pages ----

OptionsModel::OptionsModel(CommandContext& ctx, FileTypeList& types,
                           std::function<std::vector<EditorView*>()> windows)
    : ctx_(ctx), host_(ctx.host), liveTypes_(types), windows_(std::move(windows)) {}

OptionsModel::OptionsModel(Application& app)
    : OptionsModel(app.ctx, app.fileTypes(), [&app] { return app.editorWindows(); }) {}

OptionsModel::~OptionsModel() = default;

EditorOptions& OptionsModel::editorPage() {
  if (!editor_) {
    const Settings& s = ctx_.settings;
    EditorOptions e;
    e.autoSave = std::to_string(s.autoSave);
    e.tabSize = std::to_string(s.tabSize);
    e.syntaxHighlighting = s.syntaxHighlighting;
    e.highlightUnknownFiles = s.syntaxHighlighting && s.highlightUnknownFiles;
    e.backup = s.backup;
    e.autoSaveAtTopLevel = s.autoSaveAtTopLevel;
    e.layout = s.keyboardLayout >= kLayoutStandard && s.keyboardLayout <= kLayoutUser
                   ? s.keyboardLayout
                   : kLayoutStandard;
    editor_ = e;
  }
  return *editor_;
}

CompilerOptions& OptionsModel::compilerPage() {
  if (!compiler_) {
    const Settings& s = ctx_.settings;
    compiler_ = CompilerOptions{s.compilerCmdLine, s.externalCompiler, s.linkAddress,
                                s.linkTimeout,     s.iccBtlPath,       s.compilerParameters};
  }
  return *compiler_;
}

MakerOptions& OptionsModel::makerPage() {
  if (!maker_) {
    const Settings& s = ctx_.settings;
    maker_ = MakerOptions{s.makerWorkingDirectory, s.externalMaker, s.makerCmdLine, s.makefile,
                          s.makerParameters};
  }
  return *maker_;
}

std::vector<OptionsFileType>& OptionsModel::colorsPage() {
  takeFileTypes();
  colorsShown_ = true;
  return types_;
}

std::vector<OptionsFileType>& OptionsModel::fileTypePage() {
  takeFileTypes();
  fileTypesShown_ = true;
  return types_;
}

void OptionsModel::takeFileTypes() {
  if (typesTaken_) return;
  typesTaken_ = true;
  for (const FileType& ft : liveTypes_.entries()) {
    OptionsFileType t;
    t.name = ft.name;
    t.extensions = ft.extensions;
    t.markupFile = ft.markupFile;
    if (ft.table) {
      copySlots(t.slots, ft.table->slots);
      for (const auto& kw : ft.table->keywords)
        if (kw) t.keywords.push_back(wholeCopy(*kw));
      t.loaded = ft.table.get();
    } else {
      for (int k = 0; k < kMarkUpSlots; ++k) t.slots[static_cast<size_t>(k)] = placeholderSlot(k);
    }
    types_.push_back(std::move(t));
  }
}

void OptionsModel::setSyntaxHighlighting(bool on) {
  EditorOptions& e = editorPage();
  e.syntaxHighlighting = on;
  if (!on) e.highlightUnknownFiles = false;
}

bool OptionsModel::setHighlightUnknownFiles(bool on) {
  EditorOptions& e = editorPage();
  if (on && !e.syntaxHighlighting) return false;
  e.highlightUnknownFiles = on;
  return true;
}

// ---- helpers ----

void OptionsModel::error(const std::string& text) {
  host_.messageBox(text, kErrorCaption, MbButtons::Ok, MbIcon::Exclamation);
}

void OptionsModel::warning(const std::string& text) {
  host_.messageBox(text, kWarningCaption, MbButtons::Ok, MbIcon::Exclamation);
}

OptionsFileType* OptionsModel::typeAt(int type) {
  takeFileTypes();
  if (type < 0 || static_cast<size_t>(type) >= types_.size()) return nullptr;
  return &types_[static_cast<size_t>(type)];
}

const OptionsFileType* OptionsModel::typeAt(int type) const {
  if (type < 0 || static_cast<size_t>(type) >= types_.size()) return nullptr;
  return &types_[static_cast<size_t>(type)];
}

bool OptionsModel::isAllOther(const OptionsFileType& t) {
  return t.name == FileTypeList::kCatchAllName;
}

size_t OptionsModel::ownTypeCount() const {
  return static_cast<size_t>(std::count_if(types_.begin(), types_.end(),
                                           [](const OptionsFileType& t) { return !isAllOther(t); }));
}

int OptionsModel::findKeyword(const OptionsFileType& t, const std::string& text, int except) const {
  for (size_t i = 0; i < t.keywords.size(); ++i)
    if (static_cast<int>(i) != except && t.keywords[i]->text == text) return static_cast<int>(i);
  return -1;
}

int OptionsModel::findTypeByName(const std::string& name, int except) const {
  for (size_t i = 0; i < types_.size(); ++i)
    if (static_cast<int>(i) != except && sameName(types_[i].name, name)) return static_cast<int>(i);
  return -1;
}

int OptionsModel::findTypeByFile(const std::string& file, int except) const {
  for (size_t i = 0; i < types_.size(); ++i)
    if (static_cast<int>(i) != except && types_[i].markupFile == file) return static_cast<int>(i);
  return -1;
}

// A keyword is one word of a highlighting file's line: it starts in the
// first column and ends at the first blank.
bool OptionsModel::checkKeywordText(const std::string& text) {
  if (text.empty()) {
    error("The keyword is empty.");
    return false;
  }
  if (hasBlank(text)) {
    error("A keyword can't contain blanks.");
    return false;
  }
  if (text.size() > kMaxEntryText) {
    error("The keyword is too long (>" + std::to_string(kMaxEntryText) + ").");
    return false;
  }
  return true;
}

// The name and the file name are items of a "%s;%s;%s" value in
// PLICATO.INI, read back up to 127 bytes each.
bool OptionsModel::checkTypeName(const std::string& name) {
  if (name.empty()) {
    error("The name of a FileType can't be empty.");
    return false;
  }
  if (name.find(';') != std::string::npos) {
    error("The name of a FileType can't contain ';'.");
    return false;
  }
  if (name.size() > FileTypeList::kMaxItemBytes) {
    error("The name of a FileType is too long (>127).");
    return false;
  }
  return true;
}

bool OptionsModel::checkFileName(const std::string& file) {
  if (file.empty()) {
    error("The name of the highlighting file can't be empty.");
    return false;
  }
  if (file.find(';') != std::string::npos) {
    error("The name of the highlighting file can't contain ';'.");
    return false;
  }
  // The file lives in the configuration directory; a path would write
  // wherever it points.
  if (file.find('/') != std::string::npos || file.find('\\') != std::string::npos ||
      file == "." || file == "..") {
    error("The highlighting file must be a plain file name, without a directory.");
    return false;
  }
  if (file.size() > FileTypeList::kMaxItemBytes) {
    error("The name of the highlighting file is too long (>127).");
    return false;
  }
  return true;
}

// ---- Colors page ----

bool OptionsModel::canAddKeyword() {
  takeFileTypes();
  if (!types_.empty()) return true;
  warning(kNoFileTypesText);
  return false;
}

bool OptionsModel::canEditKeyword(int type, int keyword) {
  const OptionsFileType* t = typeAt(type);
  if (t && keyword >= 0 && static_cast<size_t>(keyword) < t->keywords.size()) return true;
  warning("There is no keyword to edit");
  return false;
}

bool OptionsModel::canDeleteKeyword(int type, int keyword) {
  const OptionsFileType* t = typeAt(type);
  if (t && keyword >= 0 && static_cast<size_t>(keyword) < t->keywords.size()) return true;
  warning("There is no keyword to delete");
  return false;
}

int OptionsModel::addKeyword(int type, const EditColorValues& values) {
  OptionsFileType* t = typeAt(type);
  if (!t) {
    warning(kNoFileTypesText);
    return -1;
  }
  const std::string text = trimmed(values.text);
  if (!checkKeywordText(text)) return -1;
  if (findKeyword(*t, text, -1) >= 0) {
    warning("Keyword\n" + text + "\nalready exists.");
    return -1;
  }
  auto item = std::make_unique<MarkUpItem>();
  item->text = text;
  item->textColour = values.textColour;
  item->backColour = values.backColour;
  item->kind = kKeyword;
  item->matchKind = kMatchWord;
  t->keywords.push_back(std::move(item));
  t->defaultContent = false;
  colorsShown_ = true;
  return static_cast<int>(t->keywords.size() - 1);
}

bool OptionsModel::editKeyword(int type, int keyword, const EditColorValues& values) {
  if (!canEditKeyword(type, keyword)) return false;
  OptionsFileType* t = typeAt(type);
  const std::string text = trimmed(values.text);
  if (!checkKeywordText(text)) return false;
  // Two equal keywords would colour only by the first.
  if (findKeyword(*t, text, keyword) >= 0) {
    warning("Keyword\n" + text + "\nalready exists.");
    return false;
  }
  MarkUpItem& kw = *t->keywords[static_cast<size_t>(keyword)];
  kw.text = text;
  kw.textColour = values.textColour;
  kw.backColour = values.backColour;
  colorsShown_ = true;
  return true;
}

bool OptionsModel::deleteKeyword(int type, int keyword) {
  if (!canDeleteKeyword(type, keyword)) return false;
  OptionsFileType* t = typeAt(type);
  t->keywords.erase(t->keywords.begin() + keyword);
  t->defaultContent = false;
  colorsShown_ = true;
  return true;
}

// ---- File Type page ----

std::string OptionsModel::featureText(int type, int feature) const {
  const OptionsFileType* t = typeAt(type);
  if (!t || feature < 0 || feature >= kFeatureCount) return "";
  if (feature == kFeatureExtensionList) return t->extensions;
  if (feature == kFeatureFileName) return t->markupFile;
  const MarkUpItem& item = *t->slots[static_cast<size_t>(slotOfFeature(feature))];
  if (undefinedText(item.text)) return kUndefinedSlot;
  if ((feature == kFeatureBeginEndComment || feature == kFeatureFolderBrackets) && item.endText &&
      !item.endText->empty())
    return item.text + " " + *item.endText;
  return item.text;
}

EditColorValues OptionsModel::featureValues(int type, int feature) const {
  EditColorValues v;
  v.text = featureText(type, feature);
  const OptionsFileType* t = typeAt(type);
  if (t && isColourFeature(feature)) {
    const MarkUpItem& item = *t->slots[static_cast<size_t>(slotOfFeature(feature))];
    v.textColour = item.textColour;
    v.backColour = item.backColour;
  }
  return v;
}

bool OptionsModel::canEditFeature(int type, int feature) {
  const OptionsFileType* t = typeAt(type);
  if (!t || feature < 0 || feature >= kFeatureCount) {
    warning(kNoFileTypesText);
    return false;
  }
  if (isAllOther(*t) && (feature == kFeatureComment || feature == kFeatureBeginEndComment ||
                         feature == kFeaturePreprocessor || feature == kFeatureExtensionList ||
                         feature == kFeatureFileName)) {
    warning(kAllOtherFeaturesText);
    return false;
  }
  return true;
}

bool OptionsModel::setFeature(int type, int feature, const EditColorValues& values) {
  if (!canEditFeature(type, feature)) return false;
  OptionsFileType& t = *typeAt(type);
  const std::string text = trimmed(values.text);
  fileTypesShown_ = true;

  if (feature == kFeatureExtensionList) {
    if (!validExtensionList(text)) {
      error(kExtensionListText);
      return false;
    }
    if (text.size() > FileTypeList::kMaxItemBytes) {
      error("The extension list is too long (>127).");
      return false;
    }
    t.extensions = text;
    return true;
  }
  if (feature == kFeatureFileName) {
    if (!checkFileName(text)) return false;
    int owner = findTypeByFile(text, type);
    if (owner >= 0) {
      error("The file " + text + " is the highlighting file of the FileType " +
            types_[static_cast<size_t>(owner)].name + ".");
      return false;
    }
    t.markupFile = text;
    return true;
  }

  MarkUpItem& item = *t.slots[static_cast<size_t>(slotOfFeature(feature))];
  std::string newText = item.text;
  std::optional<std::string> newEnd = item.endText;
  if (feature == kFeatureBeginEndComment || feature == kFeatureFolderBrackets) {
    if (undefinedText(text)) {
      newText = kUndefinedSlot;
      newEnd.reset();
    } else {
      std::string b, e;
      if (!splitBeginEnd(text, b, e)) {
        error(kBeginEndText);
        return false;
      }
      if (b.size() > kMaxEntryText || e.size() > kMaxEntryText) {
        error("The sign is too long (>" + std::to_string(kMaxEntryText) + ").");
        return false;
      }
      newText = b;
      newEnd = e;
    }
  } else if (feature == kFeatureComment || feature == kFeatureFolder ||
             feature == kFeaturePreprocessor) {
    if (undefinedText(text)) {
      newText = kUndefinedSlot;
    } else {
      if (hasBlank(text)) {
        error(std::string("The sign of the ") + kFeatureNames[static_cast<size_t>(feature)] +
              " can't contain blanks.");
        return false;
      }
      if (text.size() > kMaxEntryText) {
        error("The sign is too long (>" + std::to_string(kMaxEntryText) + ").");
        return false;
      }
      newText = text;
    }
  }
  // Common and selected text are colours only: their text is a placeholder.
  item.text = newText;
  item.endText = newEnd;
  item.textColour = values.textColour;
  item.backColour = values.backColour;
  t.defaultContent = false;
  return true;
}

int OptionsModel::addFileType(const NewFileType& request) {
  takeFileTypes();
  const std::string name = trimmed(request.name);
  const std::string file = trimmed(request.markupFile);
  if (!checkTypeName(name) || !checkFileName(file)) return -1;
  fileTypesShown_ = true;

  const int existing = findTypeByName(name, -1);
  if (existing >= 0) {
    if (isAllOther(types_[static_cast<size_t>(existing)])) {
      warning(kAllOtherUndeletable);
      return -1;
    }
    if (host_.messageBox("File type with name " + name +
                             " already exists.\nDo you want to overwrite it?",
                         kWarningCaption, MbButtons::YesNo, MbIcon::Question) != MbResult::Yes)
      return -1;
  } else if (ownTypeCount() >= kMaxTypes) {
    warning("There is no room for one more FileType:\nPlicato keeps at most " +
            std::to_string(kMaxTypes) + " FileTypes besides ALL_OTHER.");
    return -1;
  }

  // A highlighting file that another type reads, or that is on disk
  // already, would be written over by the new type's.
  const int owner = findTypeByFile(file, existing);
  if (owner >= 0) {
    if (isAllOther(types_[static_cast<size_t>(owner)])) {
      warning(kAllOtherUndeletable);
      return -1;
    }
    if (host_.messageBox("The following File Type  '" + types_[static_cast<size_t>(owner)].name +
                             "'\n Do you want to write it over?",
                         kWarningCaption, MbButtons::YesNo, MbIcon::Question) != MbResult::Yes)
      return -1;
  } else if ((existing < 0 || types_[static_cast<size_t>(existing)].markupFile != file) &&
             fileExists(dataFileForRead(file))) {
    if (host_.messageBox("The following File Type  '" + file + "'\n Do you want to write it over?",
                         kWarningCaption, MbButtons::YesNo, MbIcon::Question) != MbResult::Yes)
      return -1;
  }

  OptionsFileType nt;
  nt.name = name;
  nt.markupFile = file;
  nt.extensions = existing >= 0 ? types_[static_cast<size_t>(existing)].extensions
                                : startingExtensions(name);
  const OptionsFileType* model = typeAt(request.model);
  if (model) {
    copySlots(nt.slots, model->slots);
    for (auto& s : nt.slots) s->sourceLine = -1;
  } else {
    MarkUpHash defaults;
    parseMarkUp(defaults, file, defaultMarkUpContent(), host_);
    copySlots(nt.slots, defaults.slots);
    for (auto& s : nt.slots) s->sourceLine = -1;
    nt.defaultContent = true;
  }

  int index;
  if (existing >= 0) {
    index = existing;
    types_[static_cast<size_t>(index)] = std::move(nt);
  } else {
    // ALL_OTHER stays the last type, as the list reads it.
    auto at = std::find_if(types_.begin(), types_.end(),
                           [](const OptionsFileType& t) { return isAllOther(t); });
    index = static_cast<int>(at - types_.begin());
    types_.insert(at, std::move(nt));
  }
  if (owner >= 0) {
    const int o = owner >= index && existing < 0 ? owner + 1 : owner;
    types_.erase(types_.begin() + o);
    if (o < index) --index;
  }
  return index;
}

bool OptionsModel::deleteFileType(int type) {
  OptionsFileType* t = typeAt(type);
  if (!t) {
    warning("There is nothing to delete");
    return false;
  }
  if (isAllOther(*t)) {
    warning(kAllOtherUndeletable);
    return false;
  }
  types_.erase(types_.begin() + type);
  fileTypesShown_ = true;
  return true;
}

// ---- OK ----

bool OptionsModel::writeFileTypes() {
  FileTypeList out;
  for (const OptionsFileType& t : types_)
    out.entries().push_back(FileType{t.name, t.extensions, t.markupFile, nullptr});
  bool ok = out.save(host_);
  for (const OptionsFileType& t : types_) {
    if (t.defaultContent) {
      ok = writeDefaultMarkUp(t.markupFile, host_) && ok;
      continue;
    }
    std::array<const MarkUpItem*, kMarkUpSlots> slots{};
    for (size_t k = 0; k < slots.size(); ++k) slots[k] = t.slots[k].get();
    std::vector<const MarkUpItem*> keywords;
    for (const auto& kw : t.keywords) keywords.push_back(kw.get());
    ok = writeMarkUp(slots, keywords, t.markupFile, host_, t.loaded) && ok;
  }
  return ok;
}

// Each window takes the table its file's type has in the new list, as
// opening the file now would choose it. The comment signs stay: the
// window's markers were read with them and are written back with them.
void OptionsModel::switchWindows(FileTypeList& fresh) {
  for (EditorView* w : windows_ ? windows_() : std::vector<EditorView*>{}) {
    if (!w) continue;
    const std::string& name = w->doc.fileName.empty() ? w->doc.pendingName : w->doc.fileName;
    int i = fresh.findExtension(extensionOf(name));
    if (i < 0) i = fresh.catchAll();
    w->doc.markUp = i >= 0 ? fresh[static_cast<size_t>(i)].table.get() : nullptr;
    if (w->doc.fileTop) recompute(w->doc.fileTop, w->doc.markUp);
  }
}

bool OptionsModel::apply() {
  Settings& s = ctx_.settings;
  const int oldLayout = s.keyboardLayout;
  bool ok = true;

  if (editor_) {
    const EditorOptions& e = *editor_;
    s.autoSave = std::max(0, settingsNumber(cut(e.autoSave, kEditFieldChars)));
    s.tabSize = std::clamp(settingsNumber(cut(e.tabSize, kEditFieldChars)), 1, 20);
    s.syntaxHighlighting = e.syntaxHighlighting;
    s.highlightUnknownFiles = e.syntaxHighlighting && e.highlightUnknownFiles;
    s.backup = e.backup;
    s.autoSaveAtTopLevel = e.autoSaveAtTopLevel;
    if (e.layout >= kLayoutStandard && e.layout <= kLayoutUser) s.keyboardLayout = e.layout;
  }
  if (compiler_) {
    const CompilerOptions& c = *compiler_;
    s.compilerCmdLine = cut(c.cmdLine, 131);
    s.externalCompiler = c.external;
    s.linkAddress = cut(c.linkAddress, 15);
    s.linkTimeout = cut(c.linkTimeout, 15);
    s.iccBtlPath = cut(c.iccBtlPath, 255);
    s.compilerParameters = cut(c.parameters, 255);
  }
  if (maker_) {
    const MakerOptions& m = *maker_;
    s.makerWorkingDirectory = cut(m.workingDirectory, 255);
    s.externalMaker = m.external;
    s.makerCmdLine = cut(m.cmdLine, 131);
    s.makefile = cut(m.makefile, 255);
    s.makerParameters = cut(m.parameters, 255);
  }

  if (colorsShown_ || fileTypesShown_) {
    ok = writeFileTypes() && ok;
    FileTypeList fresh;
    fresh.load(host_);
    switchWindows(fresh);
    liveTypes_ = std::move(fresh);
    // The copies' tables went with the old list.
    for (OptionsFileType& t : types_) t.loaded = nullptr;
  }

  if (editor_ && s.keyboardLayout != oldLayout) {
    changeLayout(ctx_, s.keyboardLayout);
    if (onLayoutChanged) onLayoutChanged(s.keyboardLayout);
  }

  ok = saveAllSettings(s, host_) && ok;

  if (windows_)
    for (EditorView* w : windows_())
      if (w) reshow(*w);
  return ok;
}

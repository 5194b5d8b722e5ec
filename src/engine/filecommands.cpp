#include "engine/filecommands.hpp"

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "model/linestates.hpp"
#include "engine/statusline.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/navigation.hpp"
#include "model/fileidentity.hpp"
#include "model/filetypes.hpp"
#include "model/foldformat.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"
#include "model/paths.hpp"
#include "platform/host.hpp"

namespace {

FileTypeList* gFileTypes = nullptr;

void levelChanged(View& w) {
  if (w.hooks.levelChanged) w.hooks.levelChanged(w);
}

void notFound(View& w, const std::string& path) {
  char buf[600];
  std::snprintf(buf, sizeof buf, "Plicato file '%.500s' not found", path.c_str());
  w.host.statusMessage(buf);
}

// A new buffer has a caption ("Noname") but no file yet.
bool unnamed(const View& w) { return ownFileName(w).empty(); }

// A file that exists and may not be written: no write permission in its
// mode (which a rename would get round, even for root), or none for us.
bool readOnlyFile(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool readable(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// What a new name changes, so that a failed save-as can put it back.
struct NameState {
  std::string fileName, title, saveAsName, pendingName;
  bool nameGiven = false;
  std::array<std::string, kBasePathEntries> basePath;
  int basePathTop = -1;
  std::string rootText, bottomText;
  std::string commentStart, commentEnd, fileTypeName;
  MarkUpHash* markUp = nullptr;
  bool readAsTds = false;

  explicit NameState(const View& w)
      : fileName(w.doc.fileName), title(w.doc.title), saveAsName(w.saveAsName),
        pendingName(w.doc.pendingName), nameGiven(w.doc.nameGiven), basePath(w.doc.basePath),
        basePathTop(w.doc.basePathTop), commentStart(w.doc.commentStart), commentEnd(w.doc.commentEnd),
        fileTypeName(w.doc.fileTypeName), markUp(w.doc.markUp), readAsTds(w.doc.readAsTds) {
    rootText = w.doc.fileBottom->partner()->text;
    bottomText = w.doc.fileBottom->text;
  }
  void restore(View& w) const {
    w.doc.fileName = fileName;
    w.doc.title = title;
    w.saveAsName = saveAsName;
    w.doc.pendingName = pendingName;
    w.doc.nameGiven = nameGiven;
    w.doc.basePath = basePath;
    w.doc.basePathTop = basePathTop;
    w.doc.commentStart = commentStart;
    w.doc.commentEnd = commentEnd;
    w.doc.fileTypeName = fileTypeName;
    w.doc.markUp = markUp;
    w.doc.readAsTds = readAsTds;
    assign(*w.doc.fileBottom->partner(), rootText.c_str());
    assign(*w.doc.fileBottom, bottomText.c_str());
    w.computeRows(w.doc.fileBottom->partner());
    w.computeRows(w.doc.fileBottom);
    if (w.doc.fileTop) recompute(w.doc.fileTop, w.doc.markUp);
    Redraw(w, 1);
  }
};

// The indentation that lines put above `line` take in the view.
int32_t columnAbove(const View& w, const LineNode* line) {
  // An entered fold's end keeps its header's outer column for the way out;
  // inside, the fold's lines stand at 0.
  if (line == w.doc.levelBottom && line->partner() && line->partner()->kind == EnteredFold) return 0;
  return headerColumn(line);
}

}  // namespace

FileTypeList* activeFileTypes() { return gFileTypes; }
void setActiveFileTypes(FileTypeList* types) { gFileTypes = types; }

bool saveCommand(View& w) {
  if (!w.doc.fileBottom || !w.doc.fileBottom->partner()) return false;
  if (!inFiledFile(w) && unnamed(w)) return saveAsCommand(w);
  const bool ok = saveCommandWrite(w.doc, w.doc.modified, [&] { exitToFileTop(w); });
  // saveCommandWrite is true after a write only when ioStatus is 0.
  if (ok) w.doc.markSaved();
  return ok;
}

void adoptFileName(View& w, const std::string& name) {
  const std::string path = absolutePath(normaliseSeparators(name));
  const std::string base = baseName(path);
  LineNode* bottom = w.doc.fileBottom;
  w.doc.fileName = path;
  w.doc.title = path;
  w.doc.nameGiven = true;
  w.doc.pendingName = path;
  w.doc.clearBasePath();
  w.doc.pushBasePath(dirName(path));
  if (bottom && bottom->partner()) {
    assign(*bottom->partner(), base.c_str());
    assign(*bottom, base.c_str());
    w.computeRows(bottom->partner());
    w.computeRows(bottom);
  }
  const MarkUpHash* oldMarkUp = w.doc.markUp;
  setConvention(w.doc, extensionOf(base), activeFileTypes(), langList());
  w.doc.readAsTds = isTdsType(w.doc.fileTypeName);
  // The new type may highlight otherwise; the screen shows the new name
  // on the top line and every line in the new colours.
  if (w.doc.markUp != oldMarkUp && w.doc.fileTop) recompute(w.doc.fileTop, w.doc.markUp);
  Redraw(w, 1);
}

bool saveAsCommand(View& w) {
  const std::string filter = dialogFilter(activeFileTypes(), langList());
  std::optional<std::string> name = w.host.saveAsDialog(filter, ownFileName(w));
  if (!name || name->empty()) return false;
  // The new name is the window's own file's: filed files are left first.
  if (!exitAllFolds(w)) return false;
  const NameState old(w);
  w.saveAsName = *name;
  adoptFileName(w, *name);
  // Written under the new name whether or not anything changed.
  if (!saveCommandWrite(w.doc, true, [&] { exitToFileTop(w); })) {
    old.restore(w);
    return false;
  }
  w.doc.markSaved();
  refreshStatus(w);
  levelChanged(w);
  return true;
}

bool reloadCommand(View& w) {
  const std::string path = ownFileName(w);
  if (path.empty() || unnamed(w)) return false;
  if (!readable(path)) {
    notFound(w, path);
    return false;
  }
  discardFiledLevels(w);
  // What was done before the file was read again cannot be undone after.
  w.doc.restartHistory();
  LineNode* root = w.doc.fileBottom->partner();
  LineNode* bottom = w.doc.fileBottom;

  // The file is read into a chain of its own first, so that a read that
  // fails leaves the tree as it was.
  LineNode* top = newLineNode(w.doc);
  LineNode* end = newLineNode(w.doc);
  journal::touch(top);
  top->kind = FileTop;
  journal::touch(end);
  end->kind = FoldEnd;
  top->partner() = end;
  end->partner() = top;
  linkAfter(top, end);
  end->next = nullptr;
  w.doc.nameGiven = true;
  w.doc.pendingName = path;
  const FileIdentity seen = identityOf(path);
  read(w.doc, nullptr, top, end, true);
  rememberRead(w.doc, seen);
  const bool ok = w.doc.ioStatus != 2;
  if (ok) {
    for (LineNode* q = root->next; q && q != bottom;) {
      LineNode* next = q->next;
      dispose(w.doc, q);
      q = next;
    }
    if (top->next == end) {
      linkAfter(root, bottom);
    } else {
      LineNode* last = end->prev;
      linkAfter(root, top->next);
      linkAfter(last, bottom);
    }
    assign(*root, top->text);
    assign(*bottom, end->text);
    w.computeRows(root);
    w.computeRows(bottom);
    top->next = nullptr;
    w.doc.markSaved();
  }
  for (LineNode* n : {top, end}) {
    journal::touch(n);
    n->kind = TextLine;
    n->prev = n->next = n->partner() = n->inner() = nullptr;
    dispose(w.doc, n);
  }
  w.doc.levelTop = w.doc.fileTop;
  w.doc.levelBottom = w.doc.fileBottom;
  w.foldDepth = 0;
  w.depthOffset = 0;
  w.currentLine = root->next ? root->next : root;
  w.curSubRow = 0;
  w.topLine = nullptr;
  PlaceCursor(w, 2);
  if (ok) w.linesRead(root);
  refreshStatus(w);
  levelChanged(w);
  return ok;
}

bool insertFileCommand(View& w) {
  LineNode* at = w.currentLine;
  // Nothing goes above the top line of a view.
  if (!at || at == viewFirst(w) || !at->prev) return false;
  std::optional<std::string> chosen =
      w.host.openFileDialog(dialogFilter(activeFileTypes(), langList()), "Open");
  if (!chosen || chosen->empty()) return false;
  std::string path = absolutePath(normaliseSeparators(*chosen));
  if (!readable(path)) {
    notFound(w, path);
    return false;
  }

  // The reader takes the name from a node; this one never joins the tree.
  LineNode nameNode;
  nameNode.text = path.data();
  LineNode* after = at->prev;
  const int32_t column = columnAbove(w, at);
  // A comment declaration in the inserted file holds for that file only.
  const std::string start = w.doc.commentStart;
  const std::string end = w.doc.commentEnd;
  read(w.doc, &nameNode, after, at, false);
  w.doc.commentStart = start;
  w.doc.commentEnd = end;
  nameNode.text = nullptr;
  if (w.doc.ioStatus == 2) return false;

  LineNode* first = after->next;
  if (first == at) return false;
  for (LineNode* q = first; q && q != at; q = q->next) {
    journal::touch(q);
    q->indent = column;
    w.computeRows(q);
  }
  w.doc.markChanged();
  // The first inserted line takes the cursor line's place on the screen.
  const int row = w.cursorRow - w.curSubRow;
  if (w.topLine == at && w.topSubRow == 0) w.topLine = first;
  w.currentLine = first;
  w.curSubRow = 0;
  PlaceCursor(w, row < 1 ? 1 : row);
  refreshStatus(w);
  return true;
}

bool exitSave(View& w) {
  if (!w.doc.fileBottom || !w.doc.fileBottom->partner()) return true;
  if (!exitAllFolds(w)) return false;
  if (unnamed(w)) return !w.doc.modified || (saveAsCommand(w) && !w.doc.modified);
  const PathProbe probe = resolve(w.doc, w.doc.fileBottom->text);
  if (probe.exists && readOnlyFile(probe.path)) {
    w.host.messageBox("File is read-only - unable to save.", "Plicato Warning", MbButtons::Ok,
                      MbIcon::Exclamation);
    // Unsaved changes keep the window open.
    return !w.doc.modified;
  }
  if (!w.doc.modified) return true;
  Save(w.doc, w.doc.fileBottom, w.doc.fileBottom->partner());
  if (w.doc.ioStatus != 0) return false;
  w.doc.markSaved();
  return true;
}

void installFileHooks(View& w) {
  w.hooks.save = [](View& win) { return saveCommand(win); };
  w.hooks.rename = [](View& win, const std::string& name) {
    if (inFiledFile(win) && !exitAllFolds(win)) return;
    adoptFileName(win, name);
    levelChanged(win);
  };
}

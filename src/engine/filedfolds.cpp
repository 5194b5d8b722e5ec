#include "engine/filedfolds.hpp"

#include <string>

#include "model/linestates.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"
#include "model/linestore.hpp"
#include "platform/host.hpp"

namespace {

// The title names the fold's file; blanks around it are no part of a name.
std::string titleName(const LineNode* header) {
  std::string t = header->text ? header->text : "";
  const size_t a = t.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const size_t b = t.find_last_not_of(" \t");
  return t.substr(a, b - a + 1);
}

std::string shownPath(const PathProbe& probe, const std::string& name) {
  return probe.path.empty() ? name : probe.path;
}

void repaintCursorRow(View& w) {
  w.computeRows(w.currentLine);
  w.currentLine->lineState = kStateRecompute;
  update(w.currentLine, w.doc.markUp);
  composeRow(w, w.cursorRow, w.currentLine, w.curSubRow);
  w.queueRepaint(w.cursorRow);
}

// Writes the inside of closed fold `header` to the file its end names.
// The writer walks from a header's next to its partner, so a stand-in
// header gives it the inside without touching the fold's links. What the
// writer notes in the window for its own file (the file name, the backup
// taken on the first save) stays the window's.
bool writeInside(View& w, LineNode* header) {
  LineNode standIn;
  standIn.next = header->inner();
  standIn.partner() = header->partner();
  const std::string fileName = w.doc.fileName;
  const bool backupDone = w.doc.backupDone;
  Save(w.doc, header->partner(), &standIn);
  w.doc.fileName = fileName;
  w.doc.backupDone = backupDone;
  return w.doc.ioStatus == 0;
}

void fileFold(View& w, LineNode* header) {
  const std::string name = titleName(header);
  const PathProbe probe = resolve(w.doc, name);
  if (!probe.usable) {
    w.host.statusMessage("Plicato cannot open " + shownPath(probe, name));
    return;
  }
  if (probe.exists &&
      w.host.messageBox("overwrite " + probe.path, "Open", MbButtons::YesNo, MbIcon::Question) !=
          MbResult::Yes)
    return;

  LineNode* end = header->partner();
  const std::string oldEndText = end->text ? end->text : "";
  assign(*end, probe.path.c_str());
  // The lines leave memory only once they are safe in their file.
  if (!writeInside(w, header)) {
    assign(*end, oldEndText.c_str());
    return;
  }
  for (LineNode* q = header->inner(); q && q != end;) {
    LineNode* next = q->next;
    dispose(w.doc, q);
    q = next;
  }
  header->inner() = end;
  end->prev = header;
  journal::touch(header);
  header->kind = FiledFold;
  w.doc.markChanged();
  repaintCursorRow(w);
}

void unfileFold(View& w, LineNode* header) {
  LineNode* end = header->partner();
  if (header->inner() == end) {
    const std::string name = end->text ? end->text : "";
    const PathProbe probe = resolve(w.doc, name);
    // A missing file would leave an empty fold that no longer names it.
    if (!probe.exists) {
      w.host.statusMessage("File " + shownPath(probe, name) + " not found");
      return;
    }
    // The fold's lines take the window's comment convention, whatever
    // their file declared.
    const std::string start = w.doc.commentStart;
    const std::string stop = w.doc.commentEnd;
    read(w.doc, end, header, end, false);
    w.doc.commentStart = start;
    w.doc.commentEnd = stop;
    if (w.doc.ioStatus == 2) return;
  }
  assign(*end, "");
  journal::touch(header);
  header->kind = ClosedFold;
  w.doc.markChanged();
  repaintCursorRow(w);
}

}  // namespace

void fileUnfileFold(View& w) {
  LineNode* h = w.currentLine;
  if (!h || !isClosedHeader(h) || !h->partner() || !hasDefaultAttributes(h)) return;
  if (h->kind == ClosedFold)
    fileFold(w, h);
  else
    unfileFold(w, h);
}

void attachFileToFold(View& w) {
  LineNode* h = w.currentLine;
  if (!h || h->kind != ClosedFold || !h->partner() || !hasDefaultAttributes(h)) return;
  if (h->inner() != h->partner()) return;  // a fold with contents keeps them
  const std::string name = titleName(h);
  const PathProbe probe = resolve(w.doc, name);
  if (!probe.exists || !probe.usable) {
    w.host.statusMessage("File " + shownPath(probe, name) + " not found");
    return;
  }
  assign(*h->partner(), probe.path.c_str());
  journal::touch(h);
  h->kind = FiledFold;
  w.doc.markChanged();
  w.host.statusMessage("Attached " + probe.path);
  repaintCursorRow(w);
}

// The clipboard paste parser: any bytes as clipboard text, pasted into a
// window of a C or Fortran file (as the cursor line decides: above a fold
// header or end, or into a text line at a column), once at the top level
// and once inside an open fold. The window's view must stay sound, and the
// file saved afterwards must read back as a sound tree.
//
// Input: byte 0 chooses the file type and the cursor line, byte 1 the
// cursor column; the rest is the clipboard text.
#include <string>

#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/blocks.hpp"
#include "engine/navigation.hpp"
#include "fuzzsupport.hpp"
#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"
#include "support/foldwindow.hpp"

namespace {

const char* kCFile =
    "int a;\r\n"
    "  int indented;\r\n"
    "/*{{{  outer*/\r\n"
    "x = 1;\r\n"
    "  /*{{{  inner*/\r\n"
    "  y = 2;\r\n"
    "  /*}}}*/\r\n"
    "/*}}}*/\r\n"
    "/*{{{  COMMENT note*/\r\n"
    "/*why*/\r\n"
    "/*}}}*/\r\n"
    "int z;\r\n";

const char* kFortranFile =
    "      PROGRAM P\r\n"
    "C{{{  body\r\n"
    "C     X = 1\r\n"
    "      Y = 2\r\n"
    "C}}}\r\n"
    "      END\r\n";

void cursorTo(EditorView& w, int steps, int column) {
  for (int i = 0; i < steps; ++i)
    if (!moveDown(w)) break;
  w.textColumn = column;
  w.cursorCol = column - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  if (size < 2) return 0;
  const bool fortran = data[0] & 1;
  const WindowSpec conv =
      fortran ? WindowSpec{"C", "", "Fortran", ".f"} : WindowSpec{"/*", "*/", "C", ".c"};
  const std::string path = writeScratch(std::string("paste") + conv.extension,
                                        fortran ? kFortranFile : kCFile);
  const std::string clip(reinterpret_cast<const char*>(data + 2), size - 2);
  const int steps = (data[0] >> 1) % 14;
  const int column = 1 + data[1] % 24;

  FuzzHost host;
  ScopedHost scope(host);
  EngineContext ctx(host);
  {
    EditorView w(ctx, path);
    foldtest::prepare(w.doc, conv.commentStart, conv.commentEnd, conv.typeName);
    foldtest::openShown(w, path);

    cursorTo(w, steps, column);
    pasteText(w, clip);
    checkView(w.doc);

    // Again inside the first fold, opened in place.
    w.currentLine = w.doc.levelTop->next->next;
    w.curSubRow = 0;
    PlaceCursor(w, 2);
    for (int i = 0; i < 8 && w.currentLine != w.doc.levelBottom; ++i) {
      if (w.currentLine->kind == ClosedFold) {
        OpenInPlace(w);
        break;
      }
      if (!moveDown(w)) break;
    }
    cursorTo(w, 1, column);
    pasteText(w, clip);
    checkView(w.doc);

    // Everything closed again and written.
    while (w.doc.levelTop != w.doc.fileTop) ExitFold(w);
    CloseAllFolds(w);
    checkView(w.doc);
    Save(w.doc, w.doc.fileBottom, w.doc.fileBottom->partner());
    fuzzCheck(w.doc.ioStatus == 0, "the pasted tree could not be written");
  }
  checkFile(conv, path);
  return 0;
}

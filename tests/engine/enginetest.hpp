// A window over a fold file written by the test, read as the application
// reads it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "support/foldwindow.hpp"
#include "support/testenv.hpp"

class EngineTest : public PlicatoTest {
 protected:
  // Lines joined with LF (the writer keeps LF line ends for such a file).
  static std::string lines(const std::vector<std::string>& v) { return foldtest::lfLines(v); }

  std::unique_ptr<EditorView> open(const std::string& name) {
    auto w = foldtest::openC(ctx, work.file(name));
    host.clearEvents();
    return w;
  }

  // The first node of the view (from the current one on) whose text is t.
  static LineNode* find(EditorView& w, const std::string& t) {
    for (LineNode* p = viewFirst(w); p; p = p->next) {
      if (p->text && t == p->text) return p;
      if (p == w.doc.levelBottom) break;
    }
    return nullptr;
  }

  // Cursor on the line with text t, at screen row `row` when it can be.
  static void cursorTo(EditorView& w, const std::string& t, int row = 2) {
    LineNode* p = find(w, t);
    ASSERT_NE(p, nullptr) << t;
    w.currentLine = p;
    w.curSubRow = 0;
    PlaceCursor(w, row);
  }

  static std::string text(const LineNode* n) { return n && n->text ? n->text : "<null>"; }

  // The texts of the view, each after its display indentation.
  static std::vector<std::string> view(EditorView& w) {
    std::vector<std::string> out;
    for (LineNode* p = viewFirst(w); p; p = p->next) {
      out.push_back(displayText(*p));
      if (p == w.doc.levelBottom) break;
    }
    return out;
  }

  bool statusSaid(const std::string& t) const {
    for (const auto& s : host.statusTexts())
      if (s == t) return true;
    return false;
  }
  bool boxSaid(const std::string& t) const {
    for (const auto& s : host.boxTexts())
      if (s == t) return true;
    return false;
  }
};

// A window over a small tree made by hand, for the display tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "commands/keyqueue.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "model/growstr.hpp"
#include "model/linestore.hpp"
#include "support/testenv.hpp"

// A BatchHost that also keeps the private messages posted and can refuse them.
class PostingHost : public BatchHost {
 public:
  bool postMessage(WindowHandle, int message) override {
    posted.push_back(message);
    return !failPosts;
  }
  std::vector<int> posted;
  bool failPosts = false;
};

class DisplayTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    ctx.keys.set(kPlicatoStandardTable);
  }

  // Window with the root header, the given text lines and the end line;
  // the cursor on the first text line.
  std::unique_ptr<EditorView> makeWindow(const std::vector<std::string>& lines,
                                           EditorContext* c = nullptr) {
    auto w = std::make_unique<EditorView>(c ? *c : ctx);
    buildFileChain(w->doc);
    LineNode* root = w->doc.levelTop->next;
    assign(*root, "file.c");
    assign(*w->doc.levelBottom, "file.c");
    LineNode* last = root;
    for (const std::string& t : lines) last = append(*w, last, t);
    linkAfter(last, w->doc.levelBottom);
    finishFileChain(w->doc);
    w->doc.fileTypeName = "C";
    installKeyHooks(*w);
    return w;
  }

  static LineNode* append(EditorView& w, LineNode* after, const std::string& text,
                          LineKind kind = TextLine) {
    LineNode* n = newLineNode(w.doc);
    assign(*n, text.c_str());
    n->kind = kind;
    linkAfter(after, n);
    return n;
  }

  static std::vector<std::string> numbered(int count) {
    std::vector<std::string> v;
    for (int i = 1; i <= count; ++i) v.push_back("line " + std::to_string(i));
    return v;
  }

  // The n-th node after the root header (1 = first text line).
  static LineNode* nth(EditorView& w, int n) {
    LineNode* p = w.doc.levelTop->next;
    for (int i = 0; i < n; ++i) p = p->next;
    return p;
  }

  // Screen row r (1-based) as stored, cut to `n` bytes.
  static std::string rowText(EditorView& w, int r, int n) {
    const char* p = w.screen().row(r - 1);
    return p ? std::string(p, static_cast<size_t>(n)) : std::string();
  }

  // What the keyboard buffer holds, in order.
  static std::vector<int> waiting(EditorView& w) {
    std::vector<int> out;
    for (int i = w.keys.keyRead; i != w.keys.keyWrite; i = (i + 1) % KeyBuffer::kSize)
      out.push_back(w.keys.keyBuf[i]);
    return out;
  }
  // The commands the editor gave itself, in order (taken out).
  static std::vector<int> ownCommands(EditorView& w) {
    std::vector<int> out;
    for (int c = 0; w.keys.takeOwnCommand(c);) out.push_back(c);
    return out;
  }
};

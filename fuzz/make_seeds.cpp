// Writes the seed corpus of the fuzz targets, every sample made by the
// program's own writers (the fold writer in each convention and in TDS, the
// highlighting-table writer, the clipboard text of a copied block, the profile and registry writers of the
// settings store, the language list, the macro file) or, for key scripts,
// from the key names of both layouts' tables.
//
//   make_seeds <corpus dir>     (fuzz/corpus: one folder per target)
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/placement.hpp"
#include "app/registry.hpp"
#include "app/settingsstore.hpp"
#include "commands/keytable.hpp"
#include "commands/macros.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/blocks.hpp"
#include "fuzzsupport.hpp"
#include "model/atomicfile.hpp"
#include "model/filetypes.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"
#include "model/markup.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"
#include "support/foldwindow.hpp"

namespace fs = std::filesystem;

namespace {

std::string g_out;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(g_out + "/" + target);
  std::string path = g_out + "/" + target + "/" + name;
  std::string error;
  if (!writeFileAtomic(path, bytes, &error)) {
    std::fprintf(stderr, "make_seeds: %s: %s\n", path.c_str(), error.c_str());
    std::exit(1);
  }
}

// Appends lines and folds to one level of a window's tree.
using Level = foldtest::Builder;

void nothing(Level&) {}

// A tree with what the format can hold: nested folds at several columns,
// tabs, a COMMENT fold, both kinds of filed fold, attributes, blank lines.
void sampleTree(Level& top) {
  top.text("first line");
  top.text("");
  top.fold("outer", ClosedFold, 2, [](Level& l) {
    l.text("inside outer");
    l.text("\tindented by a tab");
    l.fold("inner", ClosedFold, 4, [](Level& m) { m.text("deep"); });
    l.fold("COMMENT notes", ClosedFold, 0, [](Level& m) {
      m.text("a comment line");
      m.fold("nested in a comment", ClosedFold, 2, [](Level& n) { n.text("x"); });
    });
    l.text("C  a Fortran-looking line");
  });
  top.fold("typed", ClosedFold, 0, [](Level& l) { l.text("attrs"); }, 3, 2);
  top.fold("filed inline", FiledFold, 0, [](Level& l) { l.text("in its own file too"); }, 0, 1,
           "part.txt");
  top.fold("filed only", FiledFold, 2, nothing, 1, 1, "only.txt");
  top.fold("empty", ClosedFold, 0, nothing);
  top.text("last line");
}

void smallTree(Level& top) {
  top.fold("a", ClosedFold, 0, [](Level& l) { l.text("x"); });
}

std::string writeTree(const WindowSpec& conv, void (*build)(Level&), const std::string& file) {
  FuzzHost host;
  ScopedHost scope(host);
  ModelContext ctx(host);
  LineStore w(ctx);
  foldtest::prepare(w, conv.commentStart, conv.commentEnd, conv.typeName);
  LineNode* root = foldtest::root(w);
  Level top = foldtest::top(w);
  build(top);
  foldtest::finish(w, top);
  std::string path = scratchDir() + "/" + file;
  std::remove(path.c_str());
  assign(*w.fileBottom, path.c_str());
  Save(w, w.fileBottom, root);
  std::string out;
  if (w.ioStatus != 0 || !readWholeFile(path, out)) {
    std::fprintf(stderr, "make_seeds: the writer failed for %s\n", file.c_str());
    std::exit(1);
  }
  return out;
}

void foldSeeds() {
  for (size_t i = 0; i < kConventionCount; ++i) {
    const WindowSpec& conv = kConventions[i];
    if (std::string(conv.typeName) == "TDS") continue;
    std::string prefix{static_cast<char>(i), static_cast<char>(7)};  // tab size 8
    std::string name = std::string(conv.typeName) == "C++" ? "Cpp" : conv.typeName;
    seed("foldreader", name + "-sample", prefix + writeTree(conv, sampleTree, "s" + std::string(conv.extension)));
    seed("foldreader", name + "-small", prefix + writeTree(conv, smallTree, "t" + std::string(conv.extension)));
  }
  // A declaration line that changes the convention on the way.
  std::string c = writeTree(kConventions[1], smallTree, "d.cpp");
  seed("foldreader", "declaration", std::string{0, 3} + "//{{{}}}\r\n" + c);
  std::string hello;
  if (readWholeFile(std::string(PLICATO_SOURCE_DIR) + "/resources/samples/sample.c", hello))
    seed("foldreader", "hello-c", std::string{0, 7} + hello);

  for (size_t i = 0; i < kConventionCount; ++i) {
    if (std::string(kConventions[i].typeName) != "TDS") continue;
    using Build = void (*)(Level&);
    for (auto [name, build] : {std::pair<const char*, Build>{"sample", sampleTree},
                               std::pair<const char*, Build>{"small", smallTree}}) {
      std::string tds = writeTree(kConventions[i], build, std::string("t-") + name + ".tsr");
      seed("tdsreader", name, tds.substr(1));  // the target puts the begin token back
    }
  }
}

void markupSeeds() {
  FuzzHost host;
  seed("markup", "default", std::string(1, '\0') + defaultMarkUpContent());
  for (const char* file : {"ansi_c.mrk", "allother.mrk", "pascal.mrk", "occam2.mrk", "fortran.mrk"}) {
    MarkUpHash t;
    if (loadMarkUp(t, file, host)) continue;
    std::array<const MarkUpItem*, kMarkUpSlots> slots{};
    for (size_t k = 0; k < slots.size(); ++k) slots[k] = t.slots[k].get();
    std::vector<const MarkUpItem*> keywords;
    for (const auto& kw : t.keywords) keywords.push_back(kw.get());
    std::string flag(1, std::string(file) == "allother.mrk" ? '\1' : '\0');
    seed("markup", file, flag + serialiseMarkUp(slots, keywords, &t));
  }
}

void settingsSeeds() {
  FuzzHost host;
  ScopedHost scope(host);
  Settings s;
  s.tabSize = 4;
  s.syntaxHighlighting = true;
  s.compilerCmdLine = "\"occ\" -o \"out file\"";
  s.makefile = "Makefile";
  s.colourScheme = kSchemeUser;
  WindowPlacement p{2, kShowMaximised, 10, 20, 610, 420};

  // The registry form.
  registry().parse("");
  saveAllSettings(s, host);
  saveViewSwitches(s, host);
  storePlacement(host, "MainWindowPlacement", p, true, false);
  storePlacement(host, "File1Placement", p, false, true);
  seed("registry", "settings", registry().serialise());

  // The profile form, with the file types and the reopen list.
  ::setenv("PLICATO_WIN32S", "1", 1);
  ProfileFile& ini = plicatoIni();
  ini.parse("");
  saveAllSettings(s, host);
  saveViewSwitches(s, host);
  storePlacement(host, "MainWindowPlacement", p, true, false);
  storePlacement(host, "File1Placement", p, false, true);
  FileTypeList types;
  types.load(ini, host);  // the catch-all alone
  ProfileFile typesIni(scratchDir() + "/types.ini");
  FileTypeList full;
  for (auto [name, ext, mrk] : {std::tuple{"C", "*.c;*.h", "ansi_c.mrk"},
                                std::tuple{"Pascal", "*.pas", "pascal.mrk"},
                                std::tuple{"occam", "*.occ", "occam2.mrk"}}) {
    FileType t{name, ext, mrk, std::make_unique<MarkUpHash>()};
    full.entries().push_back(std::move(t));
  }
  full.save(ini, host);
  std::vector<PlacedWindow> windows(2);
  windows[0].title = windows[0].fileName = "/home/user/a.c";
  windows[0].placement = p;
  windows[1].title = windows[1].fileName = "/home/user/b.occ";
  windows[1].placement = p;
  writeReopenList(host, windows);
  seed("profile", "settings", ini.serialise());
  std::string shipped;
  if (readWholeFile(std::string(PLICATO_SOURCE_DIR) + "/resources/PLICATO.INI", shipped)) {
    ProfileFile f(scratchDir() + "/shipped.ini");
    f.parse(shipped);
    seed("profile", "shipped", f.serialise());
  }
  ::unsetenv("PLICATO_WIN32S");
}

void langSeeds() {
  LanguageList builtIn;
  seed("langtxt", "builtin", builtIn.serialise());
  LanguageList shipped;
  std::string text;
  if (readWholeFile(std::string(PLICATO_SOURCE_DIR) + "/resources/lang.txt", text)) {
    shipped.parse(text);
    seed("langtxt", "shipped", shipped.serialise());
  }
}

void macroSeeds() {
  Macros m;
  seed("macros", "empty", m.fileText());
  m.setMacro(0, {'H', 'e', 'l', 'l', 'o'});
  m.setMacro(3, {cmdCursorDown, cmdStartOfLine, '-', '-', cmdCursorDown});
  m.setMacro(9, {cmdCreateFold, cmdCursorDown, cmdCreateFold, cmdSave});
  seed("macros", "three", m.fileText());
  std::vector<int32_t> full(kMacroLength, 'x');
  m.setMacro(5, full);
  seed("macros", "full", m.fileText());
}

void keyScriptSeeds() {
  // Byte 0 chooses the layout (bit 0 set: Windows), then the keys of every
  // command of that layout's table, a few at a time, between typed text.
  for (int layout : {kLayoutStandard, kLayoutWindows}) {
    const CommandKeyTable& table = layout == kLayoutWindows ? kWindowsTable : kPlicatoStandardTable;
    std::string all(1, layout == kLayoutWindows ? '\1' : '\0');
    std::string chunk = all;
    int n = 0, part = 0;
    for (const CommandKey& k : table) {
      if (k.command == 0) continue;
      std::string key = keyName(k);
      if (key.empty()) continue;
      chunk += key + " \"ab\" Down ";
      if (++n % 10 == 0) {
        seed("keyscript", std::string(layout == kLayoutWindows ? "win-" : "std-") + std::to_string(part++), chunk);
        chunk = all;
      }
    }
    if (chunk.size() > 1) seed("keyscript", std::string(layout == kLayoutWindows ? "win-" : "std-") + std::to_string(part), chunk);
  }
  seed("keyscript", "typing", std::string(1, '\1') + "Down Down \"x := 1\" Enter \"y\" Up Home Del Ctrl-S");
  // Changes taken back and done again, across folds and a save.
  seed("keyscript", "undo",
       std::string(1, '\0') + "Down \"ab\" Alt-F7 Home Down Ins Down Ins PgUp Alt-Backspace "
                              "Alt-Backspace Shift-Alt-Backspace Shift-F4 Alt-Backspace Alt-Backspace "
                              "Alt-Backspace Shift-Alt-Backspace \"c\" Shift-Alt-Backspace");
}

// Clipboard text as a copy of the whole sample tree makes it, in C and in
// Fortran (byte 0: file type and cursor line, byte 1: cursor column).
void pasteSeeds() {
  const WindowSpec specs[] = {{"/*", "*/", "C", ".c"}, {"C", "", "Fortran", ".f"}};
  for (const WindowSpec& conv : specs) {
    const bool fortran = std::string(conv.typeName) == "Fortran";
    std::string path = scratchDir() + "/clip" + conv.extension;
    std::string text = writeTree(conv, sampleTree, "clip" + std::string(conv.extension));
    FuzzHost host;
    ScopedHost scope(host);
    EngineContext ctx(host);
    EditorView w(ctx, path);
    foldtest::prepare(w.doc, conv.commentStart, conv.commentEnd, conv.typeName);
    foldtest::openShown(w, path);
    w.markAnchorLine = w.doc.levelTop->next->next;
    w.markAnchorSubRow = 0;
    w.blockKind = BlockKind::Lines;
    w.setMarkEnd(w.doc.levelBottom->prev, 0);  // a line block ends before it
    std::string clip = clipboardText(w);
    if (clip.empty()) {
      std::fprintf(stderr, "make_seeds: no clipboard text for %s\n", conv.typeName);
      std::exit(1);
    }
    const char flag = fortran ? 1 : 0;
    seed("paste", std::string(conv.typeName) + "-above", std::string{static_cast<char>(flag | 4), 1} + clip);
    seed("paste", std::string(conv.typeName) + "-into", std::string{flag, 3} + clip);
  }
  seed("paste", "line", std::string{0, 2} + "pasted words\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus dir>\n");
    return 2;
  }
  g_out = fs::absolute(argv[1]).string();
  fuzzInit();
  foldSeeds();
  markupSeeds();
  settingsSeeds();
  langSeeds();
  macroSeeds();
  keyScriptSeeds();
  pasteSeeds();
  std::printf("make_seeds: corpus written to %s\n", g_out.c_str());
  return 0;
}

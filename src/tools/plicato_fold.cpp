// plicato-fold: fold files on the command line.
//
//   plicato-fold tree FILE        the fold outline
//   plicato-fold json FILE        the whole tree as JSON
//   plicato-fold convert IN OUT [--type NAME]
//                                 IN read in the type its name selects, OUT
//                                 written in the type of its name or NAME
//   plicato-fold check FILE...    what a save would change, one line each
//                                 in the form compilers use
// Options: --config DIR (where PLICATO.INI and lang.txt are), --comment
// START END (the answer to the comment-convention question for an unknown
// extension; without it the question is cancelled).
//
// Exit status 0 on success; on failure one line on standard error and 1.
// check exits 0 when a save gives every file back unchanged, 1 when it
// would change one, 2 when a file cannot be read.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/atomicfile.hpp"
#include "model/latin1.hpp"
#include "model/filetypes.hpp"
#include "model/foldformat.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"
#include "model/linestore.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "platform/host.hpp"
#include "platform/quickexit.hpp"

namespace {

const char* kUsage =
    "usage: plicato-fold tree FILE | json FILE | convert IN OUT [--type NAME] | check FILE... "
    "[--config DIR] [--comment START END]";

// Message boxes become remembered lines, the comment question is answered
// from --comment, every dialog is cancelled.
class ToolHost : public Host {
 public:
  // The tool reads and writes with the editor's default settings.
  ModelContext ctx{*this};
  std::optional<CommentAnswer> comment;
  std::vector<std::string> boxes;  // "caption: text", newlines as blanks
  std::string lastStatus;

  MbResult messageBox(const std::string& text, const std::string& caption, MbButtons buttons,
                      MbIcon) override {
    std::string line = caption + ": " + text;
    for (char& c : line)
      if (c == '\n' || c == '\r') c = ' ';
    boxes.push_back(line);
    switch (buttons) {
      case MbButtons::Ok: return MbResult::Ok;
      case MbButtons::YesNo: return MbResult::No;
      default: return MbResult::Cancel;
    }
  }
  void statusMessage(const std::string& text) override { lastStatus = text; }
  std::optional<std::string> openFileDialog(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> saveAsDialog(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<CommentAnswer> askCommentConvention(const CommentAnswer& offered) override {
    if (!comment) return std::nullopt;
    CommentAnswer a = *comment;
    a.typeName = offered.typeName;
    return a;
  }
  std::optional<std::string> prompt(const std::string&, const std::string&, const std::string&,
                                    int) override {
    return std::nullopt;
  }
  [[noreturn]] void exitProcess(int code) override {
    // Only fatal reports end the process through the host.
    std::fprintf(stderr, "plicato-fold: %s\n",
                 boxes.empty() ? "stopped" : boxes.back().c_str());
    std::fflush(nullptr);
    std::_Exit(code == 0 ? 1 : code);
  }
};

struct Options {
  std::string command;
  std::vector<std::string> files;
  std::string type;
  bool typeGiven = false;
};

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "plicato-fold: %s\n", message.c_str());
  std::exit(1);
}

bool parse(int argc, char** argv, Options& o, ToolHost& host) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--config") {
      if (i + 1 >= argc) return false;
      setConfigDir(argv[++i]);
    } else if (a == "--comment") {
      if (i + 2 >= argc) return false;
      host.comment = CommentAnswer{"User", argv[i + 1], argv[i + 2]};
      i += 2;
    } else if (a == "--type") {
      if (i + 1 >= argc) return false;
      o.type = argv[++i];
      o.typeGiven = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      return false;
    } else if (o.command.empty()) {
      o.command = a;
    } else {
      o.files.push_back(a);
    }
  }
  if (o.command == "tree" || o.command == "json") return o.files.size() == 1 && !o.typeGiven;
  if (o.command == "convert") return o.files.size() == 2;
  if (o.command == "check") return !o.files.empty() && !o.typeGiven;
  return false;
}

// The convention of a type given by name (an INI file type or a lang.txt
// row), or by an extension such as ".c".
bool conventionByName(LineStore& w, const std::string& name, FileTypeList& types) {
  if (!name.empty() && name[0] == '.') {
    setConvention(w, name, &types, langList());
    return true;
  }
  for (const FileType& t : types.entries()) {
    if (!sameName(t.name, name) || !t.table) continue;
    std::string start, end;
    commentFromTable(*t.table, start, end);
    w.setCommentStart(start);
    w.setCommentEnd(end);
    w.setFileTypeName(t.name);
    w.markUp = t.table.get();
    return true;
  }
  for (const Language& row : langList().rows()) {
    if (!sameName(row.name, name)) continue;
    w.setCommentStart(row.commentStart);
    w.setCommentEnd(row.commentEnd);
    w.setFileTypeName(row.name);
    return true;
  }
  return false;
}

// The reason a read or write failed, as the program said it.
std::string reason(const ToolHost& host) {
  if (!host.boxes.empty()) {
    const std::string& b = host.boxes.back();
    size_t colon = b.find(": ");
    return colon == std::string::npos ? b : b.substr(colon + 2);
  }
  return host.lastStatus.empty() ? "failed" : host.lastStatus;
}

// Reads FILE as the editor does; null, with the reason, when it cannot.
std::unique_ptr<LineStore> tryLoad(const std::string& file, ToolHost& host, FileTypeList& types,
                                   std::string& why, ReadReport* report = nullptr) {
  if (!fileExists(file)) {
    why = file + ": No such file or directory";
    return nullptr;
  }
  auto w = std::make_unique<LineStore>(host.ctx);
  setConvention(*w, extensionOf(baseName(normaliseSeparators(file))), &types, langList());
  buildFileChain(*w);
  w->nameGiven = true;
  w->pendingName = file;
  host.boxes.clear();
  read(*w, nullptr, w->levelTop->next, w->levelBottom, true, report);
  finishFileChain(*w);
  if (w->ioStatus == 2) {
    why = "cannot read " + file + ": " + reason(host);
    return nullptr;
  }
  return w;
}

std::unique_ptr<LineStore> load(const std::string& file, ToolHost& host, FileTypeList& types) {
  std::string why;
  auto w = tryLoad(file, host, types, why);
  if (!w) fail(why);
  return w;
}

void put(const std::string& text);

// The lines of a file as the reader splits them, each with its line end.
struct FileLine {
  std::string text;
  std::string end;
};
std::vector<FileLine> splitLines(const std::string& bytes) {
  std::vector<FileLine> lines;
  size_t i = 0;
  while (i < bytes.size()) {
    size_t j = bytes.find_first_of("\r\n", i);
    if (j == std::string::npos) j = bytes.size();
    size_t k = j;
    while (k < bytes.size() && bytes[k] == '\r') ++k;
    if (k < bytes.size() && bytes[k] == '\n') ++k;
    lines.push_back({bytes.substr(i, j - i), bytes.substr(j, k - j)});
    i = k;
  }
  return lines;
}

// One file of check: its findings on standard output; 0, 1 or 2.
int checkFile(const std::string& file, ToolHost& host, FileTypeList& types) {
  std::string why;
  ReadReport report;
  auto w = tryLoad(file, host, types, why, &report);
  std::string before;
  if (!w || !readWholeFile(absolutePath(normaliseSeparators(file)), before)) {
    std::fprintf(stderr, "plicato-fold: %s\n", (w ? file + ": cannot be read" : why).c_str());
    return 2;
  }
  // The save is made into a scratch file; FILE is not touched.
  char dir[] = "/tmp/plicato-check-XXXXXX";
  if (!::mkdtemp(dir)) {
    std::fprintf(stderr, "plicato-fold: cannot make a scratch directory\n");
    return 2;
  }
  const std::string scratch = std::string(dir) + "/" + baseName(normaliseSeparators(file));
  assign(*w->fileBottom, scratch.c_str());
  host.boxes.clear();
  Save(*w, w->fileBottom, w->fileBottom->partner());
  std::string after;
  const bool saved = w->ioStatus == 0 && readWholeFile(scratch, after);
  ::unlink(scratch.c_str());
  ::rmdir(dir);
  if (!saved) {
    std::fprintf(stderr, "plicato-fold: %s: cannot be written: %s\n", file.c_str(),
                 reason(host).c_str());
    return 2;
  }

  std::vector<std::pair<size_t, std::string>> found;
  for (const auto& s : report.strays) {
    const char* what = "fold start without an end line";
    if (s.kind == markerscan::Marker::End) what = "fold end without a start";
    if (s.kind == markerscan::Marker::Attribute || s.kind == markerscan::Marker::File)
      what = "fold attribute line without a start";
    found.emplace_back(s.line, what);
  }
  if (w->readAsTds) {
    if (before != after) found.emplace_back(1, "TDS encoding");
  } else {
    const auto a = splitLines(before);
    const auto b = splitLines(after);
    for (size_t i = 0; i < a.size(); ++i) {
      const std::string& x = a[i].text;
      const std::string y = i < b.size() ? b[i].text : std::string();
      size_t kept = x.size();
      while (kept > 0 && x[kept - 1] == ' ') --kept;
      if (x.find('\0') != std::string::npos) found.emplace_back(i + 1, "NUL byte");
      if (kept < x.size()) found.emplace_back(i + 1, "trailing blanks");
      std::string cut = x.substr(0, kept);
      for (char& c : cut)
        if (c == '\0') c = ' ';
      while (!cut.empty() && cut.back() == ' ') cut.pop_back();
      if (cut != y) found.emplace_back(i + 1, "marker spacing");
      const std::string wantEnd = i < b.size() ? b[i].end : std::string();
      if (a[i].end != wantEnd) found.emplace_back(i + 1, "line end");
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& l, const auto& r) { return l.first < r.first; });
  std::string out;
  for (const auto& f : found) out += file + ":" + std::to_string(f.first) + ": " + f.second + "\n";
  put(out);
  return before == after ? 0 : 1;
}

void outline(const LineNode* first, const LineNode* stop, int depth, std::string& out) {
  for (const LineNode* p = first; p && p != stop; p = p->next) {
    if (!isClosedHeader(p)) continue;
    out.append(static_cast<size_t>(depth) * 2, ' ');
    if (p->kind == ClosedFold) {
      out += "{{{ ";
      out += p->text;
      out += " (" + std::to_string(lineCount(p) - 2) + " lines)\n";
    } else {
      out += "...F ";
      out += p->text;
      out += " -> ";
      out += p->partner()->text;
      out += "\n";
    }
    outline(p->inner(), p->partner(), depth + 1, out);
  }
}

using Json = nlohmann::ordered_json;

Json level(const LineNode* first, const LineNode* stop) {
  Json lines = Json::array();
  for (const LineNode* p = first; p && p != stop; p = p->next) {
    Json node;
    bool fold = isClosedHeader(p);
    node["kind"] = p->kind == ClosedFold ? "ClosedFold" : p->kind == FiledFold ? "FiledFold"
                                                                               : "TextLine";
    node["text"] = latin1ToUtf8(p->text);
    node["indent"] = p->indent;
    if (fold) {
      node["markerColumn"] = p->markerColumn();
      node["foldType"] = p->foldType();
      node["foldContents"] = p->foldContents();
      node["lines"] = level(p->inner(), p->partner());
      if (p->kind == FiledFold) node["fileName"] = latin1ToUtf8(p->partner()->text);
    }
    lines.push_back(std::move(node));
  }
  return lines;
}

void put(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
    fail("cannot write the output");
}

}  // namespace

int main(int argc, char** argv) {
  ToolHost host;
  setProcessHost(&host);
  Options o;
  if (!parse(argc, argv, o, host)) fail(kUsage);

  FileTypeList types;
  types.load(host);
  host.boxes.clear();  // a damaged FILE_TYPES section is no failure of ours

  if (o.command == "check") {
    int status = 0;
    for (const std::string& f : o.files) status = std::max(status, checkFile(f, host, types));
    return status;
  }

  const std::string& in = o.files[0];
  auto w = load(in, host, types);
  const LineNode* root = w->fileBottom->partner();

  if (o.command == "tree") {
    std::string out;
    outline(root->next, root->partner(), 0, out);
    put(out);
    return exitWithoutTeardown(0);
  }
  if (o.command == "json") {
    Json doc;
    doc["file"] = latin1ToUtf8(in.c_str());
    doc["type"] = latin1ToUtf8(w->fileTypeName.c_str());
    doc["commentStart"] = latin1ToUtf8(w->commentStart.c_str());
    doc["commentEnd"] = latin1ToUtf8(w->commentEnd.c_str());
    doc["ioStatus"] = w->ioStatus;
    doc["lines"] = level(root->next, root->partner());
    put(doc.dump(2) + "\n");
    return exitWithoutTeardown(0);
  }

  // convert: the same tree in OUT's type.
  const std::string& outName = o.files[1];
  if (o.typeGiven) {
    if (!conventionByName(*w, o.type, types)) fail("unknown type " + o.type);
  } else {
    setConvention(*w, extensionOf(baseName(normaliseSeparators(outName))), &types, langList());
  }
  w->readAsTds = isTdsType(w->fileTypeName);
  std::string target = absolutePath(normaliseSeparators(outName));
  assign(*w->fileBottom, target.c_str());
  host.boxes.clear();
  host.lastStatus.clear();
  Save(*w, w->fileBottom, w->fileBottom->partner());
  if (w->ioStatus != 0) fail("cannot write " + outName + ": " + reason(host));
  return exitWithoutTeardown(0);
}

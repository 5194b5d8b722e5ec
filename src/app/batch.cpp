#include "app/batch.hpp"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>

#include "app/application.hpp"
#include "display/keytranslate.hpp"
#include "engine/statusline.hpp"
#include "display/editorview.hpp"
#include "model/latin1.hpp"
#include "model/settings.hpp"
#include "platform/batchhost.hpp"
#include "platform/keyscript.hpp"
#include "platform/quickexit.hpp"

namespace {

const char* kUsage =
    "usage: plicato --batch [--keys SCRIPT]... [--answer TEXT]... [--layout standard|windows]\n"
    "                       [--config DIR] [--dump screen,status,messages] [--rows N] [--cols N]\n"
    "                       FILE...\n";

std::string escapeNewlines(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

bool parseInt(const std::string& s, int& out) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

std::vector<std::string> screenLines(const EditorView& w) {
  const ScrBuffer& scr = w.screen();
  std::vector<std::string> lines;
  const int width = w.textWidth();
  for (int r = 1; r <= w.screenRows; ++r) {
    const char* row = scr.row(r - 1);
    std::string text;
    if (row) {
      if (w.wrapMode) {
        text.assign(row, static_cast<size_t>(std::min(width, scr.getStride())));
        ScreenRow s = w.shownAt(r);
        // The tail of a piece that the next row continues.
        text += (s.line && s.subRow < s.line->rows() - 1) ? ">" : " ";
      } else {
        text.assign(row, static_cast<size_t>(std::min<int>(w.screenCols, scr.getStride())));
      }
    }
    size_t end = text.find_last_not_of(' ');
    text.resize(end == std::string::npos ? 0 : end + 1);
    lines.push_back(text);
  }
  return lines;
}

std::string batchDump(const EditorView* w, const BatchHost& host,
                      const std::vector<std::string>& parts) {
  std::string out;
  auto want = [&](const char* p) {
    for (const auto& s : parts)
      if (s == p) return true;
    return false;
  };
  if (want("screen")) {
    out += "--- screen\n";
    if (w)
      for (const auto& l : screenLines(*w)) out += latin1ToUtf8(l) + "\n";
  }
  if (want("status")) {
    out += "--- status\n";
    for (int i = 0; i < 7; ++i) {
      std::string f = w ? w->statusText[static_cast<size_t>(i)] : "";
      out += std::to_string(i + 1) + " " + latin1ToUtf8(escapeNewlines(f)) + "\n";
    }
  }
  if (want("messages")) {
    out += "--- messages\n";
    for (const auto& e : host.events()) {
      if (e.kind == BatchHost::Event::Kind::Box)
        out += "box [" + latin1ToUtf8(escapeNewlines(e.caption)) + "] " +
               latin1ToUtf8(escapeNewlines(e.text)) + " => " + e.answer + "\n";
      else
        out += "status: " + latin1ToUtf8(escapeNewlines(e.text)) + "\n";
    }
  }
  return out;
}

BatchSession::BatchSession(const StartOptions& options, int rows, int cols)
    : rows_(rows), cols_(cols) {
  setProcessHost(&host);
  startCore(ctx, options);
  app_ = std::make_unique<Application>(ctx);
  app_->loadFileTypes();
  // Keys go in only as the buffer has room, so no key of a long script is
  // dropped; the dispatcher drains them.
  host.setInputFeeder([this](WindowHandle handle) {
    EditorView& w = EditorView::of(handle);
    bool fed = false;
    while (!strokes_.empty() && w.keys.room() >= 2) {
      deliverKeyMessages(w, strokes_.front());
      strokes_.pop_front();
      fed = true;
    }
    return fed || !w.keys.empty();
  });
}

BatchSession::~BatchSession() {
  host.setInputFeeder(nullptr);
  host.setExitHook(nullptr);
  app_.reset();
  setProcessHost(nullptr);
}

OpenDocument* BatchSession::open(const std::string& path) {
  OpenDocument* d = app_->openFile(path, rows_, cols_);
  if (d) {
    targetDoc_ = d;
    target_ = &d->window;
  }
  return d;
}

bool BatchSession::type(const std::string& script, std::string* error) {
  auto parsed = parseKeyScript(script, error);
  if (!parsed) return false;
  strokes_.insert(strokes_.end(), parsed->begin(), parsed->end());
  return true;
}

void BatchSession::run() {
  while (targetDoc_) {
    if (app_->dispatch(*targetDoc_)) break;
    // The window exited: the rest of the script goes to the window that is
    // active now, as it would on the desktop.
    targetDoc_ = app_->documents().empty() || app_->exitRequested()
                     ? nullptr
                     : app_->documents().back().get();
    target_ = targetDoc_ ? &targetDoc_->window : nullptr;
    if (strokes_.empty()) break;
  }
  if (target_) refreshStatus(*target_);
}

int runBatch(const std::vector<std::string>& args) {
  std::vector<std::string> scripts, answers, files;
  std::vector<std::string> dump = {"screen", "status", "messages"};
  StartOptions start;
  int rows = 25, cols = 80;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--batch") continue;
    if (a == "--keys" && value(v)) scripts.push_back(v);
    else if (a == "--answer" && value(v)) answers.push_back(v);
    else if (a == "--config" && value(v)) start.configDir = v;
    else if (a == "--layout" && value(v)) {
      if (v == "standard") start.layout = kLayoutStandard;
      else if (v == "windows") start.layout = kLayoutWindows;
      else {
        std::fprintf(stderr, "plicato: unknown layout '%s'\n%s", v.c_str(), kUsage);
        return 1;
      }
    } else if (a == "--dump" && value(v)) {
      dump.clear();
      std::stringstream in(v);
      for (std::string part; std::getline(in, part, ',');) {
        if (part != "screen" && part != "status" && part != "messages") {
          std::fprintf(stderr, "plicato: unknown dump part '%s'\n%s", part.c_str(), kUsage);
          return 1;
        }
        dump.push_back(part);
      }
    } else if ((a == "--rows" || a == "--cols") && value(v)) {
      int n = 0;
      if (!parseInt(v, n) || n < 3 || n > 1000) {
        std::fprintf(stderr, "plicato: bad value for %s: '%s'\n", a.c_str(), v.c_str());
        return 1;
      }
      (a == "--rows" ? rows : cols) = n;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "plicato: unknown or incomplete option '%s'\n%s", a.c_str(), kUsage);
      return 1;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "plicato: no file given\n%s", kUsage);
    return 1;
  }
  for (const auto& s : scripts) {
    std::string error;
    if (!parseKeyScript(s, &error)) {
      std::fprintf(stderr, "plicato: %s\n", error.c_str());
      return 1;
    }
  }

  BatchSession session(start, rows, cols);
  for (const auto& a : answers) session.host.queueAnswer(a);
  session.host.setExitHook([&](int) {
    std::fputs(batchDump(session.target(), session.host, dump).c_str(), stdout);
    std::fflush(stdout);
  });
  for (const auto& f : files) session.open(f);
  for (const auto& s : scripts) session.type(s);
  session.run();
  std::fputs(batchDump(session.target(), session.host, dump).c_str(), stdout);
  std::fflush(stdout);
  return exitWithoutTeardown(0);
}

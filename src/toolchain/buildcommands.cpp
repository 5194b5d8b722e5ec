#include "toolchain/buildcommands.hpp"

#include <chrono>
#include <cstdio>
#include <optional>

#include "app/settingsstore.hpp"
#include "toolchain/capture.hpp"
#include "toolchain/maker.hpp"
#include "toolchain/savequestion.hpp"
#include "toolchain/transputer.hpp"
#include "display/editorview.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

std::string format(const char* form, int number, const std::string& text = "") {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d", number);
  std::string out;
  for (const char* p = form; *p; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      out += buf;
      ++p;
    } else if (p[0] == '%' && p[1] == 's') {
      out += text;
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

void errorBox(Host& host, const std::string& text, const std::string& caption = "Error...") {
  host.messageBox(text, caption, MbButtons::Ok, MbIcon::Exclamation);
}

// The file's name with its extension, and its directory.
std::string fileDirectory(const std::string& fileName) {
  const std::string dir = dirName(normaliseSeparators(fileName));
  return dir;
}

std::string withoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

}  // namespace

BuildManager::BuildManager(BuildWindows& windows) : windows_(windows) {}

BuildManager::~BuildManager() {
  runs_.clear();  // each run stops and is waited for
  freeServerLibraries();
}

bool BuildManager::refuseBusy(EditorView& w) {
  if (!w.buildRunning) return false;
  w.host.statusMessage(kBuildBusyRefusal);
  return true;
}

void BuildManager::compile(EditorView& w) {
  if (!w.ctx.settings.externalCompiler) {
    if (refuseBusy(w)) return;
    serverCompile(w, windows_, save);
    return;
  }
  ProcessPlan plan{MessagesKind::Compile,
                   "Plicato Compile",
                   "Conpile messages (finished)",
                   "Compile messages (working...)",
                   "Compile messages (finished)",
                   "Can not create compile process, error %d",
                   "Compile: Can't create ReadPipe thread"};
  plan.needsFile = true;
  startProcess(w, plan, w.ctx.settings.compilerCmdLine,
               [](const std::string& setting, const std::string& fileName) {
                 return setting + " " + shellQuote(baseName(normaliseSeparators(fileName)));
               },
               [](const std::string& fileName) { return fileDirectory(fileName); });
}

void BuildManager::make(EditorView& w) {
  if (!w.ctx.settings.externalMaker) {
    internalMake(w);
    return;
  }
  ProcessPlan plan{MessagesKind::Make,
                   "Plicato Make",
                   "MAKE messages (finished)",
                   "MAKE messages (working...)",
                   "MAKE messages (finished)",
                   "Can not create make process, error %d:\r\n  %s",
                   "Make: Can't create ReadPipe thread"};
  const std::string workDir = w.ctx.settings.makerWorkingDirectory;
  startProcess(w, plan, w.ctx.settings.makerCmdLine,
               [](const std::string& setting, const std::string&) { return setting; },
               [workDir](const std::string& fileName) {
                 if (!workDir.empty()) return normaliseSeparators(workDir);
                 return fileName.empty() ? std::string() : fileDirectory(fileName);
               });
}

void BuildManager::run(EditorView& w) {
  ProcessPlan plan{MessagesKind::Run,
                   "Plicato Run",
                   "Run messages (finished)",
                   "Run messages (working...)",
                   "Run messages (finished)",
                   "Can not create run process, error %d",
                   "Run: Can't create ReadPipe thread"};
  plan.needsFile = true;
  plan.needsCommand = false;
  plan.askSave = false;
  startProcess(w, plan, w.ctx.settings.runArguments,
               [](const std::string& args, const std::string& fileName) {
                 const std::string path = normaliseSeparators(fileName);
                 const std::string program =
                     joinPath(dirName(path), withoutExtension(baseName(path)));
                 return args.empty() ? shellQuote(program) : shellQuote(program) + " " + args;
               },
               [](const std::string& fileName) { return fileDirectory(fileName); });
}

void BuildManager::arguments(ModelContext& ctx) {
  std::optional<std::string> answer =
      ctx.host.prompt("INPUT", "Arguments", ctx.settings.runArguments, 255);
  if (!answer) return;
  ctx.settings.runArguments = *answer;
  saveAllSettings(ctx.settings, ctx.host);
}

void BuildManager::startProcess(
    EditorView& w, const ProcessPlan& plan, const std::string& setting,
    const std::function<std::string(const std::string&, const std::string&)>& compose,
    const std::function<std::string(const std::string&)>& directory) {
  Host& host = w.host;
  if (refuseBusy(w)) return;
  std::unique_ptr<CaptureRun> run = CaptureRun::create();
  if (!run) {
    errorBox(host, "Couldn't create Pipe", plan.pipeCaption);
    return;
  }
  BuildOutput* out = windows_.messagesWindow(w, plan.kind);
  if (!out) {
    errorBox(host, "Can not create message window.");
    return;
  }
  if (runs_.count(out)) {
    // The window is another editor window's, and its run goes on.
    host.statusMessage(kBuildBusyRefusal);
    return;
  }
  if (plan.needsCommand && setting.empty()) {
    out->runEnded(plan.emptyCaption);
    return;
  }
  w.buildRunning = true;
  const auto giveUp = [&](const std::string& caption) {
    out->runEnded(caption);
    w.buildRunning = false;
  };
  if (plan.askSave) offerSave(w, save);
  if (plan.needsFile && w.doc.fileName.empty()) {
    host.statusMessage(kNoNameRefusal);
    giveUp(plan.finished);
    return;
  }
  const std::string command = compose(setting, w.doc.fileName);
  if (const int e = run->spawnShell(command, directory(w.doc.fileName))) {
    giveUp(plan.finished);
    errorBox(host, format(plan.processError, e, command));
    return;
  }
  const std::string finished = plan.finished;
  Active& active = runs_[out];
  active.window = &w;
  active.finished = [finished] { return finished; };
  active.run = std::move(run);
  if (!active.run->startReader(*out, plan.working, active.finished)) {
    runs_.erase(out);  // stops the child
    giveUp(plan.finished);
    errorBox(host, plan.threadError);
  }
}

void BuildManager::internalMake(EditorView& w) {
  Host& host = w.host;
  if (refuseBusy(w)) return;
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<CaptureRun> run = CaptureRun::create();
  if (!run) {
    errorBox(host, "Couldn't create Pipe", "Plicato Make");
    return;
  }
  BuildOutput* out = windows_.messagesWindow(w, MessagesKind::Maker);
  if (!out) {
    errorBox(host, "Can not create message window.");
    return;
  }
  if (runs_.count(out)) {
    host.statusMessage(kBuildBusyRefusal);
    return;
  }
  const Settings& s = w.ctx.settings;
  std::vector<std::string> args =
      makerArguments(s.makefile, s.makerParameters, s.makerWorkingDirectory);
  const std::string libraryDir = programDir();
  run->setWorker([args = std::move(args), libraryDir](int fd) {
    return callMake32(args, fd, libraryDir);
  });
  w.buildRunning = true;
  Active& active = runs_[out];
  active.window = &w;
  active.finished = [start] {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    char buf[64];
    std::snprintf(buf, sizeof buf, "Plicato Making Finished (%lu secs)",
                  static_cast<unsigned long>((ms + 500) / 1000));
    return std::string(buf);
  };
  active.run = std::move(run);
  if (!active.run->startReader(*out, "Plicato: Maker messages", active.finished)) {
    const std::string caption = active.finished();
    runs_.erase(out);
    out->runEnded(caption);
    w.buildRunning = false;
    errorBox(host, "Make: Can't create ReadPipe thread");
  }
}

void BuildManager::runEnded(BuildOutput& out) {
  auto it = runs_.find(&out);
  if (it == runs_.end()) return;
  it->second.run->finish();
  if (it->second.window) it->second.window->buildRunning = false;
  runs_.erase(it);
}

void BuildManager::windowClosing(EditorView& w) {
  for (auto it = runs_.begin(); it != runs_.end();) {
    if (it->second.window != &w) {
      ++it;
      continue;
    }
    BuildOutput* out = const_cast<BuildOutput*>(it->first);
    const std::string caption = it->second.finished ? it->second.finished() : std::string();
    it = runs_.erase(it);  // stops the run; its end is not reported
    out->runEnded(caption);
  }
  w.buildRunning = false;
}

bool BuildManager::running(const BuildOutput& out) const { return runs_.count(&out) != 0; }

bool BuildManager::running(const EditorView& w) const {
  for (const auto& [out, active] : runs_)
    if (active.window == &w) return true;
  return false;
}

#include "toolchain/transputer.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/settingsstore.hpp"
#include "toolchain/library.hpp"
#include "toolchain/outputlines.hpp"
#include "toolchain/savequestion.hpp"
#include "display/editorview.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

ServerState& serverState() {
  static ServerState state;
  return state;
}

namespace {

template <typename Fn>
bool lookUp(void* module, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(::dlsym(module, name));
  return out != nullptr;
}

int linkTimeoutSetting(const Settings& settings) {
  const int32_t t = settingsNumber(settings.linkTimeout);
  return t < 0 ? 0 : t;
}

std::string currentDirectory() {
  std::vector<char> buf(4096);
  for (;;) {
    if (::getcwd(buf.data(), buf.size())) return buf.data();
    if (errno != ERANGE) return "";
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

void freeServerLibraries() {
  ServerState& s = serverState();
  if (s.serverModule) ::dlclose(s.serverModule);
  if (s.linkModule) ::dlclose(s.linkModule);
  s.serverModule = nullptr;
  s.linkModule = nullptr;
  s.serverFns = ServerFns{};
  s.dllsReady = false;
}

bool loadServerLibraries(const Settings& settings) {
  freeServerLibraries();
  ServerState& s = serverState();
  ServerFns& f = s.serverFns;
  std::string error;
  const std::string dir = programDir();
  s.serverModule = openBuildLibrary(kServerLibrary, dir, error);
  if (!s.serverModule) return false;
  if (!lookUp(s.serverModule, "SetupServer", f.SetupServer) ||
      !lookUp(s.serverModule, "CallServer", f.CallServer) ||
      !lookUp(s.serverModule, "TerminateServer", f.TerminateServer))
    return false;
  s.linkModule = openBuildLibrary(kLinkLibrary, dir, error);
  if (!s.linkModule) return false;
  if (!lookUp(s.linkModule, "OpenLink", f.OpenLink) ||
      !lookUp(s.linkModule, "ResetLink", f.ResetLink) ||
      !lookUp(s.linkModule, "CloseLink", f.CloseLink))
    return false;

  s.linkAddress = settings.linkAddress;
  const int test = f.OpenLink(s.linkAddress.c_str(), linkTimeoutSetting(settings));
  if (test < 0) return false;
  f.CloseLink(test);
  return f.SetupServer(s.linkModule) != 0;
}

void stopServer() {
  ServerState& s = serverState();
  if (!s.dllsReady) return;
  if (s.serverActive) s.serverFns.TerminateServer();
  const int h = s.serverFns.OpenLink(s.linkAddress.c_str(), s.linkTimeout);
  if (h > 0) {
    s.serverFns.ResetLink(h);
    s.serverFns.CloseLink(h);
  }
  s.linkHandle = -1;
  s.serverActive = 0;
}

void runServer(Host& host) {
  ServerState& s = serverState();
  if (s.serverActive) stopServer();
  s.linkHandle = s.serverFns.OpenLink(s.linkAddress.c_str(), s.linkTimeout);
  if (s.linkHandle < 0) {
    host.messageBox("Can not open the link.", "Plicato Error", MbButtons::Ok, MbIcon::Exclamation);
    return;
  }
  s.serverActive = 1;
  s.serverActive = s.serverFns.CallServer(s.linkHandle, s.bootFile.c_str(),
                                          s.serverCommand.c_str());
}

ServerPaths serverPaths(const std::string& fileName, const std::string& parameters) {
  const std::string path = normaliseSeparators(fileName);
  ServerPaths p;
  p.directory = dirName(path);  // "/" for the root, no trailing "/" otherwise
  p.command = baseName(path) + " " + parameters;
  return p;
}

void serverCompile(EditorView& w, BuildWindows& windows,
                   const std::function<bool(EditorView&)>& save) {
  ServerState& s = serverState();
  Host& host = w.host;
  s.dllsReady = loadServerLibraries(w.ctx.settings);
  if (!s.dllsReady) {
    host.messageBox("Invalid DLLs setup.", "Error...", MbButtons::Ok, MbIcon::Exclamation);
    return;
  }
  w.buildRunning = true;

  // Asked first: a save as may give the file its name and directory.
  offerSave(w, save);
  if (w.doc.fileName.empty()) {
    host.statusMessage(kNoNameRefusal);
    w.buildRunning = false;
    return;
  }
  const ServerPaths paths = serverPaths(w.doc.fileName, w.ctx.settings.compilerParameters);
  const std::string remembered = currentDirectory();
  // The server runs in the file's directory: nothing else runs while it
  // does, and every path the editor keeps is absolute.
  if (!paths.directory.empty() && ::chdir(paths.directory.c_str()) != 0) {
    host.messageBox("Can not change to the directory " + paths.directory + ": " +
                        std::strerror(errno),
                    "Error...", MbButtons::Ok, MbIcon::Exclamation);
    w.buildRunning = false;
    return;
  }
  s.linkTimeout = linkTimeoutSetting(w.ctx.settings);
  s.linkAddress = w.ctx.settings.linkAddress;
  s.bootFile = w.ctx.settings.iccBtlPath;
  s.serverCommand = paths.command;

  BuildOutput* out = windows.messagesWindow(w, MessagesKind::Compiler);
  s.messageList = out;
  runServer(host);
  s.messageList = nullptr;
  if (out) out->runEnded("Plicato Compiling Finished");
  if (!remembered.empty() && ::chdir(remembered.c_str()) != 0) {
    // The editor's paths are absolute; a directory that went away while
    // the server ran costs nothing but this note.
    host.statusMessage("Can not change back to the directory " + remembered);
  }
  w.buildRunning = false;
}

extern "C" __attribute__((visibility("default"))) int STWRITE(const char* text, int count) {
  if (!text || count <= 0) return count;
  BuildOutput* out = serverState().messageList;
  if (!out) return count;
  splitServerOutput(text, static_cast<size_t>(count),
                    [out](const std::string& line) { out->addLine(line); });
  return count;
}

extern "C" __attribute__((visibility("default"))) int AddString2(int fd, const char* text) {
  std::string line = text ? text : "";
  line.push_back('\n');
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return 0;
}

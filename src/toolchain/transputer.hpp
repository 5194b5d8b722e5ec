// Compiling on a transputer board: the link library (liblink.so) and the
// host-server library (libiserver.so), loaded at run time by the names of
// their entry points. The server boots the compiler's boot file onto the
// board through the link and sends its output back through STWRITE, which
// the program exports for it.
//
// Everything here runs on the user-interface thread: the server call
// blocks it until the booted program has finished.
#pragma once

#include <functional>
#include <string>

#include "model/settings.hpp"
#include "platform/host.hpp"
#include "toolchain/buildoutput.hpp"

class EditorView;

inline constexpr const char* kLinkLibrary = "liblink.so";
inline constexpr const char* kServerLibrary = "libiserver.so";

// The six entry points, as the program calls them.
struct ServerFns {
  int (*SetupServer)(void* linkModule) = nullptr;
  int (*CallServer)(int link, const char* bootFile, const char* commandLine) = nullptr;
  int (*TerminateServer)() = nullptr;
  int (*OpenLink)(const char* address, int timeout) = nullptr;
  int (*ResetLink)(int link) = nullptr;
  int (*CloseLink)(int link) = nullptr;
};

// The process-wide state of the link and the server.
struct ServerState {
  ServerFns serverFns;
  void* serverModule = nullptr;  // libiserver.so
  void* linkModule = nullptr;    // liblink.so
  bool dllsReady = false;
  int serverActive = 0;
  int linkHandle = -1;
  int linkTimeout = 0;
  std::string linkAddress;
  std::string bootFile;
  std::string serverCommand;
  // Where STWRITE puts the lines: the compiler-messages window while a
  // compile runs, else nothing.
  BuildOutput* messageList = nullptr;
};
ServerState& serverState();

// Frees both libraries, loads them again from the program's directory
// (else the loader's path) and checks them: all six entry points, a test
// open of the link at the "LinkAddress" setting, and SetupServer.
bool loadServerLibraries(const Settings& settings);
// At exit, or before the next load.
void freeServerLibraries();
// Terminates the server and resets the link; nothing unless the
// libraries are ready.
void stopServer();
// Opens the link and calls the server with the boot file and the server
// command; "Can not open the link." when the link will not open.
void runServer(Host& host);

// Where the server runs and what it is told, for a source file: the
// file's directory (kept as "/" for a file in the root) and its name with
// one blank and the compiler parameters.
struct ServerPaths {
  std::string directory;
  std::string command;
};
ServerPaths serverPaths(const std::string& fileName, const std::string& parameters);

// The compile of the editor window with "ExternalCompiler" off. `save`
// writes the window's file (the save command) when the user wants its
// changes saved first.
void serverCompile(EditorView& w, BuildWindows& windows,
                   const std::function<bool(EditorView&)>& save);

// The functions the server library calls back, with C linkage and
// exported from the program. STWRITE takes `count` bytes of output and
// returns count; AddString2 writes the text and a line feed to the file
// descriptor and returns 0.
extern "C" int STWRITE(const char* text, int count);
extern "C" int AddString2(int fd, const char* text);

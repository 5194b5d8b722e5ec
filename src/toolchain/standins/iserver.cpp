// Stand-in host server: CallServer "boots" the boot file by running it as
// a host program with the command line's words as its arguments, in the
// current directory, and passes everything it prints to the STWRITE of
// the program that loaded the library. Returns the program's exit status.
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

using WriteFn = int (*)(const char*, int);

WriteFn hostWrite() {
  return reinterpret_cast<WriteFn>(::dlsym(RTLD_DEFAULT, "STWRITE"));
}

void pass(const std::string& text) {
  if (text.empty()) return;
  if (WriteFn w = hostWrite()) {
    w(text.data(), static_cast<int>(text.size()));
  } else {
    (void)!::write(STDOUT_FILENO, text.data(), text.size());
  }
}

std::vector<std::string> words(const char* text) {
  std::vector<std::string> out;
  std::string word;
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == ' ' || *p == '\t') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word.push_back(*p);
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SetupServer(void* linkModule) {
  return linkModule && ::dlsym(linkModule, "OpenLink") ? 1 : 0;
}

extern "C" __attribute__((visibility("default"))) int TerminateServer() { return 0; }

extern "C" __attribute__((visibility("default"))) int CallServer(int link, const char* bootFile,
                                                                 const char* commandLine) {
  if (link < 0) {
    pass("iserver: the link is not open\n");
    return -1;
  }
  if (!bootFile || !*bootFile) {
    pass("iserver: no boot file\n");
    return -1;
  }
  std::string boot = bootFile;
  std::vector<std::string> argWords = words(commandLine);
  std::vector<char*> argv{boot.data()};
  for (std::string& w : argWords) argv.push_back(w.data());
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    pass(std::string("iserver: ") + std::strerror(errno) + "\n");
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int e = boot.find('/') == std::string::npos
                    ? posix_spawnp(&pid, boot.c_str(), &actions, nullptr, argv.data(), environ)
                    : posix_spawn(&pid, boot.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (e != 0) {
    ::close(fds[0]);
    pass("iserver: can not boot " + boot + ": " + std::strerror(e) + "\n");
    return -1;
  }
  // Whole lines go to STWRITE, so a line is one entry however the pipe
  // happens to cut the output.
  std::string pending;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buf, static_cast<size_t>(n));
    const size_t lf = pending.rfind('\n');
    if (lf != std::string::npos) {
      pass(pending.substr(0, lf + 1));
      pending.erase(0, lf + 1);
    }
  }
  pass(pending);
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

// Stand-in make library: Make32 runs GNU make with the same arguments, the
// first one replaced by the make program, and returns make's exit status.
// Its output goes where the program that loaded the library says
// (PlicatoMakeOutput), else to the process's own standard output.
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

int outputFd() {
  using OutputFn = int (*)();
  if (auto fn = reinterpret_cast<OutputFn>(::dlsym(RTLD_DEFAULT, "PlicatoMakeOutput"))) {
    const int fd = fn();
    if (fd >= 0) return fd;
  }
  return STDOUT_FILENO;
}

void say(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int Make32(int argc, char** argv) {
  const int fd = outputFd();
  // PLICATO_MAKE, when set, names the make program to run instead of the
  // one on the path.
  const char* env = std::getenv("PLICATO_MAKE");
  std::string program = env && *env ? env : "make";
  std::vector<char*> args;
  args.push_back(program.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (fd != STDOUT_FILENO) posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fd, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int e = posix_spawnp(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (e != 0) {
    say(fd, "make: can not run " + program + ": " + std::strerror(e) + "\n");
    return 127;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

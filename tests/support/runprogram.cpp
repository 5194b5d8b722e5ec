#include "support/runprogram.hpp"

#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string drain(int fd) {
  std::string s;
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    s.append(buf, static_cast<size_t>(n));
  }
  return s;
}

}  // namespace

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd) {
  ProgramResult r;
  std::string path = std::string(PLICATO_BIN_DIR) + "/" + program;
  std::string errFile = "/tmp/plicato-run-XXXXXX";
  int errFd = ::mkstemp(errFile.data());
  int out[2];
  if (errFd < 0 || ::pipe(out) != 0) return r;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(errFd, 2);
    ::close(out[0]);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    _exit(127);
  }
  ::close(out[1]);
  r.out = drain(out[0]);
  ::close(out[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  ::lseek(errFd, 0, SEEK_SET);
  r.err = drain(errFd);
  ::close(errFd);
  ::unlink(errFile.c_str());
  return r;
}

std::vector<std::string> dumpSection(const std::string& out, const std::string& section) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("--- ", 0) == 0) {
      inside = line == "--- " + section;
      continue;
    }
    if (inside) lines.push_back(line);
  }
  return lines;
}

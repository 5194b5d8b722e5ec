#include "toolchain/capture.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

#include "toolchain/outputlines.hpp"

extern char** environ;

void UniqueFd::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string shellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    if (c == '\'')
      out += "'\\''";
    else
      out.push_back(c);
  }
  out += "'";
  return out;
}

std::unique_ptr<CaptureRun> CaptureRun::create() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return nullptr;
  std::unique_ptr<CaptureRun> run(new CaptureRun);
  run->readEnd_ = UniqueFd(fds[0]);
  run->writeEnd_ = UniqueFd(fds[1]);
  if (::pipe2(fds, O_CLOEXEC) != 0) return nullptr;
  run->doneRead_ = UniqueFd(fds[0]);
  run->doneWrite_ = UniqueFd(fds[1]);
  // Only our end of the output pipe: the child's stays a blocking one.
  const int flags = ::fcntl(run->readEnd_.get(), F_GETFL);
  if (flags < 0 || ::fcntl(run->readEnd_.get(), F_SETFL, flags | O_NONBLOCK) != 0) return nullptr;
  return run;
}

CaptureRun::~CaptureRun() {
  // Whoever drops a run that goes on does not want to hear of its end.
  abandoned_ = true;
  if (producer_.joinable()) {
    if (pid_ > 0 && !producerDone_.load()) {
      signalChild(SIGTERM);
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
      while (!producerDone_.load() && std::chrono::steady_clock::now() < until)
        ::usleep(10000);
      if (!producerDone_.load()) signalChild(SIGKILL);
    }
    producer_.join();
  }
  if (reader_.joinable()) reader_.join();
  if (pid_ > 0) {
    // A child whose waiter never started (its reader could not be).
    std::lock_guard<std::mutex> lock(reapMutex_);
    if (!reaped_) {
      ::kill(-pid_, SIGKILL);
      int st = 0;
      while (::waitpid(pid_, &st, 0) < 0 && errno == EINTR) {
      }
      reaped_ = true;
    }
  }
}

int CaptureRun::spawnShell(const std::string& command, const std::string& dir) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  if (int e = posix_spawn_file_actions_init(&actions)) return e;
  if (int e = posix_spawnattr_init(&attr)) {
    posix_spawn_file_actions_destroy(&actions);
    return e;
  }
  // dup2 clears close-on-exec on the copies: the child keeps these two.
  posix_spawn_file_actions_adddup2(&actions, writeEnd_.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, writeEnd_.get(), STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

  // Its own process group, so that stopping the run stops what the shell
  // started too; signals as a fresh program expects them.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                      POSIX_SPAWN_SETSIGDEF);

  std::string sh = "sh", dashC = "-c", cmd = command;
  char* argv[] = {sh.data(), dashC.data(), cmd.data(), nullptr};
  pid_t pid = -1;
  const int e = posix_spawn(&pid, "/bin/sh", &actions, &attr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (e != 0) return e;
  pid_ = pid;
  return 0;
}

void CaptureRun::setWorker(std::function<int(int)> work) { worker_ = std::move(work); }

void CaptureRun::signalChild(int sig) {
  std::lock_guard<std::mutex> lock(reapMutex_);
  if (pid_ > 0 && !reaped_) ::kill(-pid_, sig);
}

void CaptureRun::produce() {
  if (pid_ > 0) {
    // Wait without reaping, so that the pid cannot be taken by another
    // process while the run may still signal it.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 &&
           errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(reapMutex_);
    int st = 0;
    while (::waitpid(pid_, &st, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : WIFSIGNALED(st) ? 128 + WTERMSIG(st) : -1;
  } else if (worker_) {
    status_ = worker_(writeEnd_.get());
  }
  producerDone_ = true;
  writeEnd_.reset();
  signalDone();
}

void CaptureRun::signalDone() {
  if (doneWrite_.get() < 0) return;
  const char done = 1;
  while (::write(doneWrite_.get(), &done, 1) < 0 && errno == EINTR) {
  }
  doneWrite_.reset();
}

bool CaptureRun::startReader(BuildOutput& out, const std::string& working,
                             std::function<std::string()> finished) {
  try {
    reader_ = std::thread([this, &out, working, finished = std::move(finished)] {
      readLoop(out, working, finished);
    });
  } catch (const std::system_error&) {
    return false;
  }
  try {
    producer_ = std::thread([this] { produce(); });
  } catch (const std::system_error&) {
    // The reader stops on the end mark without reporting an end; the
    // child (if any) is stopped and reaped by the destructor.
    abandoned_ = true;
    producerDone_ = true;
    signalDone();
    reader_.join();
    return false;
  }
  return true;
}

void CaptureRun::readLoop(BuildOutput& out, const std::string& working,
                          const std::function<std::string()>& finished) {
  out.setCaption(working);
  OutputLines lines([&out](const std::string& line) { out.addLine(line); });
  char buf[4096];
  // Reads what is there; false at the end of the pipe (every writer has
  // closed it) or on an error.
  auto readSome = [&]() {
    for (;;) {
      const ssize_t n = ::read(readEnd_.get(), buf, sizeof buf);
      if (n > 0) {
        lines.feed(buf, static_cast<size_t>(n));
        return true;
      }
      if (n < 0 && errno == EINTR) continue;
      return n < 0 && errno == EAGAIN;
    }
  };
  for (;;) {
    pollfd fds[2] = {{readEnd_.get(), POLLIN, 0}, {doneRead_.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents != 0 && !readSome()) break;
    if (fds[1].revents != 0) {
      // Everything the producer wrote is in the pipe now; what a program
      // it left behind writes later is not waited for. Only as many bytes
      // as the pipe holds at this moment are taken, so such a program
      // cannot keep the capture open.
      int held = 0;
      if (::ioctl(readEnd_.get(), FIONREAD, &held) != 0) held = 0;
      while (held > 0) {
        const ssize_t n =
            ::read(readEnd_.get(), buf, std::min(sizeof buf, static_cast<size_t>(held)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        lines.feed(buf, static_cast<size_t>(n));
        held -= static_cast<int>(n);
      }
      break;
    }
  }
  lines.flush();
  // Only after a read error can the producer still be busy; its status is
  // wanted for the caption.
  while (!producerDone_.load()) ::usleep(1000);
  if (abandoned_.load()) return;
  const std::string caption = finished ? finished() : std::string();
  ended_ = true;
  out.runEnded(caption);
}

int CaptureRun::finish() {
  if (reader_.joinable()) reader_.join();
  if (producer_.joinable()) producer_.join();
  readEnd_.reset();
  writeEnd_.reset();
  doneRead_.reset();
  doneWrite_.reset();
  return status_.load();
}

// One captured run: a pipe, the producer that writes into it (a child
// process, or a worker thread that calls a library), and the reader
// thread that turns what arrives into the lines of a messages window.
//
// The editor never blocks on the pipe: everything that waits runs on the
// run's own threads. When the producer is done (the process has ended, the
// worker's call has returned) it says so on a second pipe of its own; the
// reader then takes what the output pipe holds and ends, even while a
// program the child left behind still holds that pipe open. The output's
// bytes carry no mark of their own, so any byte may be in them.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "toolchain/buildoutput.hpp"

// A file descriptor closed exactly once.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) {
      reset();
      fd_ = o.release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset();

 private:
  int fd_ = -1;
};

class CaptureRun {
 public:
  // Makes the pipe (both ends close on exec, so no other child inherits
  // them); null with errno set when it cannot be made.
  static std::unique_ptr<CaptureRun> create();
  // A run that has not ended is stopped: its process group is terminated
  // (killed when it does not go within two seconds) and its threads are
  // joined, and runEnded is not called any more. A worker's library call
  // cannot be stopped and is waited for.
  ~CaptureRun();
  CaptureRun(const CaptureRun&) = delete;
  CaptureRun& operator=(const CaptureRun&) = delete;

  // Starts "/bin/sh -c command" in its own process group, in directory
  // dir ("" = the editor's own), its standard output and standard error on
  // the pipe and its standard input from /dev/null. Only the child's
  // directory and descriptors change. 0, or the error number.
  int spawnShell(const std::string& command, const std::string& dir);
  // Sets the producer to a call on a worker thread: work gets the pipe's
  // write end and returns a status. Runs when the reader starts.
  void setWorker(std::function<int(int writeFd)> work);

  // Starts the reader thread (and the thread that waits for the producer).
  // The reader sets the caption `working`, adds every line, and when the
  // capture has ended calls runEnded(finished()) on out. False when a
  // thread cannot be started (nothing was started then).
  bool startReader(BuildOutput& out, const std::string& working,
                   std::function<std::string()> finished);

  // Whether runEnded has been called (the reader is about to return).
  bool ended() const { return ended_.load(); }
  // Joins the threads and closes the pipe; call once ended() is true (on
  // the user-interface thread, after runEnded has come through). Returns
  // the producer's status: the process's exit status (128 + signal when it
  // was killed), or the worker's result.
  int finish();
  int status() const { return status_.load(); }
  pid_t pid() const { return pid_; }

 private:
  CaptureRun() = default;
  void readLoop(BuildOutput& out, const std::string& working,
                const std::function<std::string()>& finished);
  void produce();
  // Tells the reader that the producer is done (once).
  void signalDone();
  // Kills the child's process group unless it has been reaped.
  void signalChild(int sig);

  UniqueFd readEnd_;   // the output, read without blocking
  UniqueFd writeEnd_;
  UniqueFd doneRead_;  // readable once the producer is done
  UniqueFd doneWrite_;
  pid_t pid_ = -1;
  std::function<int(int)> worker_;
  std::thread reader_;
  std::thread producer_;
  std::mutex reapMutex_;
  bool reaped_ = false;
  std::atomic<bool> producerDone_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> abandoned_{false};
  std::atomic<int> status_{-1};
};

// A word quoted for the shell: '...' with every ' written as '\''.
std::string shellQuote(const std::string& word);

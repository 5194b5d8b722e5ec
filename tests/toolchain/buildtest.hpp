// Fixtures of the build tests: messages windows that record what arrives
// (from the reader threads), and an editor window over a file in `work`.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "toolchain/buildcommands.hpp"
#include "toolchain/buildoutput.hpp"
#include "display/editorview.hpp"
#include "support/testenv.hpp"

class RecordingOutput : public BuildOutput {
 public:
  void setCaption(const std::string& caption) override {
    std::lock_guard<std::mutex> lock(m_);
    captions_.push_back(caption);
  }
  void addLine(const std::string& line) override {
    std::lock_guard<std::mutex> lock(m_);
    lines_.push_back(line);
  }
  void runEnded(const std::string& caption) override {
    std::lock_guard<std::mutex> lock(m_);
    captions_.push_back(caption);
    ++ends_;
    cv_.notify_all();
  }
  // Waits (at most a generous bound, so a fault fails instead of hanging)
  // until the run has reported its end.
  bool waitEnded() {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(30), [this] { return ends_ > 0; });
  }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(m_);
    return lines_;
  }
  std::vector<std::string> captions() {
    std::lock_guard<std::mutex> lock(m_);
    return captions_;
  }
  int ends() {
    std::lock_guard<std::mutex> lock(m_);
    return ends_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<std::string> lines_;
  std::vector<std::string> captions_;
  int ends_ = 0;
};

// One recorder per editor window and kind; a new one for the kinds that
// make a new window each time.
class RecordingWindows : public BuildWindows {
 public:
  BuildOutput* messagesWindow(EditorView& w, MessagesKind kind) override {
    asked.push_back(kind);
    if (fail) return nullptr;
    const bool fresh = kind == MessagesKind::Maker || kind == MessagesKind::Compiler;
    auto key = std::make_pair(&w, kind);
    if (fresh || !byWindow_.count(key)) {
      made_.push_back(std::make_unique<RecordingOutput>());
      byWindow_[key] = made_.back().get();
    }
    return byWindow_[key];
  }
  RecordingOutput* last() { return made_.empty() ? nullptr : made_.back().get(); }
  size_t made() const { return made_.size(); }

  bool fail = false;
  std::vector<MessagesKind> asked;

 private:
  std::vector<std::unique_ptr<RecordingOutput>> made_;
  std::map<std::pair<EditorView*, MessagesKind>, RecordingOutput*> byWindow_;
};

class BuildTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    manager = std::make_unique<BuildManager>(windows);
  }
  void TearDown() override {
    manager.reset();
    PlicatoTest::TearDown();
  }

  // An editor window whose file is work/<name> (written with content).
  std::unique_ptr<EditorView> window(const std::string& name, const std::string& content = "x\n") {
    work.write(name, content);
    auto w = std::make_unique<EditorView>(ctx, work.file(name));
    w->doc.fileName = work.file(name);
    return w;
  }

  // A shell script in work, made executable; returns its path.
  std::string script(const std::string& name, const std::string& body) {
    work.write(name, "#!/bin/sh\n" + body);
    ::chmod(work.file(name).c_str(), 0755);
    return work.file(name);
  }

  // Waits for the run of the last messages window to end and hands the
  // end to the manager, as the desktop program does on its own thread.
  RecordingOutput& finishRun() {
    RecordingOutput* out = windows.last();
    EXPECT_NE(out, nullptr);
    EXPECT_TRUE(out->waitEnded());
    manager->runEnded(*out);
    return *out;
  }

  RecordingWindows windows;
  std::unique_ptr<BuildManager> manager;
};

// What the GUI test programs share: letting queued window messages run,
// showing a widget the way a person would meet it, and the private
// directories, host, editor context and documents every case starts from.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/application.hpp"
#include "gui/qthost.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

// Lets queued window messages (the dispatcher runs) happen.
inline void settle() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::processEvents();
    QTest::qWait(5);
  }
}

// Shows a top-level widget at the size given, active, with `focus` focused,
// and returns once it is on screen and what it queued has run.
inline void showFocused(QWidget& top, QWidget& focus, int width, int height) {
  top.resize(width, height);
  top.show();
  top.activateWindow();
  focus.setFocus();
  (void)QTest::qWaitForWindowExposed(&top);
  settle();
}

// A case's private configuration and work directories and its process
// host, installed with the settings back at their defaults. Derived
// fixtures call setUpFixture() from init() and tearDownFixture() from
// cleanup(), after dropping what uses the host.
template <class H>
class GuiFixture {
 protected:
  std::unique_ptr<TempDir> config_;
  std::unique_ptr<TempDir> work_;
  std::unique_ptr<H> host_;
  // The editor's context of the case, fresh with every one.
  std::unique_ptr<EditorContext> ctx_;
  EditorContext& ctx() { return *ctx_; }
  Settings& settings() { return ctx_->settings; }

  // `prepare` readies the host before the context is made over it.
  void setUpFixture(const std::function<void(H&)>& prepare = {}) {
    config_ = std::make_unique<TempDir>();
    work_ = std::make_unique<TempDir>();
    host_ = std::make_unique<H>();
    if (prepare) prepare(*host_);
    setConfigDir(config_->path());
    setProgramDir(PLICATO_BIN_DIR);
    ctx_ = std::make_unique<EditorContext>(*host_);
  }

  void tearDownFixture() {
    ctx_.reset();
    host_.reset();
    setConfigDir("");
    work_.reset();
    config_.reset();
  }

  // The document of `content` written to the work directory as `name`, in
  // `app` with its file types loaded.
  OpenDocument* openDocument(Application& app, const std::string& name, const std::string& content) {
    work_->write(name, content);
    app.loadFileTypes();
    return app.openFile(work_->file(name), 25, 80);
  }
};

// Over the desktop program's host: message boxes answered by `answer`,
// every other dialog cancelled (nothing in a test may wait for a person),
// and the core started in the Windows layout.
class QtFixture : public GuiFixture<QtHost> {
 protected:
  using Answer = std::function<std::optional<MbResult>(const std::string& text,
                                                       const std::string& caption, MbButtons)>;

  void setUpCore(const Answer& answer) {
    setUpFixture([&answer](QtHost& h) {
      h.answerBox = answer;
      h.runDialog = [](QDialog&) { return int(QDialog::Rejected); };
    });
    StartOptions options;
    options.configDir = config_->path();
    options.layout = kLayoutWindows;
    startCore(*ctx_, options);
  }
};

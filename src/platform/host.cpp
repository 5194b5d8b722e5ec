#include "platform/host.hpp"

#include <cstdio>
#include <unistd.h>

namespace {

// Until start-up installs the real one, fatal reports go to standard error.
class StderrHost : public Host {
 public:
  MbResult messageBox(const std::string& text, const std::string& caption, MbButtons buttons,
                      MbIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (buttons) {
      case MbButtons::Ok: return MbResult::Ok;
      case MbButtons::YesNo: return MbResult::No;
      default: return MbResult::Cancel;
    }
  }
  void statusMessage(const std::string&) override {}
  std::optional<std::string> openFileDialog(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> saveAsDialog(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<CommentAnswer> askCommentConvention(const CommentAnswer&) override {
    return std::nullopt;
  }
  std::optional<std::string> prompt(const std::string&, const std::string&, const std::string&,
                                    int) override {
    return std::nullopt;
  }
  [[noreturn]] void exitProcess(int code) override {
    std::fflush(nullptr);
    _exit(code);
  }
};

StderrHost g_stderrHost;
Host* g_processHost = nullptr;

}  // namespace

Host& processHost() { return g_processHost ? *g_processHost : g_stderrHost; }

void setProcessHost(Host* host) { g_processHost = host; }

void fatalReport(Host& host, const std::string& text, const std::string& caption, int exitCode) {
  host.messageBox(text, caption, MbButtons::Ok, MbIcon::Stop);
  host.exitProcess(exitCode);
  _exit(exitCode);  // a host's exitProcess never returns; this keeps the promise
}

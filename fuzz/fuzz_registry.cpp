// The registry file reader: any bytes as registry.reg. The settings are
// read from it as on every platform but the old one, window placements
// are restored from it, and what the writer makes of it must read back to
// the same file with every value unchanged.
#include <string>

#include "app/placement.hpp"
#include "app/registry.hpp"
#include "app/settingsstore.hpp"
#include "fuzzsupport.hpp"
#include "model/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  FuzzHost host;
  ScopedHost scope(host);
  const std::string text(reinterpret_cast<const char*>(data), size);

  Registry& reg = registry();
  reg.parse(text);
  ModelContext ctx(host);
  loadAllSettings(ctx.settings);
  const Settings& s = ctx.settings;
  fuzzCheck(s.tabSize >= 1 && s.tabSize <= 20, "the tab size is clamped");
  fuzzCheck(s.autoSave >= 0, "auto-save is never negative");
  fuzzCheck(s.printerFont.faceName.size() <= 31, "the printer font name fits its field");
  fuzzCheck(s.compilerCmdLine.size() <= 131, "the command line fits its field");

  for (const char* name : {"MainWindowPlacement", "File1Placement", "File2Placement"}) {
    WindowPlacement p;
    bool tree = false, maximised = false, wrap = false;
    if (restorePlacement(host, name, p, &tree, &maximised, &wrap))
      fuzzCheck(p.showCmd != kShowMaximised || !maximised, "a maximised file window comes back normal");
  }

  const std::string written = reg.serialise();
  Registry again(scratchDir() + "/again.reg");
  again.parse(written);
  fuzzCheck(again.serialise() == written, "a written registry does not read back to itself");
  reg.parse("");
  return 0;
}

// The profile (INI) reader: any bytes as PLICATO.INI. The settings are
// read from it as on the platform that keeps them there (with the
// window placements and the reopen list), the FILE_TYPES
// section builds the file-type list (loading the highlighting files it
// names) and gives windows their conventions, what the profile writer
// makes of the file must read back to the same file, and values stored by
// the program must read back as they were.
#include <cstdlib>
#include <string>

#include "app/placement.hpp"
#include "app/settingsstore.hpp"
#include "fuzzsupport.hpp"
#include "model/filetypes.hpp"
#include "model/linestore.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  FuzzHost host;
  ScopedHost scope(host);
  const std::string text(reinterpret_cast<const char*>(data), size);

  // The process's own PLICATO.INI, as the settings store reads it.
  ::setenv("PLICATO_WIN32S", "1", 1);
  ProfileFile& ini = plicatoIni();
  ini.parse(text);
  ModelContext ctx(host);
  loadAllSettings(ctx.settings);
  const Settings& s = ctx.settings;
  fuzzCheck(s.tabSize >= 1 && s.tabSize <= 20, "the tab size is clamped");
  fuzzCheck(s.autoSave >= 0, "auto-save is never negative");
  fuzzCheck(s.keyboardLayout >= 1 && s.keyboardLayout <= 3, "a known layout");

  for (const char* name : {"MainWindowPlacement", "File1Placement", "File2Placement"}) {
    WindowPlacement p;
    bool tree = false, maximised = false, wrap = false;
    if (restorePlacement(host, name, p, &tree, &maximised, &wrap))
      fuzzCheck(p.showCmd != kShowMaximised || !maximised, "a maximised file window comes back normal");
  }
  std::vector<std::string> reopen = readReopenList();
  fuzzCheck(reopen.size() <= kReopenListSize, "at most sixteen files to reopen");
  ::unsetenv("PLICATO_WIN32S");

  FileTypeList types;
  types.load(ini, host);
  fuzzCheck(types.size() <= FileTypeList::kMaxEntries, "at most 19 file types");
  LanguageList langs;
  for (const char* ext : {".c", ".cpp", ".h", ".occ", ".f", "", ".x", ".TSR"}) {
    LineStore w(ctx);
    setConvention(w, ext, &types, langs);
    fuzzCheck(w.commentStart.size() <= kCommentFieldBytes && w.commentEnd.size() <= kCommentFieldBytes,
              "comment signs fit their fields");
    fuzzCheck(w.fileTypeName.size() <= kTypeNameBytes, "the type name fits its field");
  }
  (void)types.filterText();

  // Every section, key and value comes back from the writer's text.
  const std::string written = ini.serialise();
  ProfileFile again(scratchDir() + "/again.ini");
  again.parse(written);
  fuzzCheck(again.serialise() == written, "a written profile does not read back to itself");
  for (const std::string& sec : ini.sections())
    for (const std::string& key : ini.keys(sec))
      fuzzCheck(again.getString(sec, key, "\x01") == ini.getString(sec, key, "\x02"),
                "a value changed on its way through the file");
  ini.parse("");

  // Any value the program stores (each line of the data, up to a NUL)
  // reads back as it was written.
  ProfileFile mine(scratchDir() + "/mine.ini");
  mine.beginBatch();
  std::vector<std::string> values;
  for (size_t pos = 0; pos <= text.size() && values.size() < 40;) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string v = text.substr(pos, nl - pos);
    values.push_back(v.substr(0, v.find('\0')));
    pos = nl + 1;
  }
  for (size_t i = 0; i < values.size(); ++i) mine.writeString("S", "K" + std::to_string(i), values[i]);
  ProfileFile back(scratchDir() + "/back.ini");
  back.parse(mine.serialise());
  for (size_t i = 0; i < values.size(); ++i)
    fuzzCheck(back.getString("S", "K" + std::to_string(i), "\x01") == values[i],
              "a stored value does not read back as it was written");
  return 0;
}

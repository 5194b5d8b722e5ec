#include "app/settingsstore.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "app/registry.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"

namespace {

std::string onOff(bool on) { return on ? "ON" : "OFF"; }
std::string cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }
// Colours go out as signed 32-bit decimals, so every value reads back as it was.
std::string colourText(uint32_t c) { return std::to_string(static_cast<int32_t>(c)); }
uint32_t colourValue(const std::string& t) { return static_cast<uint32_t>(settingsNumber(t)); }

const char* const kLayoutNames[] = {"Plicato Standard", "Windows", "User defined"};
const char* const kSchemeNames[] = {"Plicato Standard", "System", "User defined"};

// One stored setting. The two defaults are the texts a missing entry reads
// as; the stores were given different ones long ago and users' files rely
// on them, so they stay different.
struct Row {
  const char* regPath;
  const char* section;
  const char* key;
  const char* regDefault;
  const char* iniDefault;
  std::string (*get)(const Settings&);
  void (*set)(Settings&, const std::string&);
};

// In the order they are written.
const Row kRows[] = {
    {"Editor\\AutoSaveAtTopLevel", "EDITOR", "AUTOSAVEATTOPLEVEL", "OFF", "OFF",
     [](const Settings& s) { return onOff(s.autoSaveAtTopLevel); },
     [](Settings& s, const std::string& t) { s.autoSaveAtTopLevel = t == "ON"; }},
    {"Editor\\AutoSave", "EDITOR", "AUTOSAVE", "0", "0",
     [](const Settings& s) { return std::to_string(s.autoSave); },
     [](Settings& s, const std::string& t) { s.autoSave = std::max(0, settingsNumber(t)); }},
    {"Editor\\TabSize", "EDITOR", "TABSIZE", "8", "8",
     [](const Settings& s) { return std::to_string(s.tabSize); },
     [](Settings& s, const std::string& t) { s.tabSize = std::clamp(settingsNumber(t), 1, 20); }},
    {"Editor\\Syntax High Lighting", "EDITOR", "SYNTAX_HIGHLIGHTING", "OFF", "OFF",
     [](const Settings& s) { return onOff(s.syntaxHighlighting); },
     [](Settings& s, const std::string& t) { s.syntaxHighlighting = t == "ON"; }},
    {"Editor\\KeyboardLayout", "EDITOR", "KEYBOARD_LAYOUT", "Windows", "Plicato Standard",
     [](const Settings& s) {
       int l = s.keyboardLayout;
       return std::string(kLayoutNames[l >= 1 && l <= 3 ? l - 1 : 0]);
     },
     [](Settings& s, const std::string& t) {
       for (int i = 0; i < 3; ++i)
         if (t == kLayoutNames[i]) s.keyboardLayout = i + 1;  // other texts change nothing
     }},
    {"Editor\\Colors\\UserTextColor", "EDITOR", "USER_TEXT_COLOR", "0", "0",
     [](const Settings& s) { return colourText(s.userTextColour); },
     [](Settings& s, const std::string& t) { s.userTextColour = colourValue(t); }},
    {"Editor\\Colors\\UserBackgroundColor", "EDITOR", "USER_BACKGROUND_COLOR", "16777215", "0",
     [](const Settings& s) { return colourText(s.userBackColour); },
     [](Settings& s, const std::string& t) { s.userBackColour = colourValue(t); }},
    {"Editor\\Colors\\UserSelectedTextColor", "EDITOR", "USER_SELECTED_TEXT_COLOR", "16777215",
     "0", [](const Settings& s) { return colourText(s.userSelTextColour); },
     [](Settings& s, const std::string& t) { s.userSelTextColour = colourValue(t); }},
    {"Editor\\Colors\\UserSelectedBackgroundColor", "EDITOR", "USER_SELECTED_BACKGROUND_COLOR",
     "0", "0", [](const Settings& s) { return colourText(s.userSelBackColour); },
     [](Settings& s, const std::string& t) { s.userSelBackColour = colourValue(t); }},
    {"Editor\\Colors", "EDITOR", "COLORS", "Plicato Standard", "Plicato Standard",
     [](const Settings& s) {
       int c = s.colourScheme;
       return std::string(kSchemeNames[c >= 1 && c <= 3 ? c - 1 : 0]);
     },
     [](Settings& s, const std::string& t) {
       s.colourScheme = kSchemeStandard;  // any text but these two is the standard scheme
       if (t == kSchemeNames[1]) s.colourScheme = kSchemeSystem;
       if (t == kSchemeNames[2]) s.colourScheme = kSchemeUser;
     }},
    {"Editor\\Backup", "EDITOR", "BACKUP", "OFF", "OFF",
     [](const Settings& s) { return onOff(s.backup); },
     [](Settings& s, const std::string& t) { s.backup = t == "ON"; }},
    {"Editor\\UndoSteps", "EDITOR", "UNDOSTEPS", "1000", "1000",
     [](const Settings& s) { return std::to_string(s.undoSteps); },
     [](Settings& s, const std::string& t) { s.undoSteps = std::clamp(settingsNumber(t), 1, 1000000); }},
    {"Editor\\UndoMegabytes", "EDITOR", "UNDOMEGABYTES", "64", "64",
     [](const Settings& s) { return std::to_string(s.undoMegabytes); },
     [](Settings& s, const std::string& t) { s.undoMegabytes = std::clamp(settingsNumber(t), 1, 1 << 20); }},
    {"Printer Font\\FaceName", "PRINTER FONT", "FaceName", "LinePrinter", "LinePrinter",
     [](const Settings& s) { return s.printerFont.faceName; },
     [](Settings& s, const std::string& t) { s.printerFont.faceName = cut(t, 31); }},
    {"Printer Font\\Weight", "PRINTER FONT", "Weight", "400", "400",
     [](const Settings& s) { return std::to_string(s.printerFont.weight); },
     [](Settings& s, const std::string& t) { s.printerFont.weight = settingsNumber(t); }},
    {"Printer Font\\Italic", "PRINTER FONT", "Italic", "0", "0",
     [](const Settings& s) { return std::to_string(static_cast<int>(s.printerFont.italic)); },
     [](Settings& s, const std::string& t) {
       s.printerFont.italic = static_cast<uint8_t>(settingsNumber(t));
     }},
    {"Printer Font\\Height", "PRINTER FONT", "Height", "-11", "-11",
     [](const Settings& s) { return std::to_string(s.printerFont.height); },
     [](Settings& s, const std::string& t) { s.printerFont.height = settingsNumber(t); }},
    {"Printer Font\\Width", "PRINTER FONT", "Width", "0", "0",
     [](const Settings& s) { return std::to_string(s.printerFont.width); },
     [](Settings& s, const std::string& t) { s.printerFont.width = settingsNumber(t); }},
    {"Compiler\\CMDLine", "COMPILER", "CMDLine", "", "",
     [](const Settings& s) { return s.compilerCmdLine; },
     [](Settings& s, const std::string& t) { s.compilerCmdLine = cut(t, 131); }},
    {"Compiler\\LinkAddress", "COMPILER", "LinkAddress", "", "",
     [](const Settings& s) { return s.linkAddress; },
     [](Settings& s, const std::string& t) { s.linkAddress = cut(t, 15); }},
    {"Compiler\\LinkTimeout", "COMPILER", "LinkTimeout", "", "",
     [](const Settings& s) { return s.linkTimeout; },
     [](Settings& s, const std::string& t) { s.linkTimeout = cut(t, 15); }},
    {"Compiler\\ICC_BTL_Path", "COMPILER", "ICC_BTL_Path", "", "",
     [](const Settings& s) { return s.iccBtlPath; },
     [](Settings& s, const std::string& t) { s.iccBtlPath = cut(t, 255); }},
    {"Compiler\\CompilerParameters", "COMPILER", "CompilerParameters", "", "",
     [](const Settings& s) { return s.compilerParameters; },
     [](Settings& s, const std::string& t) { s.compilerParameters = cut(t, 255); }},
    {"Compiler\\ExternalCompiler", "COMPILER", "ExternalCompiler", "ON", "ON",
     [](const Settings& s) { return onOff(s.externalCompiler); },
     [](Settings& s, const std::string& t) { s.externalCompiler = t != "OFF"; }},
    {"Compiler\\RunArguments", "COMPILER", "RunArguments", "", "",
     [](const Settings& s) { return s.runArguments; },
     [](Settings& s, const std::string& t) { s.runArguments = t; }},
    {"Maker\\CMDLine", "MAKER", "CMDLINE", "", "",
     [](const Settings& s) { return s.makerCmdLine; },
     [](Settings& s, const std::string& t) { s.makerCmdLine = cut(t, 131); }},
    {"Maker\\Makefile", "MAKER", "Makefile", "", "",
     [](const Settings& s) { return s.makefile; },
     [](Settings& s, const std::string& t) { s.makefile = cut(t, 255); }},
    {"Maker\\MakerParameters", "MAKER", "MakerParameters", "", "",
     [](const Settings& s) { return s.makerParameters; },
     [](Settings& s, const std::string& t) { s.makerParameters = cut(t, 255); }},
    {"Maker\\MakerWorkingDirectory", "MAKER", "MakerWorkingDirectory", "", "",
     [](const Settings& s) { return s.makerWorkingDirectory; },
     [](Settings& s, const std::string& t) { s.makerWorkingDirectory = cut(t, 255); }},
    {"Maker\\ExternalMaker", "MAKER", "ExternalMaker", "ON", "OFF",
     [](const Settings& s) { return onOff(s.externalMaker); },
     [](Settings& s, const std::string& t) { s.externalMaker = t != "OFF"; }},
};

std::string readRow(const Row& r) {
  if (settingsInProfile()) return plicatoIni().getString(r.section, r.key, r.iniDefault);
  auto v = registry().getString(registryKey(kPlicatoRoot, r.regPath));
  return v ? *v : r.regDefault;
}

void writeRow(const Row& r, const std::string& text) {
  if (settingsInProfile())
    plicatoIni().writeString(r.section, r.key, text);
  else
    registry().setString(registryKey(kPlicatoRoot, r.regPath), "", text);
}

// "Editor\Highlight Unknown Files" -> section "Editor", key "Highlight".
void switchProfileName(const std::string& relPath, std::string& section, std::string& key) {
  size_t slash = relPath.find('\\');
  section = relPath.substr(0, slash);
  key.clear();
  if (slash == std::string::npos) return;
  size_t end = relPath.find_first_of("\\ ", slash + 1);
  key = relPath.substr(slash + 1, end == std::string::npos ? std::string::npos : end - slash - 1);
}

bool writeSwitchQuietly(const std::string& root, const std::string& relPath, bool value) {
  if (settingsInProfile()) {
    std::string section, key;
    switchProfileName(relPath, section, key);
    return plicatoIni().writeString(section, key, onOff(value));
  }
  return registry().setString(registryKey(root, relPath), "", onOff(value));
}

// Files whose write failure was shown and not yet followed by a success.
std::set<std::string>& reportedFiles() {
  static std::set<std::string> files;
  return files;
}

std::function<SystemColours()>& systemColourSource() {
  static std::function<SystemColours()> source;
  return source;
}

}  // namespace

bool settingsInProfile() {
  const char* e = std::getenv("PLICATO_WIN32S");
  return e && std::string(e) == "1";
}

std::string registryKey(const std::string& root, const std::string& relPath) {
  std::string key = std::string(kLocalMachine) + "\\" + root;
  if (!key.empty() && key.back() != '\\') key += '\\';
  return key + relPath;
}

int32_t settingsNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > INT64_C(1) << 32) v = INT64_C(1) << 32;  // far past any limit; stop growing
  }
  if (negative) v = -v;
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

void loadAllSettings(Settings& s) {
  for (const Row& r : kRows) r.set(s, readRow(r));
  readSwitch(kPlicatoRoot, "View\\Harbor", s.showToolbar);
  readSwitch(kPlicatoRoot, "View\\Status", s.showStatusBar);
  readSwitch(kPlicatoRoot, "Editor\\Highlight Unknown Files", s.highlightUnknownFiles);
  applyColourScheme(s);
}

bool saveAllSettings(const Settings& s, Host& host) {
  // The user asked for this save, so its failure is shown even when an
  // earlier automatic write of the same file already failed.
  reportedFiles().clear();
  return writeSettingsBatch(host, [&] {
    for (const Row& r : kRows) writeRow(r, r.get(s));
    writeSwitchQuietly(kPlicatoRoot, "Editor\\Highlight Unknown Files", s.highlightUnknownFiles);
  });
}

bool saveViewSwitches(const Settings& s, Host& host) {
  return writeSettingsBatch(host, [&] {
    writeSwitchQuietly(kPlicatoRoot, "View\\Harbor", s.showToolbar);
    writeSwitchQuietly(kPlicatoRoot, "View\\Status", s.showStatusBar);
  });
}

void readSwitch(const std::string& root, const std::string& relPath, bool& value) {
  value = true;
  std::string text;
  if (settingsInProfile()) {
    std::string section, key;
    switchProfileName(relPath, section, key);
    text = plicatoIni().getString(section, key, "");
  } else {
    text = registry().getString(registryKey(root, relPath)).value_or("");
  }
  if (text == "OFF") value = false;
}

bool writeSwitch(const std::string& root, const std::string& relPath, bool value, Host& host) {
  bool inProfile = settingsInProfile();
  bool ok = writeSwitchQuietly(root, relPath, value);
  if (inProfile) return noteSettingsWrite(host, ok, plicatoIni().path(), plicatoIni().lastError());
  return noteSettingsWrite(host, ok, registry().path(), registry().lastError());
}

bool writeSettingsBatch(Host& host, const std::function<void()>& body) {
  ProfileFile& ini = plicatoIni();
  Registry& reg = registry();
  ini.beginBatch();
  reg.beginBatch();
  body();
  bool regOk = reg.endBatch();
  bool iniOk = ini.endBatch();
  regOk = noteSettingsWrite(host, regOk, reg.path(), reg.lastError());
  iniOk = noteSettingsWrite(host, iniOk, ini.path(), ini.lastError());
  return regOk && iniOk;
}

void setSystemColourSource(std::function<SystemColours()> source) {
  systemColourSource() = std::move(source);
}

void applyColourScheme(Settings& s) {
  switch (s.colourScheme) {
    case kSchemeSystem: {
      SystemColours sys = systemColourSource() ? systemColourSource()() : SystemColours{};
      s.normalText = sys.windowText;
      s.normalBack = sys.window;
      s.selectedText = sys.window;
      s.selectedBack = sys.windowText;
      break;
    }
    case kSchemeUser:
      s.normalText = s.userTextColour;
      s.normalBack = s.userBackColour;
      s.selectedText = s.userSelTextColour;
      s.selectedBack = s.userSelBackColour;
      break;
    default:
      s.normalText = 0x000000;
      s.normalBack = 0xFFFFFF;
      s.selectedText = 0xFFFFFF;
      s.selectedBack = 0x000000;
      break;
  }
}

bool noteSettingsWrite(Host& host, bool ok, const std::string& path, const std::string& reason) {
  std::set<std::string>& reported = reportedFiles();
  if (ok) {
    reported.erase(path);
    return true;
  }
  if (reported.insert(path).second)
    host.messageBox("The settings could not be written to\n" + path + "\n" + reason,
                    "Plicato Error", MbButtons::Ok, MbIcon::Stop);
  return false;
}

// Reading and writing an editor's settings (model/settings.hpp).
//
// Two stores: the registry stand-in (app/registry.hpp) under the root key
// below, or PLICATO.INI when settingsInProfile says so. Every read and
// write asks the environment again; nothing caches the choice. The reopen list
// and the file types are always in PLICATO.INI.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "model/settings.hpp"
#include "platform/host.hpp"

inline constexpr const char* kPlicatoRoot = "SOFTWARE\\Varnex\\Korvel\\Plicato\\";

// True only when the environment sets PLICATO_WIN32S=1: then every setting
// lives in PLICATO.INI.
bool settingsInProfile();

// The full registry key of a root ("SOFTWARE\...\Plicato\") and a path below it.
std::string registryKey(const std::string& root, const std::string& relPath);

// Fills every value of s from the store of the platform; missing entries
// take the defaults of that store. Never reports anything.
void loadAllSettings(Settings& s);
// Writes every setting except the tool-bar and status-bar switches, then
// the unknown-files highlighting switch. A store that cannot be written is
// reported once through the host; s is not touched either way.
bool saveAllSettings(const Settings& s, Host& host);
// The tool-bar and status-bar switches ("View\Harbor", "View\Status"), as
// the exit writes them.
bool saveViewSwitches(const Settings& s, Host& host);

// On unless the stored text is exactly "OFF"; a missing entry leaves it on.
// The profile form takes the section from relPath up to the first
// backslash and the key from there up to the next backslash or blank.
void readSwitch(const std::string& root, const std::string& relPath, bool& value);
// Stores "ON" or "OFF".
bool writeSwitch(const std::string& root, const std::string& relPath, bool value, Host& host);

// The four drawing colours (0x00BBGGRR) from s.colourScheme.
void applyColourScheme(Settings& s);
// Window text and window background of the desktop, for the "System"
// scheme. Tests and the desktop program replace it; without one the
// colours are black on white.
struct SystemColours {
  uint32_t windowText = 0x000000;
  uint32_t window = 0xFFFFFF;
};
void setSystemColourSource(std::function<SystemColours()> source);

// Notes the outcome of writing a settings file. The first failure is shown
// under "Plicato Error" with the file and the reason; later failures of the
// same file stay quiet until a write to it succeeds again (or until the
// user saves all settings, which always shows its own failure). Returns ok.
bool noteSettingsWrite(Host& host, bool ok, const std::string& path, const std::string& reason);

// Runs body with both stores batched, so each file is written at most once,
// and notes the outcome of each as noteSettingsWrite does. Writes inside
// body should not note their own outcome.
bool writeSettingsBatch(Host& host, const std::function<void()>& body);

// Decimal text as the settings read it: leading blanks, a sign, digits;
// no number reads as 0; out-of-range values stop at the 32-bit limits.
int32_t settingsNumber(const std::string& text);

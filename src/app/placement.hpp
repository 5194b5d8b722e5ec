// Window placements and the list of files to reopen.
//
// A placement record is kept per named window ("MainWindowPlacement", or
// "File<n>Placement" for the n-th file of the reopen list): in the registry
// as binary values of the key root + name, or, when settingsInProfile
// says so, as a PLICATO.INI section of that name. The reopen list is always in PLICATO.INI, section
// "FILES". The desktop program turns its windows into PlacedWindow records
// and applies what restorePlacement hands back; nothing here touches a
// real window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.hpp"

// The numbers of a window placement, as the window system reports them.
struct WindowPlacement {
  uint32_t flags = 0;
  uint32_t showCmd = 0;  // 1 normal, 2 minimised, 3 maximised
  int32_t left = 0;      // the normal (restored) rectangle
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

inline constexpr uint32_t kShowMaximised = 3;
inline constexpr int kReopenListSize = 16;

// A window of the document area as the desktop program hands it over.
struct PlacedWindow {
  bool hidden = false;
  // Whether it is an editor window; anything else (a messages window, a
  // dialog) is neither listed nor placed.
  bool isEditorWindow = true;
  std::string title;
  std::string fileName;
  // Nothing when the window system could not report the placement.
  std::optional<WindowPlacement> placement;
  bool showTree = false;
  bool wrapMode = false;
  // Asked for a window titled "Noname" before the list is written; may
  // offer to save it (and so change title and file name). False refuses.
  std::function<bool(PlacedWindow&)> mayClose;
};

// Stores the record of the window under name. Only editor windows are
// stored; a window whose placement cannot be read gets the message box
// "Plicato" / "Couldn't Get Window Placement". True when all was stored.
bool savePlacement(Host& host, const PlacedWindow& window, const std::string& name,
                   bool showTree, bool wrapMode);
// The record alone, for callers that hold the numbers.
bool storePlacement(Host& host, const std::string& name, const WindowPlacement& placement,
                    bool showTree, bool wrapMode);

// Reads the record of name into placement, to be applied by the caller.
// False, with nothing changed, when the record is missing or incomplete
// (the wrap mode may be missing; the tree flag only when not asked for),
// or when it would put the window where the user cannot reach it: the left
// or top edge within an icon's size of the right or bottom of the screen,
// or the right or bottom edge within an icon's size of the left or top.
// A maximised "File..." window comes back with maximised set and its show
// command made normal, so that the caller maximises it inside the client.
bool restorePlacement(Host& host, const std::string& name, WindowPlacement& placement,
                      bool* showTree = nullptr, bool* maximised = nullptr,
                      bool* wrapMode = nullptr);

// One file of the reopen list and the n of its "File<n>" entry (the
// placement to restore is "File<n>Placement").
struct ReopenEntry {
  std::string file;
  int number = 0;
};
// The files of the reopen list: "File1", "File2", ... of section "FILES",
// at most sixteen, ending at the first empty entry. A file listed twice
// (the same absolute path) is taken once, at its first entry.
std::vector<ReopenEntry> readReopenEntries();
std::vector<std::string> readReopenList();
// Lists every visible editor window with a title, in order, as "File<n>"
// with its placement under "File<n>Placement" (a file only once, at its
// first window), clears the entries after
// the last up to sixteen and sets "Counter". A "Noname" window is asked
// whether it may close first and is left out while it stays "Noname"; if it
// refuses, counter becomes -100, nothing is written and the result is false
// (the caller cancels the exit).
bool writeReopenList(Host& host, std::vector<PlacedWindow>& windows, int* counter = nullptr);

// The engine's part of an editor's context: the search state that every
// window's search and replace dialogs share.
#pragma once

#include <functional>
#include <string>

#include "model/context.hpp"
#include "platform/host.hpp"

class View;
struct LineNode;

struct SearchState {
  // The search dialog: the text as typed (its default next time).
  std::string searchText;
  bool searchMatchCase = false;
  SearchRequest::Mode searchMode = SearchRequest::Mode::StopOnFirst;

  // The replace dialog: find and replace texts, their own pattern and case.
  std::string findText;
  std::string replaceText;
  std::string replacePattern;  // upper case unless replaceMatchCase
  bool replaceMatchCase = false;
  SearchRequest::Mode replaceMode = SearchRequest::Mode::StopOnFirst;

  // What FindNext looks for: the pattern of the last search or replace
  // (upper case unless matchCase), and the options in force.
  std::string pattern;
  bool matchCase = false;
  bool backward = false;
  bool allFiles = false;
  // The last FindNext matched.
  bool found = false;
  // Where the last match lies: its line, its offset in the line's own text
  // and its length in bytes.
  LineNode* matchLine = nullptr;
  size_t matchOffset = 0;
  size_t matchLength = 0;

  // Called with the window a search or replace ended in when that is not
  // the window it started in (the desktop program activates it).
  std::function<void(View&)> activate;
};

struct EngineContext : ModelContext {
  explicit EngineContext(Host& h) : ModelContext(h) {}
  SearchState search;
};

// The keyboard-layout help: what the dialogs HELP and HELP_2 show, built
// from the command-key table in force so that it always tells the keys the
// user really has, and the plain text of it that is shown and printed.
#pragma once

#include <string>
#include <vector>

#include "commands/keytable.hpp"
#include "platform/host.hpp"

// One key of the template and the short label of its command ("" unbound).
struct HelpKey {
  std::string key;  // "F1", "Ctrl-A"
  int kind = kSpecialKey;
  int code = 0;
  std::string label;
};

// A grid section has one row per key and one column per modifier (the
// function-key template, the keypad); a list section is a plain run of keys.
struct HelpSection {
  std::string title;
  std::vector<std::string> columns;          // grid only: "Normal", "Shift", ...
  std::vector<std::string> rowNames;         // grid only: "F1", "Home", ...
  std::vector<std::vector<HelpKey>> rows;    // grid: rows x columns; list: one row
  std::vector<int> breaksAfter;              // grid rows followed by a gap
  bool isGrid() const { return !columns.empty(); }
};

struct HelpModel {
  std::string resource;  // "HELP" or "HELP_2"
  std::string title;     // "Standard Plicato Keyboard Layout" / "Windows Keyboard Layout"
  std::vector<HelpSection> sections;
  std::vector<std::string> buttons;  // "Ok", "Print"
};

// The model for a layout setting (1 picks HELP, anything else HELP_2),
// labelled from the given table (the one in force, as a rule).
HelpModel helpModel(int layoutSetting, const CommandKeyTable& table);

// The model as plain text, every line shorter than 79 characters.
std::string helpText(const HelpModel& model);

// The text of resources/help.txt: both compiled-in layouts.
std::string helpFileText();

struct CommandContext;

// Command 298: shows the help dialog of the layout setting in force.
void showLayoutHelp(CommandContext& ctx);

// The settings values of an editor (its ModelContext holds them). Filled
// once at start-up by the settings store (app/settingsstore), changed by the
// options sheet, read everywhere.
#pragma once

#include <cstdint>
#include <string>

enum KeyboardLayout { kLayoutStandard = 1, kLayoutWindows = 2, kLayoutUser = 3 };
enum ColourScheme { kSchemeStandard = 1, kSchemeSystem = 2, kSchemeUser = 3 };

struct PrinterFont {
  std::string faceName = "LinePrinter";
  int32_t weight = 400;
  uint8_t italic = 0;
  int32_t height = -11;
  int32_t width = 0;
};

struct Settings {
  bool autoSaveAtTopLevel = false;
  int32_t autoSave = 0;  // minutes; 0 = off
  int32_t tabSize = 8;
  bool syntaxHighlighting = false;
  int keyboardLayout = kLayoutWindows;
  uint32_t userTextColour = 0;
  uint32_t userBackColour = 0xFFFFFF;
  uint32_t userSelTextColour = 0xFFFFFF;
  uint32_t userSelBackColour = 0;
  int colourScheme = kSchemeStandard;
  PrinterFont printerFont;
  std::string compilerCmdLine;
  std::string linkAddress;
  std::string linkTimeout;
  std::string iccBtlPath;
  std::string compilerParameters;
  bool externalCompiler = true;
  std::string makerCmdLine;
  std::string makefile;
  std::string makerParameters;
  std::string makerWorkingDirectory;
  bool externalMaker = true;
  bool showToolbar = true;
  bool showStatusBar = true;
  bool highlightUnknownFiles = true;
  bool backup = false;
  // Bounds of each file's undo history: steps kept, and the memory they
  // may take.
  int32_t undoSteps = 1000;
  int32_t undoMegabytes = 64;
  std::string runArguments;

  // Colours derived from the scheme (0x00BBGGRR).
  uint32_t normalText = 0x000000;
  uint32_t normalBack = 0xFFFFFF;
  uint32_t selectedText = 0xFFFFFF;
  uint32_t selectedBack = 0x000000;
};


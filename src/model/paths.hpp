// Where the program finds and keeps its files on Linux.
#pragma once

#include <string>

// The program's own directory (symbolic links resolved); data files
// shipped with the program (lang.txt, help.txt, *.mrk, PLICATO.INI) are here.
std::string programDir();
void setProgramDir(const std::string& dir);  // tests and tools

// The configuration directory: --config, else $PLICATO_CONFIG_DIR, else
// $XDG_CONFIG_HOME/plicato, else ~/.config/plicato.
std::string configDir();
void setConfigDir(const std::string& dir);
// Creates the configuration directory when it is missing.
bool ensureConfigDir();

// A data file the program reads: the configuration directory's copy when
// there is one, else the one in the program's directory.
std::string dataFileForRead(const std::string& name);
// A data file the program writes: always in the configuration directory.
std::string dataFileForWrite(const std::string& name);

// PLICATO.INI in the configuration directory; copied there from the
// program's directory on first use.
std::string profilePath();
std::string registryPath();

// Path helpers ("/" is the separator; a "\" from an old file reads as "/").
std::string normaliseSeparators(const std::string& name);
bool isAbsolutePath(const std::string& name);
std::string dirName(const std::string& path);   // "" when there is none
std::string baseName(const std::string& path);  // after the last "/"
std::string joinPath(const std::string& dir, const std::string& name);
// Absolute form of a path against the current directory.
std::string absolutePath(const std::string& path);
bool fileExists(const std::string& path);

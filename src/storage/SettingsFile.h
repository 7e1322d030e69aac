#pragma once
// The settings file RIGVANE.INI: eight radio profiles (Radio0..Radio7), the
// GLOBALS section and the window positions (Window1..Window10).
#include <string>

#include "core/Host.h"
#include "core/Settings.h"
#include "storage/ProfileFile.h"

namespace rigvane {

// $XDG_CONFIG_HOME/rigvane/RIGVANE.INI, or ~/.config/rigvane/RIGVANE.INI.
std::string DefaultIniPath();

// Reads s.IniPath into s (profiles 0..7, globals, window table), applying the
// value of every missing key and the profile and global checks. A missing
// file is not an error: every key takes its missing value. A file that
// exists but cannot be read shows "INI Read Error", leaves s as it was and
// gives false.
bool LoadSettings(Settings& s, Host& host);

// Writes every section and key of s to s.IniPath in one atomic replace,
// keeping the comments, unknown sections and unknown keys of the existing
// file and creating missing parent folders. The windows copy their positions
// into s.Windows before calling. On failure shows "INI Write Error", leaves
// the old file untouched and gives false.
bool SaveSettings(Settings& s, Host& host);

// The two halves of the above without the file: values from a document (with
// the missing values and checks) and values into a document.
void ReadSettings(Settings& s, const ProfileFile& doc);
void WriteSettings(const Settings& s, ProfileFile& doc);

// Sets one value, writing "True" as "1" and "False" as "0".
void WriteIniValue(ProfileFile& doc, const std::string& section, const std::string& key,
                   const std::string& value);

// "135", "1035.5": the shortest decimal text (no exponent) that reads back as
// the same single-precision number.
std::string SingleToText(float value);

} // namespace rigvane

#pragma once
// The frequency display face. "Transistor" is not shipped with the program;
// a seven-segment face installed on the system (Debian's fonts-dseg) is
// registered as what "Transistor" falls back to.
#include <QString>
#include <QStringList>

namespace rigvane {

// The font files looked for, in order of preference.
QStringList DisplayFontCandidates();

// Registers the first candidate that loads and makes it the substitute for
// "Transistor". Returns the registered family, or an empty text when no
// candidate is installed (not an error: the display then uses the default
// face). Needs a QGuiApplication.
QString RegisterDisplayFont(const QStringList& candidates = DisplayFontCandidates());

} // namespace rigvane

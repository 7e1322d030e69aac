#pragma once
// What the editors accept in their entry fields, and the field-wise edits
// that undo and redo replay. Plain logic, shared by the channel and bank
// editors and their tables.
#include <cstdint>
#include <string>

#include "core/Channel.h"

namespace rigvane {

// A frequency typed in MHz: digits with at most one point, at most four
// digits before it (or at most four digits and no point). "00145.5" and
// "12345" are refused rather than stored as the invalid marker; the empty
// text is refused too. 9999.99999 is the top of the scale and accepted.
bool ParseEntryFrequency(const std::string& text, int32_t& value);

// A whole number 0..max typed as digits only.
bool ParseEntryNumber(const std::string& text, int max, int& value);

// Sets in `target` each field in which `from` and `to` differ, and which
// `target` still holds as in `from`, to its value in `to`; every other field
// stays as it is. Undo passes (after, before), redo (before, after), so an
// undo restores only what the edit changed and keeps, for example, a hit
// count the scan wrote meanwhile, or a field a file or Clear ALL replaced
// since.
void ApplyChangedFields(Channel& target, const Channel& from, const Channel& to);

} // namespace rigvane

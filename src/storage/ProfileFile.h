#pragma once
// An in-memory profile ("INI") document with the lookup rules of a Windows
// profile file: sections and keys match without regard to case, the first
// matching section and the first matching key win, blanks around keys and
// values do not count. Everything else in the text (comments, blank lines,
// lines without "=", unknown sections and keys, the byte-order mark) is kept
// as it was when the document is written back. Any byte sequence loads.
#include <string>
#include <unordered_map>
#include <vector>

namespace rigvane {

class ProfileFile {
  public:
    // Replaces the document by `text`. Lines end with CR LF, LF or a lone CR;
    // the first line end found is the one Serialize() writes (CR LF when the
    // text has none, as for a new Windows profile file).
    void Load(const std::string& text);

    // The value of `key` in `section`, blanks trimmed; "" and *found false
    // when there is no such key.
    std::string Get(const std::string& section, const std::string& key,
                    bool* found = nullptr) const;

    // Sets the value: in place when the key exists, else appended after the
    // last key of the section, else in a new section at the end. Line breaks
    // and NUL bytes in `value` become blanks so a value stays one line.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    std::string Serialize() const;

  private:
    struct Section {
        std::vector<std::string> Lines; // Lines[0] is the "[name]" header, except in the preamble
        std::unordered_map<std::string, size_t> Keys; // folded key name -> first line
        size_t InsertAt = 1; // where a new key goes: after the last key line
    };
    void AddLine(const std::string& line);

    std::vector<Section> sections_;                 // sections_[0]: lines before the first header
    std::unordered_map<std::string, size_t> index_; // folded section name -> first section
    std::string eol_ = "\r\n";
    bool bom_ = false;
};

} // namespace rigvane

#include "storage/ProfileFile.h"

namespace rigvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s, size_t begin, size_t end) {
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

// ASCII case folding, as the lookups compare names without regard to case.
std::string Fold(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

size_t FirstNonBlank(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

// The section name of a header line "[name]" (a missing "]" closes it at the
// end of the line); false for any other line.
bool HeaderName(const std::string& line, std::string* name) {
    const size_t start = FirstNonBlank(line);
    if (start >= line.size() || line[start] != '[') return false;
    size_t close = line.find(']', start + 1);
    if (close == std::string::npos) close = line.size();
    *name = Trim(line, start + 1, close);
    return true;
}

// The key of a "key = value" line; false for comments, blank lines and lines
// without "=" or without a key name.
bool KeyName(const std::string& line, std::string* key, size_t* equals) {
    const size_t start = FirstNonBlank(line);
    if (start >= line.size() || line[start] == ';' || line[start] == '#') return false;
    const size_t eq = line.find('=', start);
    if (eq == std::string::npos) return false;
    *key = Trim(line, start, eq);
    *equals = eq;
    return !key->empty();
}

} // namespace

void ProfileFile::AddLine(const std::string& line) {
    std::string name;
    if (HeaderName(line, &name)) {
        sections_.push_back(Section{{line}, {}, 1});
        index_.emplace(Fold(name), sections_.size() - 1); // keeps the first of duplicates
        return;
    }
    Section& section = sections_.back();
    section.Lines.push_back(line);
    size_t eq = 0;
    if (sections_.size() > 1 && KeyName(line, &name, &eq)) {
        section.Keys.emplace(Fold(name), section.Lines.size() - 1);
        section.InsertAt = section.Lines.size();
    }
}

void ProfileFile::Load(const std::string& text) {
    sections_.assign(1, Section{{}, {}, 0});
    index_.clear();
    eol_.clear();
    size_t pos = 0;
    bom_ = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom_) pos = 3;
    while (pos < text.size()) {
        const size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            AddLine(text.substr(pos));
            break;
        }
        AddLine(text.substr(pos, end - pos));
        const size_t eolLength =
            text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
        if (eol_.empty()) eol_ = text.substr(end, eolLength);
        pos = end + eolLength;
    }
    if (eol_.empty()) eol_ = "\r\n";
}

std::string ProfileFile::Get(const std::string& section, const std::string& key,
                             bool* found) const {
    if (found) *found = false;
    const auto s = index_.find(Fold(section));
    if (s == index_.end()) return "";
    const Section& sec = sections_[s->second];
    const auto k = sec.Keys.find(Fold(key));
    if (k == sec.Keys.end()) return "";
    const std::string& line = sec.Lines[k->second];
    if (found) *found = true;
    return Trim(line, line.find('=') + 1, line.size());
}

void ProfileFile::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    if (sections_.empty()) Load("");
    std::string clean = value;
    for (char& c : clean) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    auto s = index_.find(Fold(section));
    if (s == index_.end()) {
        sections_.push_back(Section{{"[" + section + "]"}, {}, 1});
        s = index_.emplace(Fold(section), sections_.size() - 1).first;
    }
    Section& sec = sections_[s->second];
    const auto k = sec.Keys.find(Fold(key));
    if (k != sec.Keys.end()) {
        std::string& line = sec.Lines[k->second];
        line = Trim(line, 0, line.find('=')) + "=" + clean;
        return;
    }
    // Only blank lines, comments and other non-key lines follow InsertAt, so
    // no key's line number moves.
    sec.Lines.insert(sec.Lines.begin() + static_cast<std::ptrdiff_t>(sec.InsertAt),
                     key + "=" + clean);
    sec.Keys.emplace(Fold(key), sec.InsertAt);
    ++sec.InsertAt;
}

std::string ProfileFile::Serialize() const {
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    for (const Section& sec : sections_) {
        for (const std::string& line : sec.Lines) {
            out += line;
            out += eol_;
        }
    }
    return out;
}

} // namespace rigvane

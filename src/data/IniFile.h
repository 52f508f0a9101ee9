#pragma once
// The text of a settings file kept line by line, so a program that changes
// one key writes back every other line as it was: comments, keys it does not
// know and sections other parts of the program own.

#include <optional>
#include <string>
#include <vector>

namespace pelmora {

class IniFile {
  public:
    static IniFile parse(const std::string& text);
    // A missing file reads as an empty one.
    static IniFile load(const std::string& path);

    // Section and key names are matched without regard to letter case; the
    // value is trimmed. A key given twice (in a section, or in two sections of
    // the same name) reads as its first line, as every reader of the file
    // takes it.
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    // Replaces the key's value where it stands (its later lines removed), or
    // adds the key at the end of its section, or the section at the end of
    // the file. A line break in the value would start a new line: it becomes
    // a blank.
    void set(const std::string& section, const std::string& key, const std::string& value);
    std::string text() const;

    // A line that is not blank, a comment or a section header.
    struct Entry {
        std::size_t line = 0;   // 1-based
        std::string section;    // the section it stands in, lower case; empty before the first
        bool readable = false;  // a "key=value" line
        std::string key, value; // the key lower case; both without blanks at the ends
    };
    // Every such line, in the order of the file.
    std::vector<Entry> entries() const;

    // The text rules of settings files: blanks off both ends; ASCII letters
    // in lower case (names are matched without regard to case).
    static std::string trim(const std::string& s);
    static std::string lower(std::string s);

    // Writes the file whole or not at all: a temporary file beside it, readable
    // by the owner only, flushed to the disk and renamed over it. False with
    // the reason in why when it could not.
    bool save(const std::string& path, std::string* why = nullptr) const;

  private:
    // Index of the section's header line, or npos.
    std::size_t sectionLine(const std::string& section) const;
    // Indexes of the key's lines in every section of that name, in order.
    std::vector<std::size_t> keyLines(const std::string& section, const std::string& key) const;
    std::vector<std::string> lines_;
    bool byteOrderMark_ = false; // the text began with one: kept for text()
};

} // namespace pelmora

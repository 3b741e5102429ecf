// The files of a fluid: reading them whole, numeric tables and the INI-style
// configuration, with the program's messages for every failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::detail {

// A table of numbers: rows of columns.
using table = std::vector<std::vector<double>>;

// Data files larger than this are refused unread.
inline constexpr std::uintmax_t MAX_DATA_FILE = 16u << 20;

[[noreturn]] void missing_file(const std::string& path);
[[noreturn]] void unreadable_file(const std::string& path);

// Refuses a value of the configuration file at config_path.
[[noreturn]] void reject_value(const std::string& config_path, const std::string& key, const std::string& value);

// Refuses a fluid or file name that is not one plain name: a name with "/",
// "\" or NUL in it, ".", "..".
void check_plain_name(const std::string& name);

bool file_exists(const std::string& path);

// The whole content of the regular file at path, at most MAX_DATA_FILE bytes.
std::string read_data_file(const std::string& path);

// A table in the text of a table file: three counts (rows, cols, heading
// lines; the rest of the counts' line is ignored), the heading lines, then
// rows x cols numbers separated by any white space, then nothing but white
// space. name names the file in the read error.
table parse_table(std::string_view text, const std::string& name);

table read_table(const std::string& path);

// The table named name (one plain name) in the fluid directory dir.
table read_fluid_table(const std::string& dir, const std::string& name);

// Read error of the file at path unless every row holds at least min_cols numbers.
void require_columns(const table& t, std::size_t min_cols, const std::string& path);

// Entries of an INI-style file: "[section]" lines, "key=value" entries
// (blanks around both removed, one pair of enclosing quotes removed from the
// value), ";" comment lines. Section and key names ignore case; the first
// occurrence of a key in a section counts.
class ini_file {
public:
    ini_file(std::string_view text, std::string path);

    const std::string& path() const { return path_; }

    // The raw value, or nullptr when the key is absent.
    const std::string* find(std::string_view section, std::string_view key) const;

    // Typed values: an absent key, or an empty value, gives def; a value that
    // does not convert is refused with its key and value. Texts are cut to 50
    // bytes, and an empty text stays empty.
    double real(std::string_view section, std::string_view key, double def) const;
    std::int32_t integer(std::string_view section, std::string_view key, std::int32_t def) const;
    bool boolean(std::string_view section, std::string_view key, bool def) const;  // 1/true/yes, 0/false/no
    std::string text(std::string_view section, std::string_view key, std::string_view def) const;

private:
    struct entry {
        std::string section, key, value;
    };
    std::vector<entry> entries_;
    std::string path_;
};

}  // namespace vantrel::detail

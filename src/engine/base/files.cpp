#include "engine/base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfenv>

#include "engine/base/text.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

namespace {

constexpr std::size_t CONFIG_TEXT_MAX = 50;

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Cursor over the text of a table file.
struct scanner {
    std::string_view text;
    std::size_t pos = 0;

    // Next white-space separated token; empty at the end of the text.
    std::string_view token() {
        while (pos < text.size() && is_space(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !is_space(text[pos])) ++pos;
        return text.substr(start, pos - start);
    }

    void next_line() {
        const std::size_t nl = text.find('\n', pos);
        pos = (nl == std::string_view::npos) ? text.size() : nl + 1;
    }
};

// Closes a file descriptor on every way out.
struct descriptor {
    int fd;
    ~descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

void missing_file(const std::string& path) { throw error(error_kind::data, message_id::file_missing, {text_value(path)}); }

void unreadable_file(const std::string& path) {
    throw error(error_kind::data, message_id::file_syntax, {text_value(path)});
}

void reject_value(const std::string& config_path, const std::string& key, const std::string& value) {
    throw error(error_kind::data, message_id::file_value, {text_value(key), text_value(value), text_value(config_path)});
}

void check_plain_name(const std::string& name) {
    if (name == "." || name == ".." || name.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        throw error(error_kind::data, message_id::name_is_path, {text_value(name)});
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string read_data_file(const std::string& path) {
    // Opened without blocking, so that a FIFO in place of a file is refused
    // instead of waited for.
    descriptor d{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (d.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) missing_file(path);
        unreadable_file(path);
    }
    struct stat st {};
    if (::fstat(d.fd, &st) != 0 || !S_ISREG(st.st_mode)) unreadable_file(path);
    if (static_cast<std::uintmax_t>(st.st_size) > MAX_DATA_FILE) unreadable_file(path);
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(d.fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw error(error_kind::data, message_id::file_io, {text_value(path)});
        }
        text.append(buf, static_cast<std::size_t>(n));
        if (text.size() > MAX_DATA_FILE) unreadable_file(path);
    }
    return text;
}

namespace {

table parse_numbers(std::string_view text, const std::string& name) {
    scanner scan{text};
    std::int32_t counts[3];
    for (auto& n : counts) {
        const auto value = parse_int(scan.token());
        if (!value) unreadable_file(name);
        n = *value;
    }
    const auto [rows, cols, lines] = counts;
    if (rows < 0 || cols < 0) unreadable_file(name);
    scan.next_line();
    for (std::int32_t i = 0; i < lines && scan.pos < scan.text.size(); ++i) scan.next_line();

    // Each number takes at least one character: a claim of more numbers than
    // the rest of the file could hold is a read error before any allocation.
    const std::size_t left = scan.text.size() - scan.pos;
    if (static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(cols) > left) unreadable_file(name);
    if (cols == 0 && static_cast<std::size_t>(rows) > left + 1024) unreadable_file(name);

    table t(static_cast<std::size_t>(rows));
    for (auto& row : t) {
        row.resize(static_cast<std::size_t>(cols));
        for (double& value : row) {
            const auto number = parse_number_raising(scan.token());
            if (!number) unreadable_file(name);
            value = *number;
        }
    }
    // Anything after the declared numbers means the counts do not describe
    // the file: reading only part of it would give wrong results silently.
    if (!scan.token().empty()) unreadable_file(name);
    return t;
}

}  // namespace

table parse_table(std::string_view text, const std::string& name) {
    // Reading a number may raise inexact or underflow: the caller's flags
    // are kept as they were, once for the whole table.
    std::fexcept_t saved;
    std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
    table t = parse_numbers(text, name);
    std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
    return t;
}

table read_table(const std::string& path) { return parse_table(read_data_file(path), path); }

table read_fluid_table(const std::string& dir, const std::string& name) {
    check_plain_name(name);
    return read_table(dir + "/" + name);
}

void require_columns(const table& t, std::size_t min_cols, const std::string& path) {
    for (const auto& row : t)
        if (row.size() < min_cols) unreadable_file(path);
}

ini_file::ini_file(std::string_view text, std::string path) : path_(std::move(path)) {
    std::string section;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = trim(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = lower(trim(line.substr(1, close - 1)));
                continue;
            }
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (key.empty()) continue;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        entries_.push_back({section, lower(key), std::string(value)});
    }
}

const std::string* ini_file::find(std::string_view section, std::string_view key) const {
    const std::string s = lower(section), k = lower(key);
    for (const auto& e : entries_)
        if (e.section == s && e.key == k) return &e.value;
    return nullptr;
}

double ini_file::real(std::string_view section, std::string_view key, double def) const {
    const std::string* v = find(section, key);
    if (v == nullptr || v->empty()) return def;
    const auto number = parse_number(*v);
    if (!number) reject_value(path_, std::string(key), *v);
    return *number;
}

std::int32_t ini_file::integer(std::string_view section, std::string_view key, std::int32_t def) const {
    const std::string* v = find(section, key);
    if (v == nullptr || v->empty()) return def;
    const auto number = parse_int(*v);
    if (!number) reject_value(path_, std::string(key), *v);
    return *number;
}

bool ini_file::boolean(std::string_view section, std::string_view key, bool def) const {
    const std::string* v = find(section, key);
    if (v == nullptr || v->empty()) return def;
    const std::string word = lower(*v);
    if (word == "1" || word == "true" || word == "yes") return true;
    if (word == "0" || word == "false" || word == "no") return false;
    reject_value(path_, std::string(key), *v);
}

std::string ini_file::text(std::string_view section, std::string_view key, std::string_view def) const {
    const std::string* v = find(section, key);
    if (v == nullptr) return std::string(def);
    return v->substr(0, CONFIG_TEXT_MAX);
}

}  // namespace vantrel::detail

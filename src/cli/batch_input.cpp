#include "cli/batch_input.h"

#include <algorithm>
#include <optional>

#include "cli/arguments.h"
#include "cli/speech.h"
#include "vantrel/vantrel.h"

namespace cli {

namespace {

constexpr std::size_t QUOTED = 40;  // characters of an over-long line or field in its message

// A field as written: blanks around it and one pair of enclosing quotes
// (spreadsheets quote fields) removed.
std::string_view field_text(std::string_view field) {
    field = trim(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = trim(field.substr(1, field.size() - 2));
    return field;
}

std::optional<double> field_number(std::string_view field, const row_format& f) {
    const std::string_view text = field_text(field);
    return f.decimal_comma ? read_number(text) : vantrel::parse_number(text);
}

// At most QUOTED characters (UTF-8 code points) of a text, "…" where cut.
std::string head(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (++count > QUOTED) return std::string(text.substr(0, i)) + "…";
    }
    return std::string(text);
}

}  // namespace

namespace {

constexpr row_format FORMATS[] = {{';', true}, {'\t', true}, {',', false}};

}  // namespace

row_format detect_format(std::string_view first_line) {
    for (const row_format& f : FORMATS)
        if (first_line.find(f.delimiter) != std::string_view::npos &&
            std::holds_alternative<row_values>(parse_row(first_line, f, 0)))
            return f;
    for (const row_format& f : FORMATS)
        if (first_line.find(f.delimiter) != std::string_view::npos) return f;
    return {',', false};
}

std::string_view strip_line_end(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool is_blank(std::string_view line) { return line.find_first_not_of(" \t\r\n") == std::string_view::npos; }

bool is_comment(std::string_view line) {
    const std::string_view t = trim(line);
    return !t.empty() && t.front() == '#';
}

bool is_header(std::string_view line) {
    for (const row_format& f : FORMATS)
        for (const std::string_view field : split(line, f.delimiter))
            if (field.size() > MAX_FIELD || field_number(field, {f.delimiter, true})) return false;
    return true;
}

std::variant<row_values, std::string> parse_row(std::string_view line, const row_format& f, std::size_t number) {
    const std::vector<std::string_view> fields = split(line, f.delimiter);
    for (const std::string_view field : fields)
        if (field.size() > MAX_FIELD)
            return say(text_id::field_too_long, {text_value(std::to_string(number)), text_value(std::to_string(MAX_FIELD)),
                                                 text_value(std::to_string(field.size())), text_value(head(field))});
    if (fields.size() != 2)
        return say(text_id::fields_count,
                   {text_value(std::string(1, f.delimiter)), text_value(std::to_string(fields.size()))});
    row_values v;
    double* const out[] = {&v.first, &v.second};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::optional<double> n = field_number(fields[i], f);
        if (!n) return say(text_id::field_not_number, {text_value(std::string(field_text(fields[i])))});
        *out[i] = *n;
    }
    return v;
}

std::string line_too_long(const input_line& line) {
    return say(text_id::line_too_long, {text_value(std::to_string(line.number)), text_value(std::to_string(MAX_LINE)),
                                        text_value(std::to_string(line.length)), text_value(head(line.text))});
}

void line_splitter::keep(std::string_view part) {
    open_ = true;
    length_ += part.size();
    if (pending_.size() < MAX_LINE) pending_.append(part.substr(0, MAX_LINE - pending_.size()));
}

void line_splitter::feed(std::string_view block, bool last, const std::function<void(const input_line&)>& each) {
    std::size_t start = 0;
    for (std::size_t nl; (nl = block.find('\n', start)) != std::string_view::npos; start = nl + 1) {
        std::string_view piece = block.substr(start, nl - start);
        std::size_t length = piece.size();
        if (open_) {  // the end of a line begun in an earlier block
            keep(piece);
            joined_.swap(pending_);
            pending_.clear();
            piece = joined_;
            length = length_;
            length_ = 0;
            open_ = false;
        }
        each({++number_, piece.substr(0, MAX_LINE), length});
    }
    const std::string_view rest = block.substr(start);
    if (!last) {
        if (!rest.empty()) keep(rest);
        return;
    }
    if (open_) {
        keep(rest);
        joined_.swap(pending_);
        pending_.clear();
        each({++number_, joined_, length_});
        length_ = 0;
        open_ = false;
    } else if (!rest.empty()) {
        each({++number_, rest.substr(0, MAX_LINE), rest.size()});
    }
}

}  // namespace cli

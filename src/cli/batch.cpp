// vantrel_cli batch [FLUID] --in KEY,KEY [FILE|-]: rows of two numbers in,
// CSV out, one row per input row in input order, spread over threads.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <ostream>
#include <thread>

#include "cli/arguments.h"
#include "cli/batch_input.h"
#include "cli/data_location.h"
#include "cli/modes.h"
#include "cli/output.h"
#include "cli/speech.h"
#include "cli/written.h"

namespace cli {

namespace {

constexpr std::size_t CHUNK = 1 << 20;  // bytes read at a time
constexpr std::size_t GROUP = 16384;    // rows computed and written at a time

// What every row needs: the fluid, the input keys and the properties.
struct batch_job {
    const vantrel::fluid& fluid;
    input_key a, b;
    pair_order order;
    unit_system units;
    std::vector<property> props;
    vantrel::extras extras;
    row_format format;
    csv_style style;
};

void append_failed(std::string& out, const batch_job& job, std::string_view message) {
    out.append(job.props.size() + 1, job.style.delimiter);
    append_csv_field(out, message, job.style.delimiter);
    out += '\n';
}

// A property of the row's state, its inputs as given.
cell row_cell(const batch_job& job, property p, const vantrel::state& s, const row_values& v) {
    const std::string_view name = info_of(p).name;
    if (name == info_of(job.a).name) return v.first;
    if (name == info_of(job.b).name) return v.second;
    return value_of(p, s, job.units);
}

// One input line as one CSV row (nothing for a blank line).
void append_row(std::string& out, const batch_job& job, const input_line& line) {
    if (line.too_long()) return append_failed(out, job, line_too_long(line));
    const auto parsed = parse_row(strip_line_end(line.text), job.format, line.number);
    if (const auto* message = std::get_if<std::string>(&parsed)) return append_failed(out, job, *message);
    const row_values& v = std::get<row_values>(parsed);
    vantrel::state s;
    try {
        const state_request r = request_of(job.order, job.a, v.first, job.b, v.second, job.units);
        s = job.fluid.at(r.pair, r.first, r.second, job.extras);
    } catch (const vantrel::error& e) {
        return append_failed(out, job, e.message(speech()));
    } catch (const usage_error& e) {
        return append_failed(out, job, e.what());
    }
    for (const property p : job.props) {
        append_csv_cell(out, row_cell(job, p, s, v), job.style);
        out += job.style.delimiter;
    }
    append_csv_field(out, s.warning ? say(*s.warning) : std::string(), job.style.delimiter);
    out += job.style.delimiter;
    out += '\n';
}

// The rows of a group of lines, each thread computing one contiguous share,
// written in order. What ends a thread (memory, say) ends the batch.
void write_rows(std::ostream& out, const batch_job& job, const std::vector<input_line>& lines, unsigned threads) {
    const std::size_t n = lines.size();
    const unsigned t = static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(threads, n / 64)));
    std::vector<std::string> parts(t);
    std::vector<std::exception_ptr> failures(t);
    const auto work = [&](unsigned k) {
        try {
            for (std::size_t i = n * k / t; i < n * (k + 1) / t; ++i) append_row(parts[k], job, lines[i]);
        } catch (...) {
            failures[k] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> pool;
        for (unsigned k = 1; k < t; ++k) pool.emplace_back(work, k);
        work(0);
    }
    for (const std::exception_ptr& e : failures)
        if (e) std::rethrow_exception(e);
    for (const auto& p : parts) out.write(p.data(), static_cast<std::streamsize>(p.size()));
    require_written(out, standard_output());
}

// A progress bar on a terminal, from the first second on.
class progress {
public:
    explicit progress(std::uintmax_t total) : total_(total), shown_(::isatty(STDERR_FILENO) == 1) {}
    ~progress() {
        if (drawn_) std::fputs("\r\033[K", stderr);
    }
    progress(const progress&) = delete;
    progress& operator=(const progress&) = delete;

    void update(std::uintmax_t done_bytes, std::uintmax_t rows) {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        drawn_ = true;
        if (total_ > 0) {
            const int pct = static_cast<int>(100.0 * static_cast<double>(done_bytes) / static_cast<double>(total_));
            const int bar = pct * 30 / 100;
            const std::string count = say(text_id::batch_rows, {text_value(std::to_string(rows))});
            std::fprintf(stderr, "\r[%.*s%.*s] %3d %%  %s", bar, "##############################", 30 - bar,
                         "..............................", pct, count.c_str());
        } else {
            std::fprintf(stderr, "\r%s", say(text_id::batch_rows, {text_value(std::to_string(rows))}).c_str());
        }
        std::fflush(stderr);
    }

private:
    std::uintmax_t total_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_{};
};

// The input: standard input, or a file closed at the end.
class input_file {
public:
    explicit input_file(const std::string& path) : name_(path.empty() ? "-" : path) {
        if (name_ == "-") return;
        file_ = std::fopen(path.c_str(), "rb");
        if (file_ == nullptr) throw vantrel::error(vantrel::error_kind::data, message_id::file_missing, {text_value(path)});
        struct stat st {};
        if (::fstat(::fileno(file_), &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uintmax_t>(st.st_size);
    }
    ~input_file() {
        if (file_ != stdin) std::fclose(file_);
    }
    input_file(const input_file&) = delete;
    input_file& operator=(const input_file&) = delete;

    // Up to buf.size() bytes; fewer only at the end of the input.
    std::size_t read(std::vector<char>& buf) {
        const std::size_t got = std::fread(buf.data(), 1, buf.size(), file_);
        if (got < buf.size() && std::ferror(file_))
            throw vantrel::error(vantrel::error_kind::data, message_id::file_io, {text_value(name_)});
        return got;
    }
    std::uintmax_t size() const { return size_; }  // 0 when unknown
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::FILE* file_ = stdin;
    std::uintmax_t size_ = 0;
};

unsigned thread_count(const std::string& option) {
    if (option.empty()) return std::max(1u, std::thread::hardware_concurrency());
    unsigned n = 0;
    const auto res = std::from_chars(option.data(), option.data() + option.size(), n);
    if (res.ec != std::errc() || res.ptr != option.data() + option.size() || n < 1 || n > 256)
        throw usage_error(say(text_id::batch_threads, {text_value(option)}));
    return n;
}

// The input keys "T,p".
std::pair<input_key, input_key> keys_of(const std::string& in) {
    const auto parts = split(in, ',');
    if (parts.size() != 2) throw usage_error(say(text_id::batch_in_keys));
    return {parse_key(trim(parts[0])), parse_key(trim(parts[1]))};
}

// Whether a lone argument names a fluid: a fluid of the data directory (as
// find_fluid reads names), or else, unless a file of that name exists, a
// mixture, predefined or typed; a name the library does not know (an error
// of kind data) is no fluid.
bool names_fluid(const std::string& arg, const std::filesystem::path& data) {
    if (arg == "-") return false;
    if (vantrel::find_fluid(data, arg)) return true;
    std::error_code ec;
    if (std::filesystem::exists(arg, ec)) return false;
    try {
        vantrel::fluid::by_name(data, arg, vantrel::reference_state::equation);
        return true;
    } catch (const vantrel::error& e) {
        return e.kind() != vantrel::error_kind::data;
    }
}

// FLUID and FILE: with one argument, a fluid's name is the fluid and
// anything else the file.
std::pair<std::string, std::string> fluid_and_file(const std::vector<std::string>& args,
                                                   const std::filesystem::path& data) {
    if (args.size() == 2) return {args[0], args[1]};
    if (args.size() == 1) {
        return names_fluid(args[0], data) ? std::pair{args[0], std::string()}
                                          : std::pair{std::string("R507A"), args[0]};
    }
    return {"R507A", ""};
}

// Which lines are rows: blank lines and comments are skipped anywhere, a
// header only first; the first row (or line) gives the format of the rows.
class row_filter {
public:
    bool is_row(const input_line& line) {
        const std::string_view text = strip_line_end(line.text);
        if (!line.too_long() && is_blank(text)) return ++blank_, false;
        if (!line.too_long() && is_comment(text)) return ++comment_, false;
        if (!row_seen_) format_ = detect_format(text);
        const bool first = !line_seen_;
        line_seen_ = true;
        if (first && !line.too_long() && is_header(text)) return ++header_, false;
        row_seen_ = true;
        return true;
    }
    const row_format& format() const { return format_; }

    // One line on what was skipped, none when nothing was.
    void report(std::ostream& err) const {
        const std::uintmax_t all = header_ + blank_ + comment_;
        if (all == 0) return;
        std::string parts;
        for (const auto& [count, what] : {std::pair{header_, text_id::skipped_header},
                                          {blank_, text_id::skipped_blank}, {comment_, text_id::skipped_comment}})
            if (count > 0) parts += (parts.empty() ? "" : ", ") + say(what, {text_value(std::to_string(count))});
        err << say(text_id::lines_skipped, {text_value(std::to_string(all)), text_value(parts)}) << '\n';
    }

private:
    row_format format_;
    bool line_seen_ = false, row_seen_ = false;
    std::uintmax_t header_ = 0, blank_ = 0, comment_ = 0;
};

}  // namespace

int run_batch(const mode_options& o, std::ostream& out, std::ostream& err) {
    const auto [a, b] = keys_of(o.in);
    const pair_order order = checked_pair(a, b);
    const unit_system u = parse_units(o.units);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const std::vector<property> props = o.props.empty() ? default_properties() : parse_properties(o.props);
    const unsigned threads = thread_count(o.threads);
    if (o.args.size() > 2) throw usage_error(say(text_id::batch_extra_argument, {text_value(o.args[2])}));
    const std::filesystem::path data = data_directory(o.data);
    const auto [fluid_name, path] = fluid_and_file(o.args, data);

    const vantrel::fluid f = vantrel::fluid::by_name(data, fluid_name, ref);
    input_file in(path);
    batch_job job{f, a, b, order, u, props, extras_for(props), {}, csv_style_of(o, output_format::csv)};

    const char d = job.style.delimiter;
    std::string header;
    for (const property p : props) {
        append_csv_field(header, job.style.units ? header_of(column_of(p), u) : column_of(p).name, d);
        header += d;
    }
    out << header << "warning" << d << "error\n";
    require_written(out, standard_output());

    progress bar(in.size());
    line_splitter splitter;
    std::vector<input_line> group;
    std::vector<char> buffer(CHUNK);
    std::uintmax_t consumed = 0, rows = 0;
    row_filter filter;
    for (bool eof = false; !eof;) {
        const std::size_t got = in.read(buffer);
        eof = got < buffer.size();
        const std::string_view block(buffer.data(), got);
        if (const char* nul = static_cast<const char*>(std::memchr(block.data(), '\0', block.size()))) {
            const std::string line = std::to_string(splitter.lines() + 1 + std::count(block.data(), nul, '\n'));
            if (in.name() == "-")
                throw failure(say(text_id::batch_binary_input, {text_value(line)}));
            throw failure(say(text_id::batch_binary_file, {text_value(in.name()), text_value(line)}));
        }
        splitter.feed(block, eof, [&](const input_line& line) {
            if (!filter.is_row(line)) return;
            job.format = filter.format();
            group.push_back(line);
            if (group.size() == GROUP) {
                write_rows(out, job, group, threads);
                rows += group.size();
                group.clear();
            }
        });
        write_rows(out, job, group, threads);  // before the next block takes the place of this one
        rows += group.size();
        group.clear();
        consumed += got;
        bar.update(consumed, rows);
    }
    filter.report(err);
    return 0;
}

}  // namespace cli

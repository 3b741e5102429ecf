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
};

void append_failed(std::string& out, const batch_job& job, std::string_view message) {
    out.append(job.props.size() + 1, ',');
    append_csv_field(out, message);
    out += '\n';
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
        return append_failed(out, job, e.what());
    } catch (const usage_error& e) {
        return append_failed(out, job, e.what());
    }
    for (const property p : job.props) {
        append_csv_cell(out, value_of(p, s, job.units));
        out += ',';
    }
    append_csv_field(out, s.warning);
    out += ",\n";
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
    require_written(out, STANDARD_OUTPUT);
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
            std::fprintf(stderr, "\r[%.*s%.*s] %3d %%  %ju строк", bar, "##############################", 30 - bar,
                         "..............................", pct, rows);
        } else {
            std::fprintf(stderr, "\r%ju строк", rows);
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
        if (file_ == nullptr) throw vantrel::error(vantrel::error_kind::data, "Файл " + path + " не найден!");
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
            throw vantrel::error(vantrel::error_kind::data, "При чтении файла " + name_ + " произошла ошибка ввода-вывода.");
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
        throw usage_error("Недопустимое число потоков '" + option + "': от 1 до 256.");
    return n;
}

// The input keys "T,p".
std::pair<input_key, input_key> keys_of(const std::string& in) {
    const auto parts = split(in, ',');
    if (parts.size() != 2) throw usage_error("Параметр --in: нужны два ключа через запятую, например --in T,p.");
    return {parse_key(trim(parts[0])), parse_key(trim(parts[1]))};
}

// FLUID and FILE: with one argument, a fluid of the data directory is the
// fluid and anything else the file.
std::pair<std::string, std::string> fluid_and_file(const std::vector<std::string>& args,
                                                   const std::filesystem::path& data) {
    if (args.size() == 2) return {args[0], args[1]};
    if (args.size() == 1) {
        // A fluid's name (as find_fluid reads names), otherwise the file.
        const bool fluid = args[0] != "-" && vantrel::find_fluid(data, args[0]);
        return fluid ? std::pair{args[0], std::string()} : std::pair{std::string("R507A"), args[0]};
    }
    return {"R507A", ""};
}

}  // namespace

int run_batch(const mode_options& o, std::ostream& out, std::ostream&) {
    const auto [a, b] = keys_of(o.in);
    const pair_order order = checked_pair(a, b);
    const unit_system u = parse_units(o.units);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const std::vector<property> props = o.props.empty() ? default_properties() : parse_properties(o.props);
    const unsigned threads = thread_count(o.threads);
    if (o.args.size() > 2) throw usage_error("Лишний аргумент '" + o.args[2] + "': ожидаются [FLUID] [FILE|-].");
    const std::filesystem::path data = data_directory(o.data);
    const auto [fluid_name, path] = fluid_and_file(o.args, data);

    const vantrel::fluid f = vantrel::fluid::by_name(data, fluid_name, ref);
    input_file in(path);
    batch_job job{f, a, b, order, u, props, extras_for(props), {}};

    std::string header;
    for (const property p : props) {
        append_csv_field(header, column_of(p).name);
        header += ',';
    }
    out << header << "warning,error\n";
    require_written(out, STANDARD_OUTPUT);

    progress bar(in.size());
    line_splitter splitter;
    std::vector<input_line> group;
    std::vector<char> buffer(CHUNK);
    std::uintmax_t consumed = 0, rows = 0;
    bool first = true;
    for (bool eof = false; !eof;) {
        const std::size_t got = in.read(buffer);
        eof = got < buffer.size();
        const std::string_view block(buffer.data(), got);
        if (const char* nul = static_cast<const char*>(std::memchr(block.data(), '\0', block.size())))
            throw vantrel::error(vantrel::error_kind::data,
                                 (in.name() == "-" ? std::string("Стандартный ввод") : "Файл " + in.name()) +
                                     " двоичный: в строке " +
                                     std::to_string(splitter.lines() + 1 + std::count(block.data(), nul, '\n')) +
                                     " нулевой байт.");
        splitter.feed(block, eof, [&](const input_line& line) {
            if (!line.too_long() && is_blank(line.text)) return;
            if (first) {
                first = false;
                job.format = detect_format(strip_line_end(line.text));
                if (!line.too_long() && is_header(strip_line_end(line.text), job.format)) return;
            }
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
    return 0;
}

}  // namespace cli

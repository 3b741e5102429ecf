// vantrel_plot FORMAT [SCALE]: draws the figure read as JSON from standard
// input with PLplot onto standard output as FORMAT: svg (PLplot's own SVG
// driver, which keeps texts as text), png or pdf (its cairo drivers); a PNG
// SCALE times the page's pixels (1 to 4).
// vantrel_cli computes the figure, opens the picture's file and runs this
// program with that file as its standard output: PLplot never sees a file
// name (it would expand "%" in one). Everything read is checked first; any
// failure is one line on standard error and exit status 1, or
// plot::PICTURE_WRITE_FAILED when the picture could not be written.
#include <plplot/plplot.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/speech.h"
#include "plot/figure.h"

namespace {

constexpr PLINT SCRATCH = 15;  // the colour map entry each element sets before drawing

// The page's pixels times this (PNG only), and the page's millimetres per pixel.
double scale = 1, mm_per_px = 1;

// PLplot's SVG driver sizes its page in points and names no font: the page
// is sized in pixels and the texts set in DejaVu Sans, whose advances the
// layout reckons with.
std::string svg_text;

std::string svg_fixed(std::string text) {
    const auto replace_first = [&](const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        if (at != std::string::npos && at < 2000) text.replace(at, from.size(), to);
    };
    replace_first("width=\"" + std::to_string(plot::PAGE_WIDTH) + "pt\"",
                  "width=\"" + std::to_string(plot::PAGE_WIDTH) + "px\"");
    replace_first("height=\"" + std::to_string(plot::PAGE_HEIGHT) + "pt\"",
                  "height=\"" + std::to_string(plot::PAGE_HEIGHT) + "px\"");
    const std::string generic = "font-family=\"sans-serif\"", named = "font-family=\"DejaVu Sans,sans-serif\"";
    std::string out;
    out.reserve(text.size() + text.size() / 20);
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(generic, from)) != std::string::npos; from = at + generic.size())
        out.append(text, from, at - from).append(named);
    return out.append(text, from);
}

std::string device_of(const std::string& format) {
    if (format == "svg") return "svg";
    if (format == "png") return "pngcairo";
    if (format == "pdf") return "pdfcairo";
    return "";
}

// Standard output as the FILE PLplot writes to: each write goes whole to file
// descriptor 1, and the first failure's errno is kept (PLplot closes the FILE
// itself, which would hide it).
int write_error = 0;

bool write_all(const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(STDOUT_FILENO, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (write_error == 0) write_error = n < 0 ? errno : EIO;
            errno = write_error;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

ssize_t write_out(void*, const char* data, std::size_t size) {
    return write_all(data, size) ? static_cast<ssize_t>(size) : -1;
}

// The SVG is kept until the end, then written out corrected.
ssize_t keep_svg(void*, const char* data, std::size_t size) {
    svg_text.append(data, size);
    return static_cast<ssize_t>(size);
}

std::FILE* picture_output(bool svg) {
    const cookie_io_functions_t io{nullptr, svg ? keep_svg : write_out, nullptr, nullptr};
    return ::fopencookie(nullptr, "w", io);
}

// Standard input, at most one byte beyond what a figure may hold.
std::string read_input() {
    std::string text;
    std::array<char, 1 << 16> buf;
    while (text.size() <= plot::MAX_JSON_BYTES) {
        const std::size_t n = std::fread(buf.data(), 1, buf.size(), stdin);
        text.append(buf.data(), n);
        if (n < buf.size()) {
            if (std::ferror(stdin))
                throw plot::invalid_figure(
                    cli::say(cli::text_id::figure_read_failed, {cli::text_value(std::strerror(errno))}));
            break;
        }
    }
    return text;
}

std::array<PLINT, 3> rgb(const std::string& color) {
    std::array<PLINT, 3> c{0, 0, 0};
    for (std::size_t i = 0; i < 3 && color.size() == 7; ++i)
        std::from_chars(color.data() + 1 + 2 * i, color.data() + 3 + 2 * i, c[i], 16);
    return c;
}

void use_color(const std::string& color, PLINT index = SCRATCH) {
    const auto c = rgb(color);
    plscol0(index, c[0], c[1], c[2]);
    plcol0(index);
}

void use_style(const plot::line_style& s) {
    use_color(s.color);
    plwidth(s.width * scale);
    pllsty(s.dashes);
}

// Texts by their font size in page pixels. (PLplot's character height is
// the font size over FONT_RATIO in each of its drivers.)
constexpr double FONT_RATIO = 1.3;

void font(double px) { plschr(px * mm_per_px / FONT_RATIO, 1.0); }

// PLplot reads "#" as its escape character.
std::string plain(const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '#' ? std::string("##") : std::string(1, c);
    return out;
}

double ly(double y) { return std::log10(y); }

// A tick's value: whole numbers in full (pascals too), fractions as short as they go.
std::string number(double v) {
    char buf[64];
    const auto r = v >= 1 && v < 1e15 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 0)
                                      : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}

// At most n characters (code points) of a UTF-8 text, cut at a blank.
std::string shortened(const std::string& text, std::size_t n) {
    std::size_t count = 0, cut = std::string::npos, blank = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (text[i] == ' ') blank = i;
        if (++count > n) {
            cut = i;
            break;
        }
    }
    if (cut == std::string::npos) return text;
    return text.substr(0, blank != std::string::npos ? blank : cut) + " …";
}

// The title lines, centred on the page.
void draw_titles(const plot::figure& f) {
    plvpor(0.02, 0.98, plot::AREA_BOTTOM, plot::AREA_TOP);
    use_color("#000000");
    font(20);
    plmtex("t", 4.0, 0.5, 0.5, plain(f.title).c_str());
    font(14);
    plmtex("t", 3.4, 0.5, 0.5, plain(f.subtitle).c_str());
    font(11);
    plmtex("t", 2.9, 0.5, 0.5, plain(shortened(f.source, 160)).c_str());
    plvpor(plot::AREA_LEFT, plot::AREA_RIGHT, plot::AREA_BOTTOM, plot::AREA_TOP);
    plwind(f.x_min, f.x_max, ly(f.y_min), ly(f.y_max));
}

// Grid lines and labels of the logarithmic axis at 1, 2 and 5 times the
// powers of ten, and a frame with numbered x ticks.
void draw_axes(const plot::figure& f) {
    const double lo = ly(f.y_min), hi = ly(f.y_max);
    plwidth(0.5 * scale);
    pllsty(1);
    use_color("#d8d8d8");
    plbox("g", 0, 0, "", 0, 0);
    font(14);
    for (int e = static_cast<int>(std::floor(lo)); e <= static_cast<int>(std::ceil(hi)); ++e) {
        for (const double m : {1.0, 2.0, 5.0}) {
            const double v = m * std::pow(10.0, e), y = ly(v);
            if (y < lo || y > hi) continue;
            PLFLT xs[2] = {f.x_min, f.x_max}, ys[2] = {y, y};
            use_color(m == 1.0 ? "#c8c8c8" : "#e0e0e0");
            plline(2, xs, ys);
            use_color("#000000");
            plmtex("lv", 0.5, (y - lo) / (hi - lo), 1.0, number(v).c_str());
        }
    }
    use_color("#000000");
    plwidth(1 * scale);
    plbox("bcnst", 0, 0, "bcstl", 0, 0);
    font(15);
    plmtex("b", 3.2, 0.5, 0.5, plain(f.x_label).c_str());
    plmtex("l", 4.6, 0.5, 0.5, plain(f.y_label).c_str());
    draw_titles(f);
}

// The points of a curve, less those within a fifth of a pixel of the straight
// line from the last point kept to the next one: a smaller picture, the same
// lines.
std::vector<plot::point> thinned(const plot::figure& f, const std::vector<plot::point>& pts) {
    std::vector<plot::point> out;
    plot::point kept{};
    for (std::size_t k = 0; k < pts.size(); ++k) {
        const plot::point b = plot::page_of(f, pts[k]);
        if (!out.empty() && k + 1 < pts.size()) {
            const plot::point n = plot::page_of(f, pts[k + 1]);
            const double len = std::hypot(n.x - kept.x, n.y - kept.y);
            const double cross = (b.x - kept.x) * (n.y - kept.y) - (b.y - kept.y) * (n.x - kept.x);
            if (len > 0 && std::fabs(cross) < 0.2 * len && len < 200) continue;
        }
        out.push_back(pts[k]);
        kept = b;
    }
    return out;
}

void draw_curves(const plot::figure& f) {
    for (const plot::curve& c : f.curves) {
        if (c.points.size() < 2) continue;
        std::vector<PLFLT> xs, ys;
        for (const plot::point& p : thinned(f, c.points)) {
            xs.push_back(p.x);
            ys.push_back(ly(p.y));
        }
        use_style(c.style);
        plline(static_cast<PLINT>(xs.size()), xs.data(), ys.data());
    }
    pllsty(1);
}

// A polygon given in page pixels, filled.
void fill_page(const plot::figure& f, const std::vector<plot::point>& corners, const std::string& color) {
    std::vector<PLFLT> xs, ys;
    for (const plot::point& c : corners) {
        const plot::point p = plot::figure_of(f, c);
        xs.push_back(p.x);
        ys.push_back(ly(p.y));
    }
    use_color(color);
    plfill(static_cast<PLINT>(xs.size()), xs.data(), ys.data());
}

void draw_panels(const plot::figure& f) {
    for (const plot::panel& p : f.panels) {
        PLFLT xs[5] = {p.lo.x, p.hi.x, p.hi.x, p.lo.x, p.lo.x};
        PLFLT ys[5] = {ly(p.lo.y), ly(p.lo.y), ly(p.hi.y), ly(p.hi.y), ly(p.lo.y)};
        use_color("#ffffff");
        plfill(4, xs, ys);
        use_color("#808080");
        plwidth(0.8 * scale);
        plline(5, xs, ys);
    }
}

void draw_texts(const plot::figure& f) {
    for (const plot::label& l : f.labels) {
        if (l.boxed) {
            const auto box = plot::label_box(f, l);
            fill_page(f, {box.begin(), box.end()}, "#ffffff");
        }
        use_color(l.color);
        font(plot::LABEL_PX * l.size);
        const plot::point a = plot::page_of(f, l.at), t = plot::page_of(f, l.towards);
        // The direction in page pixels, back into the window's units.
        double dx = t.x - a.x, dy = t.y - a.y;
        if (dx == 0 && dy == 0) dx = 1;
        const plot::point ahead = plot::figure_of(f, {a.x + dx, a.y + dy});
        plptex(l.at.x, ly(l.at.y), ahead.x - l.at.x, ly(ahead.y) - ly(l.at.y), l.just, plain(l.text).c_str());
    }
    for (const plot::marker& m : f.markers) {
        use_color(m.color);
        PLFLT x = m.at.x, y = ly(m.at.y);
        plssym(0, 1.2);  // (its default height follows the page)
        plpoin(1, &x, &y, 17);
        if (m.text.empty()) continue;
        font(14);
        const double offset = 0.012 * (f.x_max - f.x_min);
        plptex(m.text_left ? x - offset : x + offset, y + 0.012 * (ly(f.y_max) - ly(f.y_min)), 1, 0,
               m.text_left ? 1 : 0, plain(m.text).c_str());
    }
}

void draw_legend(const plot::figure& f) {
    const PLINT n = static_cast<PLINT>(f.legend.size());
    if (n == 0) return;
    std::vector<PLINT> opts(n, PL_LEGEND_LINE), text_colors(n), line_colors(n), line_styles(n), zeros(n, 0);
    std::vector<PLFLT> widths(n), fzeros(n, 0);
    std::vector<std::string> texts;
    std::vector<const char*> text_ptrs, symbols(n, "");
    for (PLINT i = 0; i < n; ++i) {
        const plot::legend_entry& e = f.legend[static_cast<std::size_t>(i)];
        const auto c = rgb(e.style.color);
        plscol0(1 + i, c[0], c[1], c[2]);  // entries 1..n of the colour map
        line_colors[i] = 1 + i;
        line_styles[i] = e.style.dashes;
        widths[i] = e.style.width;
        texts.push_back(plain(e.text));
    }
    plscol0(0, 255, 255, 255);
    for (PLINT i = 0; i < n; ++i) {
        text_colors[i] = SCRATCH;
        text_ptrs.push_back(texts[static_cast<std::size_t>(i)].c_str());
    }
    use_color("#000000");
    PLFLT w = 0, h = 0;
    font(13);
    for (PLFLT& width : widths) width *= scale;
    pllegend(&w, &h, PL_LEGEND_BACKGROUND, PL_POSITION_OUTSIDE | PL_POSITION_RIGHT,
             0.01, 0.25, 0.05, 0, SCRATCH, 1, 0, 0, n, opts.data(), 0.8, 1.0, 2.0, 0.0, text_colors.data(),
             text_ptrs.data(), nullptr, nullptr, nullptr, nullptr, line_colors.data(), line_styles.data(),
             widths.data(), nullptr, nullptr, nullptr, nullptr);
}

void draw(const plot::figure& f, const std::string& device) {
    std::FILE* out = picture_output(device == "svg");
    if (out == nullptr) throw std::bad_alloc();
    plsdev(device.c_str());
    plsfile(out);  // closed by plend
    plspage(0, 0, static_cast<PLINT>(plot::PAGE_WIDTH * scale), static_cast<PLINT>(plot::PAGE_HEIGHT * scale), 0, 0);
    plscolbg(255, 255, 255);
    plscol0(1, 0, 0, 0);
    plinit();
    pladv(0);
    PLFLT x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    plgspa(&x0, &x1, &y0, &y1);
    mm_per_px = (x1 - x0) / plot::PAGE_WIDTH;
    plvpor(plot::AREA_LEFT, plot::AREA_RIGHT, plot::AREA_BOTTOM, plot::AREA_TOP);
    plwind(f.x_min, f.x_max, ly(f.y_min), ly(f.y_max));
    draw_axes(f);
    draw_curves(f);
    draw_panels(f);
    draw_texts(f);
    draw_legend(f);
    plend();
    if (device == "svg") {
        const std::string text = svg_fixed(std::move(svg_text));
        write_all(text.data(), text.size());
    }
}

}  // namespace

int main(int argc, char** argv) {
    cli::speak({cli::language_of_environment(), std::nullopt});
    const std::string device = argc == 2 || argc == 3 ? device_of(argv[1]) : "";
    if (argc == 3) {
        const std::string_view text = argv[2];
        const auto r = std::from_chars(text.data(), text.data() + text.size(), scale);
        if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !(scale >= 1 && scale <= 4) ||
            std::string_view(argv[1]) != "png")
            scale = 0;
    }
    if (device.empty() || scale == 0) {
        std::cerr << "Use: vantrel_plot svg|png|pdf < FIGURE.json > PICTURE, vantrel_plot png SCALE < ...\n";
        return 2;
    }
    try {
        draw(plot::figure_from_json(read_input()), device);
    } catch (const plot::invalid_figure& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << cli::say(cli::text_id::figure_memory) << "\n";
        return 1;
    } catch (...) {
        std::cerr << cli::say(cli::text_id::figure_internal) << "\n";
        return 1;
    }
    if (write_error == 0 && ::close(STDOUT_FILENO) != 0) write_error = errno;
    if (write_error != 0) {
        std::cerr << plot::PICTURE_NOT_WRITTEN << std::strerror(write_error) << "\n";
        return plot::PICTURE_WRITE_FAILED;
    }
    return 0;
}

// The pieces of the command line's modes: numbers and units of the
// arguments, input pairs, batch rows, CSV fields and the aligned table.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "cli/arguments.h"
#include "cli/batch_input.h"
#include "cli/modes.h"
#include "cli/speech.h"
#include "cli/output.h"
#include "cli/properties.h"
#include "cli/written.h"
#include "test_support.h"

using namespace cli;
using vantrel::input_pair;

namespace {

std::string usage_message(const std::function<void()>& f) {
    cli::speak({vantrel::language::ru, unit_system::eng});
    try {
        f();
    } catch (const usage_error& e) {
        return e.what();
    }
    return "no usage error";
}

// Code points of a UTF-8 text.
std::size_t width(const std::string& s) {
    std::size_t n = 0;
    for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

TEST(ModesArguments, NumbersTakeAPointOrACommaAndNothingElse) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"20", 20},         {"-5,5", -5.5},          {"1.5e1", 15},  {".5", 0.5},       {"5.", 5},
        {"+3", 3},          {"1,000.5", std::nullopt}, {"abc", std::nullopt}, {"nan", std::nullopt},
        {"inf", std::nullopt}, {"", std::nullopt},   {"5bar", std::nullopt}, {"1e400", std::nullopt},
        {"0x10", std::nullopt}, {" 5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(read_number(c.text), c.value) << c.text;
    EXPECT_EQ(usage_message([] { argument_number("2x", "T="); }), "Недопустимое число '2x' в T=.");
}

TEST(ModesArguments, UnitSystemsAndFormatsByName) {
    EXPECT_EQ(parse_units("si"), unit_system::si);
    EXPECT_EQ(parse_format("csv"), output_format::csv);
    EXPECT_EQ(usage_message([] { parse_units("SI"); }), "Недопустимая система единиц 'SI': допустимы eng, si, ip.");
    EXPECT_EQ(usage_message([] { parse_format("xml"); }), "Недопустимый формат 'xml': допустимы table, csv, json.");
}

TEST(ModesArguments, EveryPairInEitherOrderAndNoOther) {
    const struct {
        const char *a, *b;
        input_pair pair;
        bool swapped;
    } cases[] = {
        {"T", "p", input_pair::T_p, false},  {"p", "T", input_pair::T_p, true},
        {"p", "h", input_pair::p_h, false},  {"h", "p", input_pair::p_h, true},
        {"p", "s", input_pair::p_s, false},  {"s", "p", input_pair::p_s, true},
        {"T", "x", input_pair::T_x, false},  {"x", "T", input_pair::T_x, true},
        {"p", "x", input_pair::p_x, false},  {"x", "p", input_pair::p_x, true},
        {"T", "rho", input_pair::T_rho, false}, {"rho", "T", input_pair::T_rho, true},
        {"h", "s", input_pair::h_s, false},  {"s", "h", input_pair::h_s, true},
    };
    for (const auto& c : cases) {
        const pair_order o = checked_pair(parse_key(c.a), parse_key(c.b));
        EXPECT_EQ(o.pair, c.pair) << c.a << c.b;
        EXPECT_EQ(o.swapped, c.swapped) << c.a << c.b;
    }
    for (const auto& [a, b] : {std::pair{"T", "h"}, {"T", "s"}, {"h", "x"}, {"s", "x"}, {"x", "rho"}, {"p", "rho"}})
        EXPECT_NE(usage_message([&] { checked_pair(parse_key(a), parse_key(b)); }).find("не поддерживается"),
                  std::string::npos)
            << a << b;
    EXPECT_EQ(usage_message([] { checked_pair(input_key::T, input_key::T); }), "Величина T задана дважды.");
    EXPECT_EQ(usage_message([] { parse_key("t"); }), "Неизвестная величина 't': допустимы T, p, h, s, x, rho.");
}

TEST(ModesArguments, RequestsAreInTheEnginesOrderAndUnits) {
    const pair_order o = checked_pair(input_key::h, input_key::p);
    const state_request r = request_of(o, input_key::h, 400, input_key::p, 5, unit_system::eng);
    EXPECT_EQ(r.pair, input_pair::p_h);
    EXPECT_EQ(r.first, 5e5);
    EXPECT_EQ(r.second, 4e5);
    const state_request t = request_of(checked_pair(input_key::T, input_key::x), input_key::T, -10, input_key::x, 0.5,
                                       unit_system::eng);
    EXPECT_DOUBLE_EQ(t.first, 263.15);
    EXPECT_EQ(t.second, 0.5);
}

TEST(ModesArguments, OneFluidAmongTheKeyValues) {
    EXPECT_EQ(split_positionals({"T=20", "p=5"}).fluid, "R507A");
    const fluid_and_keys f = split_positionals({"R134a", "T=20", "p=5,5"});
    EXPECT_EQ(f.fluid, "R134a");
    ASSERT_EQ(f.given.size(), 2u);
    EXPECT_EQ(f.given[1].key, "p");
    EXPECT_EQ(f.given[1].value, "5,5");
    EXPECT_EQ(usage_message([] { split_positionals({"R134a", "R32", "T=1"}); }),
              "Лишний аргумент 'R32': вещество уже задано (R134a).");
}

TEST(ModesProperties, NamesOrderAndWhatTheStateMustCarry) {
    const auto props = parse_properties("h, T,glide");
    ASSERT_EQ(props.size(), 3u);
    EXPECT_EQ(column_of(props[0]).name, "h");
    EXPECT_EQ(column_of(props[1]).name, "T");
    EXPECT_EQ(column_of(props[2]).q, quantity::temperature_difference);
    const std::string message = usage_message([] { parse_properties("T,H"); });
    EXPECT_EQ(message.rfind("Неизвестное свойство 'H': допустимы T, p, phase, x, rho, v, h, s, u, cp, cv, w, z, jt, "
                            "Tsat, psat, Tbub, Tdew, pbub, pdew, glide.", 0), 0u)
        << message;
    const struct {
        const char* list;
        vantrel::extras extras;
    } cases[] = {{"T,p,h,s,rho", vantrel::extras::none},
                 {"h,Tsat", vantrel::extras::saturation},
                 {"psat", vantrel::extras::saturation},
                 {"h,pdew", vantrel::extras::glide},
                 {"Tsat,glide", vantrel::extras::glide}};
    for (const auto& c : cases) EXPECT_EQ(extras_for(parse_properties(c.list)), c.extras) << c.list;
    EXPECT_EQ(extras_for(default_properties()), vantrel::extras::saturation);
}

TEST(ModesProperties, AbsentPropertiesStayAbsent) {
    vantrel::state two_phase;
    two_phase.T = 263.15;
    two_phase.p = 4e5;
    two_phase.h = 250e3;
    two_phase.x = 0.3;
    two_phase.phase = vantrel::phase_kind::two_phase;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value_of(property::cp, two_phase, unit_system::eng)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value_of(property::glide, two_phase, unit_system::eng)));
    EXPECT_EQ(std::get<double>(value_of(property::T, two_phase, unit_system::eng)), 263.15 - 273.15);
    EXPECT_EQ(std::get<double>(value_of(property::h, two_phase, unit_system::si)), 250e3);
    EXPECT_EQ(std::get<std::string>(value_of(property::phase, two_phase, unit_system::si)), "two-phase");
    vantrel::state undecided;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value_of(property::phase, undecided, unit_system::si)));
}

// Whatever a mode ends with is one line of the program's own: its own
// errors as they are, a library's exception in the program's words.
TEST(ModesErrors, EveryExceptionEndsInTheProgramsOwnLine) {
    std::exception_ptr json_error;
    try {
        (void)nlohmann::json("\xff").dump();
    } catch (...) {
        json_error = std::current_exception();
    }
    const struct {
        std::exception_ptr e;
        std::string message;
    } cases[] = {
        {std::make_exception_ptr(
             vantrel::error(vantrel::error_kind::data, vantrel::message_id::file_missing, {vantrel::text_value("a\nb")})),
         "Файл a b не найден!"},
        {std::make_exception_ptr(usage_error("Величина T задана дважды.")), "Величина T задана дважды."},
        {std::make_exception_ptr(output_error("Не удалось записать файл x.svg: No space left on device")),
         "Не удалось записать файл x.svg: No space left on device"},
        {std::make_exception_ptr(std::bad_alloc()), "Недостаточно памяти."},
        {std::make_exception_ptr(std::filesystem::filesystem_error(
             "directory_iterator::operator++", "/d/R32", std::make_error_code(std::errc::permission_denied))),
         "Ошибка файловой системы: /d/R32: Permission denied."},
        {std::make_exception_ptr(std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "t")),
         "Системная ошибка: Resource temporarily unavailable."},
        {json_error, "Внутренняя ошибка программы при записи JSON."},
        {std::make_exception_ptr(std::length_error("basic_string::_M_create")), "Внутренняя ошибка программы."},
    };
    cli::speak({vantrel::language::ru, unit_system::eng});
    for (const auto& c : cases) EXPECT_EQ(message_of(c.e), c.message);
}

TEST(ModesBatchRows, DelimiterHeaderAndFields) {
    cli::speak({vantrel::language::ru, unit_system::eng});
    EXPECT_EQ(detect_format("T;p").delimiter, ';');
    EXPECT_TRUE(detect_format("20;5").decimal_comma);
    EXPECT_EQ(detect_format("20,5").delimiter, ',');
    EXPECT_FALSE(detect_format("20,5").decimal_comma);
    const row_format comma{',', false}, semicolon{';', true};
    EXPECT_TRUE(is_header("T,p"));
    EXPECT_TRUE(is_header("\"T [°C]\",\"p [bar]\""));
    EXPECT_FALSE(is_header("T,5"));  // a row with a typo is a row, not a header
    EXPECT_FALSE(is_header("20;5"));
    EXPECT_EQ(strip_line_end("20,5\r\n"), "20,5");
    EXPECT_EQ(strip_line_end("20,5"), "20,5");
    EXPECT_TRUE(is_blank(" \t\r"));

    const struct {
        const char* line;
        row_format f;
        double first, second;
        const char* error;
    } cases[] = {
        {"20,5", comma, 20, 5, ""},
        {" 20 ,\t5 ", comma, 20, 5, ""},
        {"\"20\",\"5\"", comma, 20, 5, ""},
        {"-30,5;1", semicolon, -30.5, 1, ""},
        {"1.5e1;2,5", semicolon, 15, 2.5, ""},
        {"20;5", comma, 0, 0, "В строке должно быть два числа через ',', а полей в ней 1."},
        {"1,5,3", comma, 0, 0, "В строке должно быть два числа через ',', а полей в ней 3."},
        {"abc,5", comma, 0, 0, "Недопустимое число 'abc'."},
        {"20,", comma, 0, 0, "Недопустимое число ''."},
        {"20,nan", comma, 0, 0, "Недопустимое число 'nan'."},
        {"20;1e400", semicolon, 0, 0, "Недопустимое число '1e400'."},
    };
    for (const auto& c : cases) {
        const auto r = parse_row(c.line, c.f, 1);
        if (*c.error != '\0') {
            ASSERT_TRUE(std::holds_alternative<std::string>(r)) << c.line;
            EXPECT_EQ(std::get<std::string>(r), c.error);
        } else {
            ASSERT_TRUE(std::holds_alternative<row_values>(r)) << c.line << ": " << std::get<std::string>(r);
            EXPECT_EQ(std::get<row_values>(r).first, c.first) << c.line;
            EXPECT_EQ(std::get<row_values>(r).second, c.second) << c.line;
        }
    }
}

// However the input is cut into blocks, the lines are the same: their
// numbers, texts and lengths, a line over 64 KiB counted whole and kept only
// in its first 64 KiB, a last line without its line break.
TEST(ModesBatchRows, LinesAreTheSameHoweverTheInputIsCut) {
    const std::string over(MAX_LINE + 5, 'x'), full(MAX_LINE, 'y');
    using line = std::pair<std::string, std::size_t>;  // text, length
    const struct {
        std::string input;
        std::vector<line> lines;
    } cases[] = {
        {"", {}},
        {"a", {{"a", 1}}},
        {"a\r\nb\n\nc", {{"a\r", 2}, {"b", 1}, {"", 0}, {"c", 1}}},
        {"\n\n", {{"", 0}, {"", 0}}},
        {"1,2\n" + over + "\n3,4\n", {{"1,2", 3}, {over.substr(0, MAX_LINE), MAX_LINE + 5}, {"3,4", 3}}},
        {full + "\n" + over, {{full, MAX_LINE}, {over.substr(0, MAX_LINE), MAX_LINE + 5}}},
    };
    for (const auto& c : cases) {
        for (const std::size_t block : {1u, 2u, 3u, 7u, 4096u, 1u << 20}) {
            for (const bool empty_end : {false, true}) {  // the end given with the last block, or after it
                SCOPED_TRACE(c.input.substr(0, 20) + ", blocks of " + std::to_string(block));
                line_splitter splitter;
                std::vector<line> got;
                const auto each = [&](const input_line& l) {
                    got.emplace_back(std::string(l.text), l.length);
                    EXPECT_EQ(l.number, got.size());
                };
                const std::string_view in(c.input);
                for (std::size_t at = 0; at < in.size(); at += block)
                    splitter.feed(in.substr(at, block), !empty_end && at + block >= in.size(), each);
                if (empty_end || in.empty()) splitter.feed({}, true, each);
                EXPECT_EQ(got, c.lines);
            }
        }
    }
}

TEST(ModesOutput, CsvFieldsAreQuotedWhereTheyMustBe) {
    const struct {
        const char *field, *csv;
    } cases[] = {
        {"gas", "gas"},
        {"", ""},
        {"T от 200 до 500 K, p до 50 MPa", "\"T от 200 до 500 K, p до 50 MPa\""},
        {"say \"no\"", "\"say \"\"no\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& c : cases) {
        std::string out;
        append_csv_field(out, c.field);
        EXPECT_EQ(out, c.csv);
    }
}

TEST(ModesOutput, NumbersRoundTripInCsvAndReadSixDigitsInTables) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 10000; ++i) {
        const double v = std::ldexp(mantissa(rng), exponent(rng));
        EXPECT_EQ(std::stod(exact_text(v)), v);
    }
    EXPECT_EQ(rounded_text(383.8539964854555), "383.854");
    EXPECT_EQ(rounded_text(1121340.2504736832), "1.12134e+06");
    EXPECT_EQ(rounded_text(20), "20");
    EXPECT_EQ(rounded_text(-6.848981693035171), "-6.84898");
}

TEST(ModesOutput, TableColumnsAlignByCharactersNotBytes) {
    record_set set{"R507A", {{"T", quantity::temperature}, {"phase", std::nullopt}, {"s", quantity::entropy}}, {}};
    // (Rows built cell by cell: GCC 12 warns falsely on a braced list of
    // variants holding strings.)
    set.rows.resize(2, std::vector<cell>(3));
    set.rows[0][0] = 20.0;
    set.rows[0][1] = std::string("gas");
    set.rows[0][2] = 1.68679;
    set.rows[1][0] = -100.25;
    std::ostringstream out;
    write_records(out, set, output_format::table, unit_system::eng, false);
    const auto l = test::lines(out.str());
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], " T [°C]  phase  s [kJ/(kg·K)]");
    EXPECT_EQ(l[1], "     20  gas          1.68679");
    EXPECT_EQ(l[2], "-100.25");  // no trailing blanks where the row ends empty
    EXPECT_EQ(width(l[0]), width(l[1]));
}

TEST(ModesOutput, JsonHoldsUnitsNullsAndExactNumbers) {
    record_set set{"R134a", {{"T", quantity::temperature}, {"x", quantity::fraction}, {"phase", std::nullopt}}, {}};
    set.rows.resize(1, std::vector<cell>(3));
    set.rows[0][0] = 0.1 + 0.2;
    set.rows[0][2] = std::string("gas");
    std::ostringstream out;
    write_records(out, set, output_format::json, unit_system::si, true);
    const std::string expected =
        "{\n  \"fluid\": \"R134a\",\n  \"units\": {\n    \"T\": \"K\",\n    \"x\": \"-\"\n  },\n"
        "  \"T\": 0.30000000000000004,\n  \"x\": null,\n  \"phase\": \"gas\"\n}\n";
    EXPECT_EQ(out.str(), expected);
}

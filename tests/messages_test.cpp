// The message catalogue: every message's text in each language, the values
// put in its placeholders, numbers in the reader's units; and the language a
// run of the program speaks.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cli/catalogue.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace {

using vantrel::language;
using vantrel::message;
using vantrel::message_id;
using vantrel::quantity;
using vantrel::unit_system;

std::set<std::string> placeholders(std::string_view text) {
    std::set<std::string> found;
    const std::string t(text);
    static const std::regex placeholder(R"(\{[0-9]+(#|:[^}]*)?\})");
    for (auto it = std::sregex_iterator(t.begin(), t.end(), placeholder); it != std::sregex_iterator(); ++it)
        found.insert(it->str().substr(1, it->str().find_first_of("#:}") - 1));
    return found;
}

// A text with the values "‹0›", "‹1›", ... in its placeholders.
std::string sample(std::string_view text, language lang) {
    std::vector<vantrel::message_value> values;
    for (const std::string& n : placeholders(text)) values.resize(std::max(values.size(), std::stoul(n) + 1));
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = vantrel::text_value("‹" + std::to_string(i) + "›");
    return vantrel::format_message(text, values, {lang, std::nullopt});
}

// Every text: the library's messages, then the front ends' own.
struct catalogued {
    std::string key;
    std::string_view en, ru;
    std::string_view in(language lang) const { return lang == language::en ? en : ru; }
};
std::vector<catalogued> catalogue() {
    std::vector<catalogued> all;
    for (const message_id id : vantrel::message_ids())
        all.push_back({std::string(vantrel::message_key(id)), vantrel::message_template(id, language::en),
                       vantrel::message_template(id, language::ru)});
    for (const cli::text_id id : cli::text_ids())
        all.push_back({std::string(cli::text_key(id)), cli::text_template(id, language::en),
                       cli::text_template(id, language::ru)});
    return all;
}

// KEY<TAB>TEXT lines.
std::map<std::string, std::string> pinned(const std::string& file) {
    std::map<std::string, std::string> texts;
    std::istringstream in(test::read_file(test::source() / "tests" / "messages" / file));
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        texts[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return texts;
}

}  // namespace

// Each language's text of every identifier of the library's catalogue and
// the front ends', as its file pins it; both languages quote the same values,
// and no two identifiers share a key. With
// VANTREL_RECORD_MESSAGES=<dir> the test writes the files of the catalogue
// under test there instead (review the difference before committing it).
TEST(Messages, EveryIdentifierHasItsTextInEachLanguage) {
    for (const auto& [lang, file] : {std::pair{language::en, "en.txt"}, std::pair{language::ru, "ru.txt"}}) {
        SCOPED_TRACE(file);
        if (const char* dir = std::getenv("VANTREL_RECORD_MESSAGES")) {
            std::string text = std::string("# Every message's ") + (lang == language::en ? "English" : "Russian") +
                               " text, the values it quotes shown as ‹0›, ‹1›, ...\n";
            for (const catalogued& c : catalogue()) text += c.key + "\t" + sample(c.in(lang), lang) + "\n";
            test::write_file(std::filesystem::path(dir) / file, text);
            continue;
        }
        std::map<std::string, std::string> texts = pinned(file);
        std::set<std::string> keys;
        for (const catalogued& c : catalogue()) {
            EXPECT_TRUE(keys.insert(c.key).second) << c.key;
            EXPECT_EQ(placeholders(c.en), placeholders(c.ru)) << c.key;
            const auto it = texts.find(c.key);
            ASSERT_NE(it, texts.end()) << c.key << " has no pinned text: " << sample(c.in(lang), lang);
            EXPECT_EQ(sample(c.in(lang), lang), it->second) << c.key;
            texts.erase(it);
        }
        for (const auto& [key, text] : texts) ADD_FAILURE() << "no message " << key;
    }
}

// Numbers in a front end's units at ten significant digits, or in SI as the
// library writes them (the legacy form's texts); names, units of their own
// and nested messages.
TEST(Messages, ValuesAreShownInTheReadersUnits) {
    const auto T = [](double v) { return vantrel::number_value(v, quantity::temperature); };
    const auto p = [](double v) { return vantrel::number_value(v, quantity::pressure); };
    const message pair{message_id::pair_values,
                       {vantrel::named_value("p", 1e5, quantity::pressure), vantrel::named_value("x", 0.5, quantity::fraction)}};
    const message range{message_id::out_of_range,
                        {vantrel::text_value("R718"),
                         vantrel::nested_value({{message_id::range_T_from_to, {T(273.16), T(1273)}},
                                                {message_id::range_p_to, {p(1e9)}}})}};
    const struct {
        message m;
        vantrel::message_style style;
        std::string text;
    } cases[] = {
        {{message_id::temperature_not_positive, {T(-26.850000000000023), T(0)}}, {language::ru, std::nullopt},
         "Недопустимая температура T = -26.850000000000023 K: она должна быть больше 0 K."},
        {{message_id::temperature_not_positive, {T(-26.850000000000023), T(0)}}, {language::en, unit_system::eng},
         "Invalid temperature T = -300 °C: it must be above -273.15 °C."},
        {{message_id::temperature_not_positive, {T(-26.850000000000023), T(0)}}, {language::en, unit_system::si},
         "Invalid temperature T = -26.85 K: it must be above 0 K."},
        {{message_id::no_state, {vantrel::nested_value({pair})}}, {language::ru, unit_system::eng},
         "Состояния с p = 1 bar и x = 0.5 не существует."},
        {{message_id::value_not_finite, {vantrel::named_value("s", NAN, quantity::entropy)}}, {language::ru, std::nullopt},
         "Недопустимое значение s = nan J/(kg K)."},
        {{message_id::density_not_positive, {vantrel::number_value(-1, quantity::density)}}, {language::en, unit_system::si},
         "Invalid density rho = -1 kg/m³: it must be above 0."},
        {range, {language::ru, std::nullopt},
         "Состояние вне области применимости уравнения R718 (T от 273.16 до 1273 K, p до 1000 MPa)."},
        {range, {language::en, unit_system::eng},
         "The state lies outside the range of validity of the equation of R718 (T from 0.01 to 999.85 °C, p up to "
         "10000 bar)."},
        {{message_id::cycle_superheat_negative, {vantrel::number_value(-1, quantity::temperature_difference)}},
         {language::en, unit_system::eng}, "Invalid superheat -1 K: it cannot be negative."},
        {{message_id::cycle_capacity, {vantrel::number_value(-1500, quantity::power)}}, {language::en, unit_system::eng},
         "Invalid refrigerating capacity -1.5 kW: it must be above 0."},
        {{message_id::cycle_eta, {vantrel::number_value(1.0000000000000002)}}, {language::en, unit_system::eng},
         "Invalid compressor efficiency eta = 1: it must be above 0 and at most 1."},
        // A placeholder without its value stays as it is.
        {{message_id::file_missing, {}}, {language::en, std::nullopt}, "File {0} not found."},
    };
    std::feclearexcept(FE_ALL_EXCEPT);
    for (const auto& c : cases) EXPECT_EQ(c.m.text(c.style), c.text);
    EXPECT_FALSE(std::fetestexcept(FE_INVALID));  // telling a NaN leaves no flag for the caller's checks
}

// what() is English in SI units; message() gives any language; the kind
// and the identifier are fields.
TEST(Messages, ErrorsCarryKindIdentifierAndValues) {
    const vantrel::fluid f = vantrel::fluid::load(test::data(), "R134a");
    try {
        f.at(vantrel::input_pair::T_p, 263.15, -1e5);
        FAIL() << "a state at p < 0";
    } catch (const vantrel::error& e) {
        EXPECT_EQ(e.kind(), vantrel::error_kind::input);
        EXPECT_EQ(e.id(), message_id::pressure_not_positive);
        EXPECT_EQ(vantrel::message_key(e.id()), "pressure_not_positive");
        ASSERT_EQ(e.values().size(), 2u);
        EXPECT_EQ(e.values()[0].number, -1e5);
        EXPECT_STREQ(e.what(), "Invalid pressure p = -100000 Pa: it must be above 0 Pa.");
        EXPECT_EQ(e.message(language::ru), "Недопустимое давление p = -100000 Pa: оно должно быть больше 0 Pa.");
        EXPECT_EQ(e.message({language::en, unit_system::eng}), "Invalid pressure p = -1 bar: it must be above 0 bar.");
    }
}

// The modes speak English unless the locale starts with "ru" (LC_ALL, then
// LC_MESSAGES, then LANG: the first one set decides); the legacy form is
// Russian whatever the locale.
TEST(Messages, TheLocaleChoosesTheLanguageOfTheModes) {
    const std::string en = "Invalid pressure p = -1 bar: it must be above 0 bar.\n";
    const std::string ru = "Недопустимое давление p = -1 bar: оно должно быть больше 0 bar.\n";
    const struct {
        std::vector<std::string> env;
        std::string err;
    } cases[] = {
        {{"LC_ALL="}, en},
        {{"LC_ALL=C"}, en},
        {{"LC_ALL=en_US.UTF-8", "LANG=ru_RU.UTF-8"}, en},
        {{"LC_ALL=ru_RU.UTF-8"}, ru},
        {{"LC_ALL=", "LC_MESSAGES=ru_RU.UTF-8", "LANG=en_US.UTF-8"}, ru},
        {{"LC_ALL=", "LC_MESSAGES=", "LANG=ru_UA.UTF-8"}, ru},
        {{"LC_ALL=", "LC_MESSAGES=C", "LANG=ru_RU.UTF-8"}, en},
    };
    for (const auto& c : cases) {
        const auto r = test::run_process(VANTREL_CLI_PATH, test::source(), {"state", "R134a", "T=20", "p=-1"}, "", c.env);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, c.err) << c.env[0];
    }
    // The batch's error column and the usage errors speak the same language.
    const auto batch = test::run_process(VANTREL_CLI_PATH, test::source(), {"batch", "R134a", "--in", "T,p", "--props", "h"}, "20,-1\n",
                                         {"LC_ALL=C"});
    EXPECT_EQ(batch.out, "h,warning,error\n,,Invalid pressure p = -1 bar: it must be above 0 bar.\n");
    const auto usage = test::run_process(VANTREL_CLI_PATH, test::source(), {"state", "T=20", "q=5"}, "", {"LC_ALL=C"});
    EXPECT_EQ(usage.exit_code, 2);
    EXPECT_EQ(usage.err, "Unknown quantity 'q': valid are T, p, h, s, x, rho.\nMore: vantrel_cli state --help\n");
    test::temp_dir bin;
    for (const char* locale : {"LC_ALL=C", "LC_ALL=en_US.UTF-8"}) {
        const auto legacy = test::run_process(test::cli_copy(bin.path), test::source(), {"20", "5", "R999"}, "",
                                              {locale}, true);
        EXPECT_EQ(legacy.out, "Файл " + (test::source() / "data/R999/c_p.txt").string() + " не найден!\n") << locale;
    }
}

// Unit conversions, number reading and writing of the reports.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "general_func.h"

namespace {

struct t_case {
    const char* from;
    const char* to;
    double value;
    double expected;
};

TEST(Units, TemperatureConversions) {
    const t_case cases[] = {
        {"C", "K", 20, 293.15},   {"K", "C", 293.15, 20},  {"K", "K", 300, 300},
        {"C", "C", -5, -5},       {"F", "K", 0, 273.15},   {"k", "K", 0, 273.15},  // only "K" is kelvin
        {"", "K", 1, 274.15},     {"K", "", 273.15, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(change_dimension_t(c.from, c.to, c.value), c.expected, 1e-12) << c.from << "->" << c.to;
}

TEST(Units, PressureConversions) {
    const t_case cases[] = {
        {"bar", "Pa", 5, 500000},
        {"Pa", "bar", 500000, 5},
        {"atm", "at", 1, 101325 / 98066.5},
        {"MPa", "kPa", 1, 1000},
        {"at", "Pa", 2, 196133},
        {"Pa", "atm", 101325, 1},
        {"kPa", "MPa", 2500, 2.5},
        // Unknown names and other cases are Pa.
        {"mpa", "Pa", 3, 3},
        {"Bar", "Pa", 3, 3},
        {"psi", "Pa", 3, 3},
        {"Pa", "psi", 3, 3},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(change_dimension_p(c.from, c.to, c.value), c.expected, 1e-9 * std::fabs(c.expected))
            << c.from << "->" << c.to;
}

TEST(Units, ReverseDimensionsConvertsOnlyTemperaturePressureAndFugacity) {
    prop_list prop;
    prop.t = 273.15;
    prop.p = 100000;
    prop.fug = 100000;
    prop.h = 1234.5;
    prop.s = 6.5;
    prop.rho = 7;
    reverse_dimensions({"C", "bar"}, prop);
    EXPECT_NEAR(prop.t, 0, 1e-12);
    EXPECT_NEAR(prop.p, 1, 1e-15);
    EXPECT_NEAR(prop.fug, 1, 1e-15);
    EXPECT_EQ(prop.h, 1234.5);
    EXPECT_EQ(prop.s, 6.5);
    EXPECT_EQ(prop.rho, 7);
}

TEST(Numbers, CommaToPointReplacesEveryComma) {
    EXPECT_EQ(commatopoint("-1,5"), "-1.5");
    EXPECT_EQ(commatopoint("1,000,5"), "1.000.5");
    EXPECT_EQ(commatopoint("abc"), "abc");
}

// The forms of a decimal number this program accepts: an optional sign,
// digits with an optional fraction after "." (digits on at least one side),
// an optional exponent. Everything else is not a number.
TEST(Numbers, ParseNumberAcceptsExactlyTheDecimalGrammar) {
    struct {
        const char* text;
        bool ok;
        double value;
    } const cases[] = {
        {"20", true, 20},        {"-5.5", true, -5.5},      {"+7", true, 7},       {"1.5E-3", true, 1.5e-3},
        {"2e+2", true, 200},     {"5.", true, 5},           {".5", true, 0.5},     {"-0", true, 0},
        {"1e-320", true, 1e-320},  // subnormal: still a number
        {"", false, 0},          {"+", false, 0},           {"-", false, 0},       {".", false, 0},
        {"abc", false, 0},       {"nan", false, 0},         {"inf", false, 0},     {"-inf", false, 0},
        {"0x10", false, 0},      {" 1", false, 0},          {"1 ", false, 0},      {"1 2", false, 0},
        {"1,5", false, 0},       {"1.000.5", false, 0},     {"5bar", false, 0},    {"1e", false, 0},
        {"1e+", false, 0},       {"e5", false, 0},          {"1e400", false, 0},   {"-1e400", false, 0},
        {"1e-400", false, 0},    {"+-1", false, 0},         {"--1", false, 0},     {"1;", false, 0},
    };
    for (const auto& c : cases) {
        const auto v = parse_number(c.text);
        EXPECT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        if (v && c.ok) {
            EXPECT_EQ(*v, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(Numbers, ParseIntAcceptsSignedDecimalIntegersOnly) {
    struct {
        const char* text;
        bool ok;
        int value;
    } const cases[] = {
        {"0", true, 0},   {"12", true, 12},   {"-3", true, -3},     {"+4", true, 4},     {"2147483647", true, 2147483647},
        {"", false, 0},   {"1.0", false, 0},  {"1e2", false, 0},    {"+-1", false, 0},   {"2147483648", false, 0},
        {"x", false, 0},  {" 1", false, 0},   {"0x1", false, 0},
    };
    for (const auto& c : cases) {
        const auto v = parse_int(c.text);
        EXPECT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        if (v && c.ok) {
            EXPECT_EQ(*v, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(Numbers, FixedTwoDecimals) {
    struct {
        double value;
        const char* text;
    } const cases[] = {
        {0, "0.00"},          {-0.0, "0.00"},        {-0.004, "0.00"},  {0.005, "0.01"},   {1.234, "1.23"},
        {-1.235, "-1.24"},    {11.2134, "11.21"},    {-7.5, "-7.50"},   {1e6, "1000000.00"},
        {198776.125, "198776.12"},  // halfway in binary: round to even
    };
    for (const auto& c : cases) EXPECT_EQ(format_fixed2(c.value), c.text) << c.value;
}

}  // namespace

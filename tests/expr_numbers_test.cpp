// Numbers: the formatted number, the conversion and the checked arithmetic.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iomanip>
#include <random>
#include <string>
#include <vector>

#include "expr/error.h"
#include "expr/numbers.h"
#include "tests/exact_number_format.h"
#include "tests/separator_scope.h"

namespace {

using namespace rivo::expr;
using rivo::testing::SeparatorScope;

std::string ErrorOf(auto&& run) {
    try {
        run();
    } catch (const PipelineError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(FormatNumber, GeneralFormatWithFifteenDigits) {
    struct Case {
        const char* name;
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {"one decimal", 5.5L, "5.5"},
        {"a third", 1.0L / 3.0L, "0.333333333333333"},
        {"two thirds round up", 2.0L / 3.0L, "0.666666666666667"},
        {"root of two drops its trailing zero", std::sqrt(2.0L), "1.4142135623731"},
        {"e", std::exp(1.0L), "2.71828182845905"},
        {"exponent -3 is fixed", 0.0001, "0.0001"},
        {"exponent -4 is scientific", 0.00001, "1E-5"},
        {"small with digits", 1.5e-7, "1.5E-7"},
        {"negative small fixed", -0.00012345, "-0.00012345"},
        {"small whole number", 42.0L, "42"},
        {"negative whole number", -7.0L, "-7"},
        {"fifteen-digit whole number", 123456789012345.0L, "123456789012345"},
        {"negative fifteen nines", -999999999999999.0L, "-999999999999999"},
        {"negative ten to the fifteenth", -1e15L, "-1E15"},
        {"whole number padded with zeros", 100000000000000.0L, "100000000000000"},
        {"ten to the fifteenth", 1e15L, "1E15"},
        {"sixteen digits", 1234567890123456.0L, "1.23456789012346E15"},
        {"just below 1E15 rounds up to it", 999999999999999.5L, "1E15"},
        {"just below 1E15 stays", 999999999999999.375L, "999999999999999"},
        {"just below 0.0001 rounds up into fixed", 0.0001L - 1e-20L, "0.0001"},
        {"just below 0.0001 stays scientific", 0.0001L - 6e-20L, "9.99999999999999E-5"},
        {"an exact half rounds up, not to even", 123456789012344.5L, "123456789012345"},
        {"a negative half rounds away from zero", -123456789012344.5L, "-123456789012345"},
        {"negative large", -1e20L, "-1E20"},
        {"zero", 0.0L, "0"},
        {"negative zero", -0.0L, "0"},
        {"beyond the double range", std::exp(1000.0L), "1.97007111401705E434"},
        {"largest extended", LDBL_MAX, "1.18973149535723E4932"},
        {"smallest extended", LDBL_TRUE_MIN, "3.64519953188247E-4951"},
    };
    SeparatorScope dot('.');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatNumber(c.value), c.text);
    }
}

TEST(FormatNumber, AgreesWithTheWholeExactExpansion) {
    SeparatorScope dot('.');
    std::mt19937_64 rng(15);
    const auto uniform = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(rng);
    };
    std::vector<long double> values;
    // Any significand over the whole exponent range, subnormals and underflow to 0 included.
    for (int i = 0; i < 2000; ++i) {
        const auto significand = static_cast<long double>(rng() | std::uint64_t{1} << 63);
        values.push_back(std::ldexp(significand, static_cast<int>(uniform(-16508, 16320))));
    }
    // Around the fixed notation, whole numbers included.
    for (int i = 0; i < 1000; ++i) {
        const long double near =
            std::pow(10.0L, std::uniform_real_distribution<long double>(-6, 18)(rng));
        values.push_back(near);
        values.push_back(std::trunc(near));
    }
    // The extended values nearest to a rounding boundary d1...d15 5 x 10^q, and their
    // neighbours: a 16th digit of 5 followed by zeros or nines, or a 4 followed by nines.
    for (int i = 0; i < 400; ++i) {
        const std::string boundary =
            std::to_string(uniform(100'000'000'000'000, 999'999'999'999'999)) + "5e" +
            std::to_string(uniform(-4966, 4916));
        long double near = std::strtold(boundary.c_str(), nullptr);
        near = std::nextafter(std::nextafter(near, 0.0L), 0.0L);
        for (int step = 0; step < 5; ++step, near = std::nextafter(near, LDBL_MAX))
            values.push_back(near);
    }
    // Exact ties: 16-digit whole numbers ending in 5, also times 10 to 1000, and c * 2^-q,
    // which is (c * 5^q) * 10^-q with 16 digits ending in 5.
    constexpr std::int64_t kLow = 1'000'000'000'000'000;
    for (int i = 0; i < 500; ++i) {
        const auto whole = static_cast<std::uint64_t>(uniform(kLow / 10, kLow - 1) * 10 + 5);
        values.push_back(static_cast<long double>(whole));
        for (std::uint64_t scale = 10; scale <= 1000; scale *= 10)
            values.push_back(static_cast<long double>(whole * scale));
        std::int64_t power = 1;
        for (int q = 1; q <= 22; ++q) {
            power *= 5;
            const std::int64_t c = uniform((kLow + power - 1) / power, (10 * kLow - 1) / power) | 1;
            if (c * power < 10 * kLow)
                values.push_back(std::ldexp(static_cast<long double>(c), -q));
        }
    }
    // The exact expansion of an extreme value takes the reference a millisecond, so each value
    // is tried with one sign, the two signs in turn.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const long double value = i % 2 == 0 ? values[i] : -values[i];
        ASSERT_EQ(FormatNumber(value), rivo::testing::ExactFormattedNumber(value))
            << std::setprecision(21) << value;
    }
}

TEST(FormatNumber, WritesTheSeparatorInForce) {
    SeparatorScope comma(',');
    EXPECT_EQ(FormatNumber(3.5L), "3,5");
    EXPECT_EQ(FormatNumber(0.25L), "0,25");
    EXPECT_EQ(FormatNumber(1.5e-7L), "1,5E-7");
    EXPECT_EQ(FormatNumber(1234567890123456.0L), "1,23456789012346E15");
}

TEST(ParseNumber, AcceptsTheLocaleAwareSyntax) {
    struct Case {
        const char* label;
        char separator;
        long double value;
    };
    const Case cases[] = {
        {"2", '.', 2},
        {"-3", '.', -3},
        {"+3", '.', 3},
        {"  2  ", '.', 2},
        {"007", '.', 7},
        {"1.5", '.', 1.5},
        {".5", '.', 0.5},
        {"5.", '.', 5},
        {"2,5", ',', 2.5},
        {"1E-5", '.', 1e-5},
        {"2E+3", '.', 2000},
        {"1e5", '.', 1e5},
        // Rounded to double, not to extended: 0.1 here is the double 0.1.
        {"0.1", '.', 0.1},
        {"1E-320", '.', 1e-320},
        {"1E-400", '.', 0},
        {"0E99999999999999999999", '.', 0},
        {"0.000001E-99999999999999999999", '.', 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SeparatorScope scope(c.separator);
        EXPECT_EQ(ParseNumber(c.label), c.value);
    }
    EXPECT_TRUE(std::signbit(ParseNumber("-1E-400")));
}

TEST(ParseNumber, RejectsEverythingElse) {
    struct Case {
        const char* label;
        char separator;
        const char* message;
    };
    const Case cases[] = {
        {"", '.', "'' is not a valid floating point value"},
        {".", '.', "'.' is not a valid floating point value"},
        {"-", '.', "'-' is not a valid floating point value"},
        {"1.2.3", '.', "'1.2.3' is not a valid floating point value"},
        {"2,5", '.', "'2,5' is not a valid floating point value"},
        {"2.5", ',', "'2.5' is not a valid floating point value"},
        {"1E", '.', "'1E' is not a valid floating point value"},
        {"1E+", '.', "'1E+' is not a valid floating point value"},
        {"E-E+", '.', "'E-E+' is not a valid floating point value"},
        {"1 2", '.', "'1 2' is not a valid floating point value"},
        {"--1", '.', "'--1' is not a valid floating point value"},
        {"inf", '.', "'inf' is not a valid floating point value"},
        {"0x10", '.', "'0x10' is not a valid floating point value"},
        {"1E400", '.', "Floating point overflow"},
        {"-1.8E308", '.', "Floating point overflow"},
        {"1E99999999999999999999", '.', "Floating point overflow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SeparatorScope scope(c.separator);
        EXPECT_EQ(ErrorOf([&] { ParseNumber(c.label); }), c.message);
    }
}

TEST(Arithmetic, RaisesTheFaultsAsErrors) {
    EXPECT_EQ(ErrorOf([] { Quotient(1, 0); }), "Floating point division by zero");
    EXPECT_EQ(ErrorOf([] { Quotient(-1, -0.0L); }), "Floating point division by zero");
    EXPECT_EQ(ErrorOf([] { Quotient(0, 0); }), "Invalid floating point operation");
    EXPECT_EQ(ErrorOf([] { Quotient(-0.0L, 0); }), "Invalid floating point operation");
    EXPECT_EQ(ErrorOf([] { Exponential(11357); }), "Floating point overflow");
    EXPECT_EQ(ErrorOf([] { Exponential(11356); }), "(no error)");
    EXPECT_EQ(Exponential(-20000), 0);  // underflow is no error
    EXPECT_EQ(Quotient(DBL_MAX, DBL_TRUE_MIN), static_cast<long double>(DBL_MAX) / DBL_TRUE_MIN);
    EXPECT_EQ(SquareRootOfMagnitude(-4), 2);
}

TEST(Arithmetic, SineAndCosineGiveZeroFromTwoToTheSixtyThird) {
    const long double limit = 9223372036854775808.0L;
    EXPECT_EQ(Sine(limit), 0);
    EXPECT_EQ(Sine(-limit), 0);
    EXPECT_EQ(Cosine(limit), 0);
    EXPECT_EQ(Cosine(-2 * limit), 0);
    const long double below = 9223372036854774784.0L;  // the double just below 2^63
    EXPECT_EQ(Sine(below), std::sin(below));
    EXPECT_NE(Sine(below), 0);
    EXPECT_EQ(Cosine(0), 1);
}

TEST(LocaleDecimalSeparator, IsThePointInTheTestLocale) {
    // The suite runs with LC_ALL=C.UTF-8; the comma locale is checked through rivo-cli.
    EXPECT_EQ(LocaleDecimalSeparator(), '.');
}

TEST(IsNumber, FollowsTheNumberTest) {
    struct Case {
        const char* text;
        bool number;
    };
    const Case cases[] = {
        {"12", true},       {"1.5", true},     {"1,5", true},  {"1.2.3", true}, {"-3", true},
        {"1E-5", true},     {"2E+3", true},    {".", true},    {"", true},      {"E-E+", true},
        {"-5", true},       {"-.", true},      {"-", false},   {"+3", false},   {"1e-5", false},
        {"1E5", false},     {" 2", false},     {"x", false},   {"2a", false},   {"E-", true},
        {"1E-5E-5", false}, {"1E+5E-5", true}, {"--1", false}, {"1-", false},   {"-E-", false},
        {"0.25", true},     {"1E15", false},   {"2E-5", true}, {"5-", false},   {"E+-", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsNumber(c.text), c.number);
    }
}

}  // namespace

#include "expr/extended.h"

#include <cfloat>
#include <cmath>

#if LDBL_MANT_DIG == 113 && LDBL_MAX_EXP == 16384
#include <algorithm>
#include <cstdint>

#include <boost/multiprecision/cpp_bin_float.hpp>
#elif LDBL_MANT_DIG != 64 || LDBL_MAX_EXP != 16384
#error "long double is neither the 80-bit extended format nor IEEE binary128"
#endif

namespace rivo::expr::extended {

#if LDBL_MANT_DIG == 64

long double Round(long double value) {
    return value;
}

long double Add(long double a, long double b) {
    return a + b;
}

long double Subtract(long double a, long double b) {
    return a - b;
}

long double Multiply(long double a, long double b) {
    return a * b;
}

long double Divide(long double dividend, long double divisor) {
    return dividend / divisor;
}

long double SquareRoot(long double a) {
    return std::sqrt(a);
}

long double Sine(long double radians) {
    return std::sin(radians);
}

long double Cosine(long double radians) {
    return std::cos(radians);
}

long double Exponential(long double a) {
    return std::exp(a);
}

#else

namespace {

// The extended format: 64 significant bits, the smallest denormal 2^-16445.
constexpr int kSignificandBits = 64;
constexpr int kLowestExponent = -16445;

int Sign(long double value) {
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

// value * 2^scale rounded to the extended format, where value is the wide result of an
// operation, rounded towards the exact one at least faithfully, and `rest` is the sign of
// exact - value. Every rounding boundary of the extended format (a value halfway between two of
// its neighbours) is a value of the wide format, so only a wide result lying on one needs `rest`
// to tell the side the exact result is on. The scale keeps the wide result away from the wide
// format's own limits while the exact one may lie in the extended format's denormals.
long double RoundScaled(long double value, int rest, int scale) {
    if (value == 0 || !std::isfinite(value)) return std::ldexp(value, scale);
    const bool negative = std::signbit(value);
    int exponent = 0;
    const long double fraction = std::frexp(std::fabs(value), &exponent);
    // The magnitude lies in [2^(top - 1), 2^top); the last bit kept is worth 2^unit.
    const int top = exponent + scale;
    const int unit = std::max(top - kSignificandBits, kLowestExponent);
    // magnitude / 2^unit, below 2^64: its whole part and what is left are exact.
    const long double units = std::ldexp(fraction, top - unit);
    const long double whole = std::trunc(units);
    const long double left = units - whole;
    const int restAway = negative ? -rest : rest;
    const bool odd = (static_cast<std::uint64_t>(whole) & 1) != 0;
    const bool up = left > 0.5L || (left == 0.5L && (restAway > 0 || (restAway == 0 && odd)));
    const long double magnitude = std::ldexp(up ? whole + 1 : whole, unit);
    return negative ? -magnitude : magnitude;
}

bool IsOrdinary(long double value) {
    return value != 0 && std::isfinite(value);
}

}  // namespace

long double Round(long double value) {
    return RoundScaled(value, 0, 0);
}

long double Add(long double a, long double b) {
    const long double sum = a + b;
    if (!std::isfinite(sum)) return sum;
    // Two-sum: the part of the exact sum that `sum` left out, exactly (Knuth).
    const long double bPart = sum - a;
    const long double aPart = sum - bPart;
    const long double rest = (a - aPart) + (b - bPart);
    return RoundScaled(sum, Sign(rest), 0);
}

long double Subtract(long double a, long double b) {
    return Add(a, -b);
}

long double Multiply(long double a, long double b) {
    if (!IsOrdinary(a) || !IsOrdinary(b)) return a * b;
    int aExponent = 0;
    int bExponent = 0;
    const long double aFraction = std::frexp(a, &aExponent);
    const long double bFraction = std::frexp(b, &bExponent);
    const long double product = aFraction * bFraction;
    // The rounding error of a product is a value of the format, and fma yields it exactly.
    const long double rest = std::fma(aFraction, bFraction, -product);
    return RoundScaled(product, Sign(rest), aExponent + bExponent);
}

long double Divide(long double dividend, long double divisor) {
    if (!IsOrdinary(dividend) || !IsOrdinary(divisor)) return dividend / divisor;
    int dividendExponent = 0;
    int divisorExponent = 0;
    const long double dividendFraction = std::frexp(dividend, &dividendExponent);
    const long double divisorFraction = std::frexp(divisor, &divisorExponent);
    const long double quotient = dividendFraction / divisorFraction;
    // The remainder of a correctly rounded quotient is a value of the format: exact by fma. The
    // exact quotient lies beyond `quotient` on the side of remainder / divisor.
    const long double remainder = std::fma(-quotient, divisorFraction, dividendFraction);
    return RoundScaled(quotient, Sign(remainder) * Sign(divisorFraction),
                       dividendExponent - divisorExponent);
}

long double SquareRoot(long double a) {
    if (!IsOrdinary(a) || a < 0) return std::sqrt(a);
    int exponent = 0;
    long double fraction = std::frexp(a, &exponent);
    if (exponent % 2 != 0) {
        fraction *= 2;
        --exponent;
    }
    const long double root = std::sqrt(fraction);
    // Likewise the remainder of a correctly rounded square root.
    const long double remainder = std::fma(-root, root, fraction);
    return RoundScaled(root, Sign(remainder), exponent / 2);
}

long double Sine(long double radians) {
    return Round(std::sin(radians));
}

long double Cosine(long double radians) {
    return Round(std::cos(radians));
}

long double Exponential(long double a) {
    if (std::isnan(a)) return a;
    // 128 bits carry the result well past the 64 kept; the rest of the exact value then decides
    // the rounding as for the operations above.
    using Exact = boost::multiprecision::number<
        boost::multiprecision::cpp_bin_float<128, boost::multiprecision::digit_base_2>,
        boost::multiprecision::et_off>;
    // Beyond these the extended result is an infinity or zero, and the wide format's own
    // exponential (accurate or not) gives exactly that.
    if (a > 11357 || a < -11400) return std::exp(a);
    const Exact exact = boost::multiprecision::exp(Exact(a));
    int exponent = 0;
    const Exact fraction = boost::multiprecision::frexp(exact, &exponent);
    const auto wide = fraction.convert_to<long double>();
    const Exact rest = fraction - Exact(wide);
    return RoundScaled(wide, rest.sign(), exponent);
}

#endif

}  // namespace rivo::expr::extended

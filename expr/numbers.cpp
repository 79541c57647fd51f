#include "expr/numbers.h"

#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <vector>

#include "expr/big_integer.h"
#include "expr/error.h"
#include "expr/extended.h"

namespace rivo::expr {

namespace {

char gDecimalSeparator = '.';

constexpr const char* kOverflowMessage = "Floating point overflow";
constexpr const char* kInvalidMessage = "Invalid floating point operation";
constexpr const char* kDivisionByZeroMessage = "Floating point division by zero";

// 15 significant digits, and fixed notation for decimal exponents up to 15.
constexpr int kDigits = 15;
constexpr int kLowestFixedExponent = -3;

[[noreturn]] void ThrowNotANumber(std::string_view label) {
    throw PipelineError("'" + std::string(label) + "' is not a valid floating point value");
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// from_chars for a double, rounded to nearest: "result_out_of_range" for a value beyond the
// double range or one that rounds to zero (a denormal is in range). The WebAssembly build's C++
// library has no from_chars for floating point; there the C library's strtod reads the same
// text, which holds only a sign, digits, '.' and an exponent, so no locale can read it
// otherwise: the program never changes the C library's locale from "C".
std::from_chars_result ReadDouble(const std::string& text, double& value) {
    const char* const first = text.data();
#if defined(__cpp_lib_to_chars)
    return std::from_chars(first, first + text.size(), value);
#else
    errno = 0;
    char* end = nullptr;
    const double read = std::strtod(first, &end);
    if (end == first) return {first, std::errc::invalid_argument};
    if (errno == ERANGE && (read == 0 || std::isinf(read))) {
        return {end, std::errc::result_out_of_range};
    }
    value = read;
    return {end, std::errc{}};
#endif
}

// The faults an x87 would trap on, raised from the result instead.
long double Checked(long double result) {
    if (std::isnan(result)) throw PipelineError(kInvalidMessage);
    if (std::isinf(result)) throw PipelineError(kOverflowMessage);
    return result;
}

// target = 5^exponent. The powers 5^(27j) are kept once made (all of them, up to the 5^4967
// that the smallest extended value needs, take some 130 KiB), so a power costs one
// multiplication by 5^(exponent mod 27), which fits a machine word.
void SetPowerOfFive(BigInteger& target, std::uint64_t exponent) {
    constexpr std::uint64_t kStep = 27;
    thread_local std::vector<std::unique_ptr<BigInteger>> kept;
    const auto index = static_cast<std::size_t>(exponent / kStep);
    if (index >= kept.size()) kept.resize(index + 1);
    if (!kept[index]) {
        kept[index] = std::make_unique<BigInteger>();
        kept[index]->SetPower(5, std::uint64_t{index} * kStep);
    }
    std::uint64_t rest = 1;
    for (std::uint64_t i = std::uint64_t{index} * kStep; i < exponent; ++i)
        rest *= 5;
    target.SetProduct(*kept[index], rest);
}

// The first 16 significant digits of a positive finite magnitude, cut off (not rounded), as
// the integer `leading` with 10^15 <= leading < 10^16, and the decimal exponent E with
// magnitude = 0.d1d2... * 10^E. Cutting off keeps the 16th digit exact, and a 16th digit of 5
// or more is exactly a rest of half a unit of the 15th digit or more: the half-up decision
// needs no further digit, however many the exact expansion has.
struct LeadingDigits {
    std::uint64_t leading;
    std::int64_t exponent;
};

LeadingDigits CutDigits(long double magnitude) {
    // magnitude = m * 2^k with 2^63 <= m < 2^64, so 2^(k+63) <= magnitude < 2^(k+64).
    int binaryExponent = 0;
    const long double fraction = std::frexp(magnitude, &binaryExponent);
    const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    const std::int64_t k = std::int64_t{binaryExponent} - 64;
    // E from the lower bound: the true E is this or one more. The loops below put right an
    // estimate that rounding moved across a whole number.
    auto exponent =
        static_cast<std::int64_t>(std::floor(static_cast<double>(k + 63) * 0.30102999566398120)) +
        1;
    constexpr std::uint64_t kLow = 1'000'000'000'000'000;  // 10^15
    BigInteger number;
    BigInteger divisor;
    for (;;) {
        // floor(m * 2^k * 10^s) = floor(m * 5^s * 2^(k+s)) with s = 16 - E: 16 or 17 digits.
        const std::int64_t s = 16 - exponent;
        const std::int64_t shift = k + s;
        if (s >= 0) {
            SetPowerOfFive(number, static_cast<std::uint64_t>(s));
            number.Multiply(m);
        } else {
            number.Set(m);
        }
        if (shift >= 0) number.ShiftLeft(static_cast<std::uint64_t>(shift));
        if (s < 0) {
            SetPowerOfFive(divisor, static_cast<std::uint64_t>(-s));
            if (shift < 0) divisor.ShiftLeft(static_cast<std::uint64_t>(-shift));
            number.Divide(divisor);
        } else if (shift < 0) {
            number.ShiftRight(static_cast<std::uint64_t>(-shift));
        }
        // Below 10^15 only if the estimate of E was one too high; then again with one less.
        if (!number.IsBelow(kLow)) break;
        --exponent;
    }
    while (!number.IsBelow(10 * kLow)) {
        // floor(floor(v) / 10) = floor(v / 10): dropping the 17th digit is still a cut.
        number.Divide(10);
        ++exponent;
    }
    return {number.Word(), exponent};
}

// The significant digits of a positive finite magnitude, rounded half up to 15 and without
// trailing zeros, and the decimal exponent E with magnitude = 0.d1d2... * 10^E.
struct Digits {
    std::string digits;
    std::int64_t exponent;
};

Digits RoundedDigits(long double magnitude) {
    auto [leading, exponent] = CutDigits(magnitude);
    std::uint64_t rounded = leading / 10 + (leading % 10 >= 5 ? 1 : 0);
    if (rounded == 1'000'000'000'000'000) {  // 999999999999999.5 and up: 10^15
        rounded /= 10;
        ++exponent;
    }
    std::string digits = std::to_string(rounded);
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, exponent};
}

}  // namespace

char DecimalSeparator() {
    return gDecimalSeparator;
}

void SetDecimalSeparator(char separator) {
    gDecimalSeparator = separator;
}

char LocaleDecimalSeparator() {
    const locale_t locale = newlocale(LC_NUMERIC_MASK, "", nullptr);
    if (locale == nullptr) return '.';
    const char* point = nl_langinfo_l(RADIXCHAR, locale);
    char separator = '.';
    if (point != nullptr && point[0] != '\0' && point[1] == '\0') separator = point[0];
    freelocale(locale);
    return separator;
}

long double ParseNumber(std::string_view label) {
    const char separator = DecimalSeparator();
    std::size_t i = 0;
    const auto skip = [&](auto accept) {
        const std::size_t start = i;
        while (i < label.size() && accept(label[i]))
            ++i;
        return label.substr(start, i - start);
    };
    const auto take = [&](char c) {
        if (i < label.size() && label[i] == c) {
            ++i;
            return true;
        }
        return false;
    };
    const auto isSpace = [](char c) { return c == ' '; };

    skip(isSpace);
    const bool negative = take('-');
    if (!negative) take('+');
    const std::string_view whole = skip(IsDigit);
    std::string_view fraction;
    if (take(separator)) fraction = skip(IsDigit);
    if (whole.empty() && fraction.empty()) ThrowNotANumber(label);
    bool exponentNegative = false;
    std::string_view exponent;
    if (take('E') || take('e')) {
        exponentNegative = take('-');
        if (!exponentNegative) take('+');
        exponent = skip(IsDigit);
        if (exponent.empty()) ThrowNotANumber(label);
    }
    skip(isSpace);
    if (i != label.size()) ThrowNotANumber(label);

    std::string normal = negative ? "-" : "";
    normal += whole.empty() ? std::string_view("0") : whole;
    if (!fraction.empty()) (normal += '.') += fraction;
    if (!exponent.empty()) ((normal += 'e') += exponentNegative ? '-' : '+') += exponent;
    double value = 0;
    const auto result = ReadDouble(normal, value);
    if (result.ec == std::errc{} && result.ptr == normal.data() + normal.size()) return value;
    if (result.ec != std::errc::result_out_of_range) ThrowNotANumber(label);

    // Out of range: overflow when the leading digit stands at 10^0 or above, else underflow,
    // which rounds to zero. The exponent is saturated; no double has 10^9 decimal places.
    const std::string mantissa = std::string(whole) + std::string(fraction);
    const std::size_t lead = mantissa.find_first_not_of('0');
    if (lead == std::string::npos) return negative ? -0.0L : 0.0L;
    std::int64_t scale = 0;
    for (const char c : exponent) {
        scale = scale * 10 + (c - '0');
        if (scale > 1'000'000'000) break;
    }
    if (exponentNegative) scale = -scale;
    const auto leadPosition =
        static_cast<std::int64_t>(whole.size()) - static_cast<std::int64_t>(lead);
    if (leadPosition + scale > 0) throw PipelineError(kOverflowMessage);
    return negative ? -0.0L : 0.0L;
}

std::string FormatNumber(long double value) {
    // A no-op where long double is the extended format; elsewhere a wider value is first
    // rounded to what the extended format would hold.
    value = extended::Round(value);
    if (value == 0) return "0";
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    // An integer of at most 15 digits needs no rounding and is written in fixed notation: its
    // digits are the whole answer. Folding counts and sums mostly meets these, and the exact
    // expansion below would cost a microsecond each.
    if (std::fabs(value) < 1e15L && value == std::trunc(value)) {
        return std::to_string(static_cast<long long>(value));
    }

    const auto [digits, exponent] = RoundedDigits(std::fabs(value));
    const auto count = static_cast<std::int64_t>(digits.size());
    std::string out = value < 0 ? "-" : "";
    if (exponent >= kLowestFixedExponent && exponent <= kDigits) {
        if (exponent <= 0) {
            out += '0';
            out += gDecimalSeparator;
            out.append(static_cast<std::size_t>(-exponent), '0');
            out += digits;
        } else if (count <= exponent) {
            out += digits;
            out.append(static_cast<std::size_t>(exponent - count), '0');
        } else {
            out.append(digits, 0, static_cast<std::size_t>(exponent));
            out += gDecimalSeparator;
            out.append(digits, static_cast<std::size_t>(exponent));
        }
        return out;
    }
    out += digits[0];
    if (count > 1) {
        out += gDecimalSeparator;
        out.append(digits, 1);
    }
    out += 'E';
    out += std::to_string(exponent - 1);
    return out;
}

std::size_t FormatWork(long double value) {
    if (value == 0 || !std::isfinite(value)) return 1;
    int binaryExponent = 0;
    std::frexp(value, &binaryExponent);
    // Measured: about 0.12 us near 1, rising with the size of the integers to some 0.6 us at
    // either end of the range (2^-16445 and 2^16384).
    return 1 + static_cast<std::size_t>(std::abs(binaryExponent)) / 512;
}

long double Sum(long double a, long double b) {
    return Checked(extended::Add(a, b));
}

long double Difference(long double a, long double b) {
    return Checked(extended::Subtract(a, b));
}

long double Product(long double a, long double b) {
    return Checked(extended::Multiply(a, b));
}

long double Quotient(long double dividend, long double divisor) {
    if (divisor == 0) {
        throw PipelineError(dividend == 0 ? kInvalidMessage : kDivisionByZeroMessage);
    }
    return Checked(extended::Divide(dividend, divisor));
}

long double SquareRootOfMagnitude(long double a) {
    return Checked(extended::SquareRoot(std::fabs(a)));
}

// The hardware sine and cosine take no argument of 2^63 or more; such an argument gives 0.
constexpr long double kTrigonometricLimit = 9223372036854775808.0L;  // 2^63

long double Sine(long double radians) {
    if (std::fabs(radians) >= kTrigonometricLimit) return 0;
    return Checked(extended::Sine(radians));
}

long double Cosine(long double radians) {
    if (std::fabs(radians) >= kTrigonometricLimit) return 0;
    return Checked(extended::Cosine(radians));
}

long double Exponential(long double a) {
    return Checked(extended::Exponential(a));
}

bool IsNumber(std::string_view input) {
    // The deletions below can only remove a leading "E": any other first byte stays first, so
    // names and operators are turned away at once.
    if (!input.empty()) {
        const char first = input[0];
        if ((first < '0' || first > '9') && first != '.' && first != ',' && first != '-' &&
            first != 'E') {
            return false;
        }
    }
    // Only a text with an "E" needs the deletions; the rest is checked in place, unallocated.
    std::string edited;
    std::string_view text = input;
    if (input.find('E') != std::string_view::npos) {
        edited = input;
        if (const auto p = edited.find("E-"); p != std::string::npos) edited.erase(p, 2);
        if (const auto p = edited.find("E+"); p != std::string::npos) edited.erase(p, 2);
        text = edited;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        const bool leadingMinus = c == '-' && i == 0 && text.size() > 1;
        if (!digit && c != '.' && c != ',' && !leadingMinus) return false;
    }
    return true;
}

}  // namespace rivo::expr

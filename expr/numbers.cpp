#include "expr/numbers.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "expr/error.h"

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

// The faults an x87 would trap on, raised from the result instead.
long double Checked(long double result) {
    if (std::isnan(result)) throw PipelineError(kInvalidMessage);
    if (std::isinf(result)) throw PipelineError(kOverflowMessage);
    return result;
}

// The significant digits of a positive finite magnitude, rounded half up to 15 and without
// trailing zeros, and the decimal exponent E with magnitude = 0.d1d2... * 10^E.
struct Digits {
    std::string digits;
    std::int64_t exponent;
};

Digits RoundedDigits(long double magnitude) {
    // magnitude = M * 2^k with an integer M < 2^64, whose exact decimal expansion has at most
    // log10(M) + 1 digits for k >= 0 and log10(M) + |k| * log10(5) + 1 digits for k < 0.
    // Asking for that many makes to_chars exact, so the half-up decision below sees the true
    // 16th digit and never a digit already rounded.
    int binaryExponent = 0;
    std::frexp(magnitude, &binaryExponent);
    const std::int64_t k = std::int64_t{binaryExponent} - 64;
    const std::int64_t precision =
        k >= 0 ? (64 + k) * 30103 / 100000 + 2 : 21 + (-k) * 69897 / 100000 + 2;
    std::string text(static_cast<std::size_t>(precision) + 32, '\0');
    const auto written = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                       std::chars_format::scientific, static_cast<int>(precision));
    text.resize(static_cast<std::size_t>(written.ptr - text.data()));

    // text is "d.ddd...e+XX"
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, kDigits - 1);
    const char next = text[static_cast<std::size_t>(kDigits) + 1];
    std::int64_t scientificExponent = 0;
    {
        const char* first = text.data() + e + 1;
        if (*first == '+') ++first;
        std::from_chars(first, text.data() + text.size(), scientificExponent);
    }
    if (next >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++scientificExponent;
        } else {
            ++digits[i - 1];
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, scientificExponent + 1};
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
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
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

long double Sum(long double a, long double b) {
    return Checked(a + b);
}

long double Difference(long double a, long double b) {
    return Checked(a - b);
}

long double Product(long double a, long double b) {
    return Checked(a * b);
}

long double Quotient(long double dividend, long double divisor) {
    if (divisor == 0) {
        throw PipelineError(dividend == 0 ? kInvalidMessage : kDivisionByZeroMessage);
    }
    return Checked(dividend / divisor);
}

long double SquareRootOfMagnitude(long double a) {
    return Checked(std::sqrt(std::fabs(a)));
}

// The hardware sine and cosine take no argument of 2^63 or more; such an argument gives 0.
constexpr long double kTrigonometricLimit = 9223372036854775808.0L;  // 2^63

long double Sine(long double radians) {
    if (std::fabs(radians) >= kTrigonometricLimit) return 0;
    return Checked(std::sin(radians));
}

long double Cosine(long double radians) {
    if (std::fabs(radians) >= kTrigonometricLimit) return 0;
    return Checked(std::cos(radians));
}

long double Exponential(long double a) {
    return Checked(std::exp(a));
}

}  // namespace rivo::expr

#include "tests/exact_number_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "expr/numbers.h"

namespace rivo::testing {

namespace {

constexpr int kDigits = 15;

struct Digits {
    std::string digits;
    std::int64_t exponent;  // magnitude = 0.d1d2... * 10^exponent
};

Digits RoundedDigits(long double magnitude) {
    // magnitude = M * 2^k with an integer M < 2^64, whose exact decimal expansion has at most
    // log10(M) + 1 digits for k >= 0 and log10(M) + |k| * log10(5) + 1 digits for k < 0.
    // Asking for that many makes to_chars exact, so the 16th digit is the true one.
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
    const char* first = text.data() + e + 1;
    if (*first == '+') ++first;
    std::from_chars(first, text.data() + text.size(), scientificExponent);
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

std::string ExactFormattedNumber(long double value) {
    if (value == 0) return "0";
    const std::string separator(1, expr::DecimalSeparator());
    const std::string sign = value < 0 ? "-" : "";
    const auto [digits, exponent] = RoundedDigits(std::fabs(value));
    if (exponent >= -3 && exponent <= kDigits) {
        // The digits set against the decimal point, with zeros where they fall short.
        std::string whole = "0";
        std::string fraction = digits;
        if (exponent <= 0) {
            fraction.insert(0, static_cast<std::size_t>(-exponent), '0');
        } else {
            const auto point = static_cast<std::size_t>(exponent);
            if (fraction.size() < point) fraction.resize(point, '0');
            whole = fraction.substr(0, point);
            fraction.erase(0, point);
        }
        return sign + whole + (fraction.empty() ? "" : separator + fraction);
    }
    const std::string mantissa =
        digits.size() == 1 ? digits : digits.substr(0, 1) + separator + digits.substr(1);
    return sign + mantissa + "E" + std::to_string(exponent - 1);
}

}  // namespace rivo::testing

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
    const char separator = expr::DecimalSeparator();
    const auto [digits, exponent] = RoundedDigits(std::fabs(value));
    const auto count = static_cast<std::int64_t>(digits.size());
    std::string out = value < 0 ? "-" : "";
    if (exponent >= -3 && exponent <= kDigits) {
        if (exponent <= 0) {
            out += '0';
            out += separator;
            out.append(static_cast<std::size_t>(-exponent), '0');
            out += digits;
        } else if (count <= exponent) {
            out += digits;
            out.append(static_cast<std::size_t>(exponent - count), '0');
        } else {
            out.append(digits, 0, static_cast<std::size_t>(exponent));
            out += separator;
            out.append(digits, static_cast<std::size_t>(exponent));
        }
        return out;
    }
    out += digits[0];
    if (count > 1) {
        out += separator;
        out.append(digits, 1);
    }
    out += 'E';
    out += std::to_string(exponent - 1);
    return out;
}

}  // namespace rivo::testing

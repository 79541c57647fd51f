#include "web/number_check.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/numbers.h"
#include "expr/tree.h"

namespace rivo::web {

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

// "#<hex m>p<e>" with an optional "-" after the "#": m * 2^e, exact in the extended format for
// m below 2^64. A bad field is a PipelineError like a bad label.
long double RawValue(std::string_view field) {
    const auto bad = [&] { throw expr::PipelineError("bad raw value " + std::string(field)); };
    field.remove_prefix(1);
    const bool negative = !field.empty() && field.front() == '-';
    if (negative) field.remove_prefix(1);
    const auto p = field.find('p');
    if (p == std::string_view::npos) bad();
    std::uint64_t significand = 0;
    int exponent = 0;
    const auto mantissa = std::from_chars(field.data(), field.data() + p, significand, 16);
    const auto power = std::from_chars(field.data() + p + 1, field.data() + field.size(), exponent);
    if (mantissa.ec != std::errc{} || mantissa.ptr != field.data() + p || power.ec != std::errc{} ||
        power.ptr != field.data() + field.size()) {
        bad();
    }
    // Two steps, each exact: the significand as a long double, then the power of two.
    const long double value = std::ldexp(static_cast<long double>(significand), exponent);
    return negative ? -value : value;
}

long double Operand(std::string_view field) {
    if (!field.empty() && field.front() == '#') return RawValue(field);
    return expr::ParseNumber(field);
}

std::string Hex(std::uint64_t word) {
    char text[17] = {};
    const auto end = std::to_chars(text, text + 16, word, 16).ptr;
    return std::string(text, end);
}

// The value as m * 2^e with 2^63 <= m < 2^64 where it fits 64 bits.
std::string Bits(long double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    const std::string sign = std::signbit(value) ? "-" : "";
    if (value == 0) return sign + "0";
    int exponent = 0;
    const long double top = std::ldexp(std::frexp(std::fabs(value), &exponent), 64);
    const long double whole = std::trunc(top);
    std::string bits =
        sign + Hex(static_cast<std::uint64_t>(whole)) + "p" + std::to_string(exponent - 64);
    if (top != whole) bits += "+rest";
    return bits;
}

std::string Answer(const std::vector<std::string_view>& fields) {
    const std::string_view op = fields[0];
    if (op == "sep") {
        if (fields.size() != 2 || fields[1].size() != 1) throw expr::PipelineError("bad sep");
        expr::SetDecimalSeparator(fields[1][0]);
        return "sep\t" + std::string(fields[1]);
    }
    if (op == "tree") {
        if (fields.size() != 2) throw expr::PipelineError("bad tree");
        expr::RunBudget budget;
        expr::TreeContainer tree(budget);
        expr::BuildTree(fields[1], tree);
        return "tree\t" + expr::FormatSubtree(tree, tree.FirstTopLevel(), &budget);
    }
    const bool unary = op == "sqrt" || op == "sin" || op == "cos" || op == "exp" || op == "fmt";
    if (fields.size() != (unary ? 2u : 3u)) throw expr::PipelineError("bad request");
    const long double a = Operand(fields[1]);
    long double result = 0;
    if (unary) {
        if (op == "sqrt") result = expr::SquareRootOfMagnitude(a);
        if (op == "sin") result = expr::Sine(a);
        if (op == "cos") result = expr::Cosine(a);
        if (op == "exp") result = expr::Exponential(a);
        if (op == "fmt") result = a;
    } else {
        const long double b = Operand(fields[2]);
        if (op == "+") {
            result = expr::Sum(a, b);
        } else if (op == "-") {
            result = expr::Difference(a, b);
        } else if (op == "*") {
            result = expr::Product(a, b);
        } else if (op == "/") {
            result = expr::Quotient(a, b);
        } else {
            throw expr::PipelineError("bad operation " + std::string(op));
        }
    }
    return expr::FormatNumber(result) + "\t" + Bits(result);
}

}  // namespace

std::string CheckNumber(std::string_view request) {
    try {
        return Answer(Fields(request));
    } catch (const std::exception& e) {
        return std::string("error\t") + e.what();
    }
}

std::string CheckNumbers(std::string_view requests) {
    std::string answers;
    while (!requests.empty()) {
        const auto end = requests.find('\n');
        answers += CheckNumber(requests.substr(0, end));
        answers += '\n';
        if (end == std::string_view::npos) break;
        requests.remove_prefix(end + 1);
    }
    return answers;
}

}  // namespace rivo::web

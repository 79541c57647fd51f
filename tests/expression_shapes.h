// Long expression texts of chosen shapes and exact sizes, for the limit tests and the
// benchmarks: each shape stresses a different part of the road from the text to the picture.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace rivo::testing {

enum class TextShape {
    kLeftChain,            // a+b+c+d+e+a+...: a left-deep tree
    kRightChain,           // a+(b+(c+(...))): a right-deep tree
    kNestedParentheses,    // ((((a+b)+c)+d)...): parentheses stripped at every level
    kNestedCalls,          // f(f(f(...(a)...))): a call inside a call
    kLongName,             // aaaa...: one leaf, cut to 23 bytes
    kLongNumber,           // 1111...: one number leaf
    kList,                 // a;b;c;...: top-level list elements
    kUnaryMinus,           // ----...-a: a minus before every operand
    kTrailingMinus,        // a----...-: the most nodes a byte can make, all listed
    kNestedNegation,       // -(-(-(...a...))): negations the simplifier folds away
    kBrackets,             // m[m[m[...i...]]]: index inside index
    kProducts,             // 2*a*3*a*...: numbers gathered through a product chain
    kSums,                 // 1+1+1+...: numbers folded at every level
    kDiffsAroundWideCall,  // diff(diff(...f(a;a;...;a)...;x);x): a wide derivative, nested
    kNestedDiffs,          // diff(neg(diff(neg(...x...);x));x): every level reworks the rest
    kExpSums,              // exp(-11390)+exp(-11390)+...: a fold of the smallest magnitudes
    // Eight nested derivatives of a product with exp(-11390), each a fixed text of its own
    // length (81 and 91 bytes): the copies multiply, and every one is folded and formatted.
    kDiffsOfCubeTimesExp,
    kDiffsOfSquareTimesExps,
};

inline constexpr TextShape kRoadShapes[] = {
    TextShape::kLeftChain,
    TextShape::kRightChain,
    TextShape::kNestedParentheses,
    TextShape::kNestedCalls,
    TextShape::kLongName,
    TextShape::kLongNumber,
    TextShape::kList,
    TextShape::kUnaryMinus,
    TextShape::kTrailingMinus,
    TextShape::kNestedNegation,
    TextShape::kBrackets,
    TextShape::kProducts,
    TextShape::kSums,
    TextShape::kDiffsAroundWideCall,
    TextShape::kNestedDiffs,
    TextShape::kExpSums,
    TextShape::kDiffsOfCubeTimesExp,
    TextShape::kDiffsOfSquareTimesExps,
};

inline std::string_view ShapeName(TextShape shape) {
    switch (shape) {
        case TextShape::kLeftChain:
            return "left_chain";
        case TextShape::kRightChain:
            return "right_chain";
        case TextShape::kNestedParentheses:
            return "nested_parentheses";
        case TextShape::kNestedCalls:
            return "nested_calls";
        case TextShape::kLongName:
            return "long_name";
        case TextShape::kLongNumber:
            return "long_number";
        case TextShape::kList:
            return "list";
        case TextShape::kUnaryMinus:
            return "unary_minus";
        case TextShape::kTrailingMinus:
            return "trailing_minus";
        case TextShape::kNestedNegation:
            return "nested_negation";
        case TextShape::kBrackets:
            return "brackets";
        case TextShape::kProducts:
            return "products";
        case TextShape::kSums:
            return "sums";
        case TextShape::kDiffsAroundWideCall:
            return "diffs_around_wide_call";
        case TextShape::kNestedDiffs:
            return "nested_diffs";
        case TextShape::kExpSums:
            return "exp_sums";
        case TextShape::kDiffsOfCubeTimesExp:
            return "diffs_of_cube_times_exp";
        case TextShape::kDiffsOfSquareTimesExps:
            return "diffs_of_square_times_exps";
    }
    return "?";
}

namespace detail {

// `head` repeated, then `middle`, then `tail` as often as `head`, filled up to exactly `bytes`
// by lengthening `middle` with copies of its last byte.
inline std::string Nest(std::string_view head, std::string middle, std::string_view tail,
                        std::size_t bytes) {
    const std::size_t levels = (bytes - middle.size()) / (head.size() + tail.size());
    middle.append(bytes - middle.size() - levels * (head.size() + tail.size()), middle.back());
    std::string text;
    text.reserve(bytes);
    for (std::size_t i = 0; i < levels; ++i)
        text += head;
    text += middle;
    for (std::size_t i = 0; i < levels; ++i)
        text += tail;
    return text;
}

// `first`, then `piece` (with its letter cycling through a to e where it has a '?') as often
// as fits, then `first`'s last byte repeated up to exactly `bytes`.
inline std::string Chain(std::string first, std::string_view piece, std::size_t bytes) {
    std::string text = std::move(first);
    text.reserve(bytes);
    for (std::size_t i = 0; text.size() + piece.size() <= bytes; ++i) {
        for (const char c : piece)
            text += c == '?' ? static_cast<char>('a' + i % 5) : c;
    }
    text.append(bytes - text.size(), text.back());
    return text;
}

// Eight diff( around `expression`, each closed by ";x)".
inline std::string EightDiffs(std::string_view expression) {
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += "diff(";
    text += expression;
    for (int i = 0; i < 8; ++i)
        text += ";x)";
    return text;
}

}  // namespace detail

// A text of the shape, exactly `bytes` long (at least 16); the shapes of a fixed text have
// their own length whatever `bytes` asks.
inline std::string ShapedText(TextShape shape, std::size_t bytes) {
    switch (shape) {
        case TextShape::kLeftChain:
            return detail::Chain("a", "+?", bytes);
        case TextShape::kRightChain:
            return detail::Nest("a+(", "b", ")", bytes);
        case TextShape::kNestedParentheses:
            return detail::Nest("(", "a", "+b)", bytes);
        case TextShape::kNestedCalls:
            return detail::Nest("f(", "a", ")", bytes);
        case TextShape::kLongName:
            return std::string(bytes, 'a');
        case TextShape::kLongNumber:
            return std::string(bytes, '1');
        case TextShape::kList:
            return detail::Chain("a", ";?", bytes);
        case TextShape::kUnaryMinus:
            return std::string(bytes - 1, '-') + "a";
        case TextShape::kTrailingMinus:
            return "a" + std::string(bytes - 1, '-');
        case TextShape::kNestedNegation:
            return detail::Nest("-(", "a", ")", bytes);
        case TextShape::kBrackets:
            return detail::Nest("m[", "i", "]", bytes);
        case TextShape::kProducts:
            return detail::Chain("2", "*?*3", bytes);
        case TextShape::kSums:
            return detail::Chain("1", "+1", bytes);
        case TextShape::kDiffsAroundWideCall: {
            // Up to a thousand levels around a call that takes the rest, d/dx of f(a; a; ...).
            const std::size_t levels = std::min<std::size_t>(1000, bytes / 16);
            std::string text;
            for (std::size_t i = 0; i < levels; ++i)
                text += "diff(";
            const std::size_t tail = 2 + 3 * levels;  // "a)" and the ";x)" of every level
            std::string call = detail::Chain("f(a", ";a", bytes - text.size() - tail);
            return text + call + "a)" + [&] {
                std::string close;
                for (std::size_t i = 0; i < levels; ++i)
                    close += ";x)";
                return close;
            }();
        }
        case TextShape::kNestedDiffs:
            return detail::Nest("diff(neg(", "x", ");x)", bytes);
        case TextShape::kExpSums: {
            // The last term's number takes the bytes left over as leading zeros.
            constexpr std::string_view kTerm = "exp(-11390)";
            std::string text(kTerm);
            text.reserve(bytes);
            while (text.size() + 1 + kTerm.size() <= bytes)
                (text += '+') += kTerm;
            text.insert(text.size() - 6, bytes - text.size(), '0');
            return text;
        }
        case TextShape::kDiffsOfCubeTimesExp:
            return detail::EightDiffs("x*x*x*exp(-11390)");
        case TextShape::kDiffsOfSquareTimesExps:
            return detail::EightDiffs("x*x*exp(-11390)*exp(-11390)");
    }
    return {};
}

}  // namespace rivo::testing

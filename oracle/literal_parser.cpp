#include "oracle/literal_parser.h"

#include <string>
#include <string_view>
#include <vector>

namespace rivo::testing {

using expr::NodeId;

namespace {

struct Task {
    std::string text;
    NodeId target;
    bool append;
};

// zero[k] for 1-based k: both counts are zero after byte k.
std::vector<bool> DepthZero(const std::string& text) {
    std::vector<bool> zero(text.size() + 1, false);
    int parens = 0;
    int brackets = 0;
    for (std::size_t k = 1; k <= text.size(); ++k) {
        const char c = text[k - 1];
        if (c == '(') ++parens;
        if (c == ')') --parens;
        if (parens == 0 && c == '[') ++brackets;
        if (parens == 0 && c == ']') --brackets;
        zero[k] = parens == 0 && brackets == 0;
    }
    return zero;
}

// The byte at 1-based position k, 0 outside the text. Asked at every position of every node, it
// must cost nothing in an instrumented build.
char At(const std::string& text, std::int64_t k) {
    return k >= 1 && k <= static_cast<std::int64_t>(text.size())
               ? text[static_cast<std::size_t>(k - 1)]
               : '\0';
}

// CopyText(text, k, 2) is one of "==", "!=", ">=", "<=".
bool IsTwoCharComparison(const std::string& text, std::int64_t k) {
    const char first = At(text, k);
    return At(text, k + 1) == '=' && (first == '=' || first == '!' || first == '>' || first == '<');
}

}  // namespace

std::string StripOuterParens(std::string_view text) {
    std::string t(text);
    if (t.size() <= 2) return t;
    while (!t.empty() && t.front() == '(' && t.back() == ')') {
        int count = 1;
        for (std::size_t k = 1; k + 1 < t.size(); ++k) {
            if (t[k] == '(') ++count;
            if (t[k] == ')') --count;
            if (count == 0) return t;
        }
        t = t.substr(1, t.size() - 2);
    }
    return t;
}

std::string CopyText(std::string_view text, std::int64_t position, std::int64_t length) {
    const auto size = static_cast<std::int64_t>(text.size());
    if (length <= 0 || position > size) return {};
    if (position < 1) {
        // Bytes before position 1 do not exist; they still count against the length.
        length += position - 1;
        position = 1;
        if (length <= 0) return {};
    }
    const std::int64_t available = size - position + 1;
    const std::int64_t count = length < available ? length : available;
    return std::string(
        text.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(count)));
}

void LiteralParseExpression(std::string_view input, expr::TreeContainer& tree, NodeId node) {
    std::vector<Task> work{{std::string(input), node, false}};
    while (!work.empty()) {
        Task task = std::move(work.back());
        work.pop_back();
        const NodeId target = task.append ? tree.AppendChild(task.target, "") : task.target;
        std::string text = StripOuterParens(task.text);
        if (text.empty()) continue;
        if (text[0] == '-') text = "0" + text;
        tree.SetLabel(target, CopyText(text, 1, 23));
        const auto n = static_cast<std::int64_t>(text.size());
        const std::vector<bool> zero = DepthZero(text);

        std::int64_t found = 0;
        for (std::int64_t k = 1; k <= n && found == 0; ++k) {
            if (At(text, k) == ';' && zero[static_cast<std::size_t>(k)]) found = k;
        }
        if (found != 0) {
            work.push_back({CopyText(text, found + 1, n - found), tree.Parent(target), true});
            work.push_back({CopyText(text, 1, found - 1), target, false});
            continue;
        }

        std::int64_t width = 1;
        auto last = [&](std::int64_t from, std::int64_t to, auto accept) {
            for (std::int64_t k = to; k >= from; --k) {
                if (zero[static_cast<std::size_t>(k)] && accept(k)) return k;
            }
            return std::int64_t{0};
        };
        found = last(1, n, [&](std::int64_t k) { return At(text, k) == ':'; });
        if (found == 0) {
            found = last(2, n - 1, [&](std::int64_t k) {
                const char prev = At(text, k - 1);
                return At(text, k) == '=' && At(text, k + 1) != '=' && prev != '=' && prev != '!' &&
                       prev != '<' && prev != '>';
            });
        }
        if (found == 0) {
            found = last(2, n - 1, [&](std::int64_t k) {
                const char c = At(text, k);
                return IsTwoCharComparison(text, k) || c == '<' || c == '>';
            });
            if (found != 0 && IsTwoCharComparison(text, found)) width = 2;
        }
        for (const char* ops : {"+-", "*/", "^"}) {
            if (found != 0) break;
            found = last(1, n, [&](std::int64_t k) {
                return std::string_view(ops).find(At(text, k)) != std::string_view::npos;
            });
        }
        if (found != 0) {
            tree.SetLabel(target, CopyText(text, found, width));
            work.push_back({CopyText(text, found + width, n - found - width + 1), target, true});
            work.push_back({CopyText(text, 1, found - 1), target, true});
            continue;
        }

        for (std::int64_t q = 1; q <= n; ++q) {
            const char c = At(text, q);
            if (c != '(' && c != '[') continue;
            tree.SetLabel(target, CopyText(text, 1, q - 1) + (c == '(' ? " @F" : " @A"));
            work.push_back({CopyText(text, q + 1, n - 1 - q), target, true});
            break;
        }
    }
}

}  // namespace rivo::testing

#include "diagram/core/set_notation.h"

#include <algorithm>
#include <array>

#include "diagram/core/utf8.h"
#include "expr/error.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

namespace {

using utf8::CodePoint;
using utf8::DecodeAt;

enum class TokenKind : std::uint8_t {
    kBlank,
    kLetter,  // a to e, A to E
    kUniverse,
    kEmpty,
    kOpen,
    kClose,
    kComplement,
    kBinary,
    kOther,
};

struct TokenClass {
    TokenKind kind;
    SetOp op;  // of kBinary
};

TokenClass Classify(char32_t c) {
    if (c >= U'a' && c <= U'e') return {TokenKind::kLetter, SetOp::kLetter};
    if (c >= U'A' && c <= U'E') return {TokenKind::kLetter, SetOp::kLetter};
    if (utf8::IsBlank(c)) return {TokenKind::kBlank, SetOp::kEmpty};
    switch (c) {
        case U'U':
            return {TokenKind::kUniverse, SetOp::kUniverse};
        case U'\u2205':  // ∅
            return {TokenKind::kEmpty, SetOp::kEmpty};
        case U'(':
            return {TokenKind::kOpen, SetOp::kEmpty};
        case U')':
            return {TokenKind::kClose, SetOp::kEmpty};
        case U'\'':
        case U'\u2032':  // ′
        case U'\u1D9C':  // ᶜ
            return {TokenKind::kComplement, SetOp::kComplement};
        case U'\u222A':  // ∪
            return {TokenKind::kBinary, SetOp::kUnion};
        case U'\u2229':  // ∩
            return {TokenKind::kBinary, SetOp::kIntersection};
        case U'\\':
        case U'\u2216':  // ∖
        case U'\u2212':  // −
        case U'-':
            return {TokenKind::kBinary, SetOp::kDifference};
        case U'\u0394':  // Δ
        case U'\u25B3':  // △
        case U'\u2295':  // ⊕
            return {TokenKind::kBinary, SetOp::kSymmetricDifference};
        default:
            return {TokenKind::kOther, SetOp::kEmpty};
    }
}

// What a character that is no token of the language is, with a hint for the symbols of other
// notations that learners reach for.
std::string UnexpectedMessage(std::string_view spelling, char32_t c) {
    switch (c) {
        case U'+':
            return "'+' is not set notation; union is written ∪";
        case U'*':
        case U'\u00B7':  // ·
            return "'" + std::string(spelling) + "' is not set notation; intersection is written ∩";
        case U'~':
        case U'!':
        case U'^':
        case U'\u00AC':  // ¬
        case U'\u2019':  // ’, what word processors make of '
            return "'" + std::string(spelling) +
                   "' is not set notation; the complement is written ′ after its set";
        case U'\u00D8':  // Ø
        case U'\u00F8':  // ø
        case U'\u2300':  // ⌀
        case U'{':
            return "'" + std::string(spelling) +
                   "' is not set notation; the empty set is written ∅";
        case U'u':
            return "unexpected 'u': union is written ∪ and the universe U";
        default:
            break;
    }
    if (!utf8::IsVisible(c)) return "unexpected character " + utf8::CodePointName(c);
    return "unexpected '" + std::string(spelling) + "'";
}

std::string Quoted(std::string_view spelling) {
    return "'" + std::string(spelling) + "'";
}

// One level of parentheses (the first is the text itself): the chain read so far and its
// operator.
struct Frame {
    std::uint32_t openColumn = 0;  // of its "(", 0 for the text itself
    SetNodeIndex left = kNoSetNode;
    SetOp op = SetOp::kEmpty;    // kEmpty until the first binary operator
    std::uint32_t opOffset = 0;  // the operator's spelling in the text
    std::uint8_t opLength = 0;
};

class Reader {
  public:
    Reader(std::string_view text, int circles) : text_(text) { expression_.circles = circles; }

    std::optional<SetNotationError> Read();
    SetExpression Take() { return std::move(expression_); }

  private:
    SetNodeIndex Add(SetOp op, SetNodeIndex left = kNoSetNode, SetNodeIndex right = kNoSetNode,
                     std::uint8_t letter = 0) {
        expression_.nodes.push_back({op, letter, left, right});
        return static_cast<SetNodeIndex>(expression_.nodes.size() - 1);
    }

    // The operand just read joins the chain of the innermost level.
    SetNodeIndex Fold(const Frame& frame, SetNodeIndex operand) {
        if (frame.left == kNoSetNode) return operand;
        return Add(frame.op, frame.left, operand);
    }

    std::string_view Spelling(std::uint32_t offset, std::size_t length) const {
        return text_.substr(offset, length);
    }

    // The message for a set missing where a token stands (or the text ends): after a binary
    // operator or "(", or before the first.
    std::string MissingSetMessage(std::string_view found) const {
        if (lastKind_ == TokenKind::kBinary || lastKind_ == TokenKind::kOpen)
            return "expected a set after " + Quoted(lastSpelling_);
        return "expected a set before " + Quoted(found);
    }

    std::string_view text_;
    SetExpression expression_;
    TokenKind lastKind_ = TokenKind::kBlank;  // kBlank: nothing read yet
    std::string_view lastSpelling_;
};

std::optional<SetNotationError> Reader::Read() {
    const int circles = expression_.circles;
    std::vector<Frame> frames(1);
    SetNodeIndex current = kNoSetNode;  // the operand just read, kNoSetNode while one is expected
    std::size_t column = 0;             // of the character at `i`, from 1
    std::size_t endColumn = 1;          // just after the last token
    auto error = [&](std::size_t at, std::string message) {
        expression_.nodes.clear();
        return SetNotationError{at, std::move(message)};
    };
    for (std::size_t i = 0; i < text_.size();) {
        ++column;
        const CodePoint point = DecodeAt(text_, i);
        if (!point.valid) return error(column, "the text is not valid UTF-8");
        const std::string_view spelling = text_.substr(i, point.length);
        const auto offset = static_cast<std::uint32_t>(i);
        i += point.length;
        const TokenClass token = Classify(point.value);
        if (token.kind == TokenKind::kBlank) continue;
        if (token.kind == TokenKind::kOther)
            return error(column, UnexpectedMessage(spelling, point.value));
        Frame& frame = frames.back();
        switch (token.kind) {
            case TokenKind::kLetter:
            case TokenKind::kUniverse:
            case TokenKind::kEmpty:
            case TokenKind::kOpen: {
                std::uint8_t letter = 0;
                if (token.kind == TokenKind::kLetter) {
                    letter = static_cast<std::uint8_t>((point.value | 0x20) - U'a');
                    if (letter >= circles) {
                        return error(column, "the diagram of " + std::to_string(circles) +
                                                 " circles has no set " +
                                                 static_cast<char>('A' + letter));
                    }
                }
                if (current != kNoSetNode)
                    return error(column, "missing an operator before " + Quoted(spelling));
                if (token.kind == TokenKind::kOpen) {
                    frames.push_back({static_cast<std::uint32_t>(column)});
                    break;
                }
                current = Add(token.kind == TokenKind::kLetter     ? SetOp::kLetter
                              : token.kind == TokenKind::kUniverse ? SetOp::kUniverse
                                                                   : SetOp::kEmpty,
                              kNoSetNode, kNoSetNode, letter);
                break;
            }
            case TokenKind::kComplement:
                if (current == kNoSetNode)
                    return error(column, "a complement mark needs a set before it");
                current = Add(SetOp::kComplement, current);
                break;
            case TokenKind::kBinary:
                if (current == kNoSetNode) return error(column, MissingSetMessage(spelling));
                if (frame.op != SetOp::kEmpty && frame.op != token.op) {
                    return error(column, Quoted(Spelling(frame.opOffset, frame.opLength)) +
                                             " and " + Quoted(spelling) +
                                             " at the same level need parentheses");
                }
                frame.left = Fold(frame, current);
                frame.op = token.op;
                frame.opOffset = offset;
                frame.opLength = static_cast<std::uint8_t>(spelling.size());
                current = kNoSetNode;
                break;
            case TokenKind::kClose:
                if (frames.size() == 1) return error(column, "')' without a matching '('");
                if (current == kNoSetNode) {
                    if (lastKind_ == TokenKind::kOpen)
                        return error(column, "expected a set between '(' and ')'");
                    return error(column, MissingSetMessage(spelling));
                }
                current = Fold(frame, current);
                frames.pop_back();
                break;
            default:
                break;
        }
        lastKind_ = token.kind;
        lastSpelling_ = spelling;
        endColumn = column + 1;
    }
    if (lastKind_ == TokenKind::kBlank) return error(1, "empty expression");
    if (current == kNoSetNode) return error(endColumn, MissingSetMessage({}));
    if (frames.size() > 1) {
        return error(endColumn, "missing ')' to close the '(' at column " +
                                    std::to_string(frames.back().openColumn));
    }
    Fold(frames.back(), current);
    return std::nullopt;
}

UniverseSet Apply(SetOp op, UniverseSet left, UniverseSet right) {
    switch (op) {
        case SetOp::kUnion:
            return left | right;
        case SetOp::kIntersection:
            return left & right;
        case SetOp::kDifference:
            return left & ~right;
        case SetOp::kSymmetricDifference:
            return left ^ right;
        default:
            return 0;
    }
}

}  // namespace

SetReading ReadSetNotation(std::string_view text, int circles) {
    SetReading reading;
    if (text.size() > expr::kMaxExpressionBytes) {
        reading.error = SetNotationError{0, expr::kTooLargeMessage};
        return reading;
    }
    Reader reader(text, std::clamp(circles, kMinSetCircles, kMaxSetCircles));
    reading.error = reader.Read();
    reading.expression = reader.Take();
    if (!reading.error) reading.set = EvaluateSetExpression(reading.expression);
    return reading;
}

std::vector<UniverseSet> NodeSets(const SetExpression& expression) {
    const UniverseSet universe = UniverseOf(expression.circles);
    std::vector<UniverseSet> sets;
    sets.reserve(expression.nodes.size());
    for (const SetNode& node : expression.nodes) {
        switch (node.op) {
            case SetOp::kLetter:
                sets.push_back(CircleSet(expression.circles, node.letter));
                break;
            case SetOp::kUniverse:
                sets.push_back(universe);
                break;
            case SetOp::kEmpty:
                sets.push_back(0);
                break;
            case SetOp::kComplement:
                sets.push_back(universe & ~sets[node.left]);
                break;
            default:
                sets.push_back(Apply(node.op, sets[node.left], sets[node.right]));
                break;
        }
    }
    return sets;
}

UniverseSet EvaluateSetExpression(const SetExpression& expression) {
    if (expression.nodes.empty()) return 0;
    return NodeSets(expression).back();
}

bool HoldsSetNotationSymbol(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const CodePoint c = DecodeAt(text, i);
        i += c.length;
        if (!c.valid || c.value == U'-') continue;
        const TokenKind kind = Classify(c.value).kind;
        if (kind == TokenKind::kBinary || kind == TokenKind::kComplement ||
            kind == TokenKind::kEmpty) {
            return true;
        }
    }
    return false;
}

std::string FormatSetNotationError(std::string_view prefix, std::string_view text,
                                   const SetNotationError& error) {
    std::string out(prefix);
    if (error.column == 0) return out + error.message + '\n';
    out += "column " + std::to_string(error.column) + ": " + error.message + '\n';
    // The characters shown: all of a short text, else an excerpt that holds the column.
    constexpr std::size_t kShownCharacters = 100;
    constexpr std::size_t kCharactersBefore = 60;
    const std::size_t total = utf8::CharacterCount(text);
    std::size_t first = 0;  // 0-based characters
    std::size_t last = total;
    if (total > kShownCharacters) {
        const std::size_t at = std::min(error.column - 1, total);
        first = at > kCharactersBefore ? at - kCharactersBefore : 0;
        first = std::min(first, total - kShownCharacters);
        last = first + kShownCharacters;
    }
    std::string shown;
    std::string caret;
    if (first > 0) {
        shown += "…";
        caret += ' ';
    }
    std::size_t index = 0;
    for (std::size_t i = 0; i < text.size() && index < last; ++index) {
        const CodePoint point = DecodeAt(text, i);
        const std::string_view spelling = text.substr(i, point.valid ? point.length : 1);
        i += spelling.size();
        if (index < first) continue;
        std::string_view glyph = spelling;
        if (!point.valid) {
            glyph = "\uFFFD";
        } else if (point.value == U'\t') {
            glyph = "\t";
        } else if (utf8::IsBlank(point.value) && !utf8::IsVisible(point.value)) {
            glyph = " ";  // line breaks and other blanks a terminal would act on
        } else if (!utf8::IsVisible(point.value) && !utf8::IsBlank(point.value)) {
            glyph = "\uFFFD";
        }
        shown += glyph;
        if (index + 1 < error.column) {
            // White space is copied, so that tabs and wide spaces take the same room above and
            // below; every other character is one column wide.
            caret += utf8::IsBlank(point.value) && point.valid ? glyph : std::string_view(" ");
        }
    }
    if (last < total) shown += "…";
    return out + shown + '\n' + caret + "^\n";
}

}  // namespace rivo::diagram

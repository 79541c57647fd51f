#include "diagram/core/express.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "diagram/core/set_writer.h"
#include "diagram/core/utf8.h"

namespace rivo::diagram {

namespace {

// What the top of an expression is decides where it needs parentheses.
enum class Form : std::uint8_t { kLetter, kProduct, kSum };
constexpr std::size_t kFormCount = 3;

struct Candidate {
    int letters = 0;  // 0: none found yet
    int parens = 0;   // pairs
    std::string text;
    Form form = Form::kLetter;

    bool Found() const { return letters > 0; }
};

// Fewest letters, then fewest parentheses, then the smaller text. Two texts with as many letters
// and parentheses are equally long, so the byte order of a whole follows that of its parts.
bool Better(const Candidate& a, const Candidate& b) {
    if (!b.Found()) return a.Found();
    if (!a.Found()) return false;
    return std::tie(a.letters, a.parens, a.text) < std::tie(b.letters, b.parens, b.text);
}

void KeepBetter(Candidate& best, Candidate candidate) {
    if (Better(candidate, best)) best = std::move(candidate);
}

Candidate Letter(int variable) {
    return {1, 0, std::string(1, static_cast<char>('a' + variable)), Form::kLetter};
}

// The parser splits a text at its last "+" or "-" outside parentheses, else at its last "*":
// "*" binds tighter and every operator groups from the left. So a sum needs parentheses as an
// operand of "*" and right of "+" or "-", and right of "*" anything but a letter does.
bool NeedsParens(Form operand, char op, bool right) {
    if (op == '*') return right ? operand != Form::kLetter : operand == Form::kSum;
    return right && operand == Form::kSum;
}

int JoinedParens(const Candidate& left, char op, const Candidate& right) {
    return left.parens + right.parens + int{NeedsParens(left.form, op, false)} +
           int{NeedsParens(right.form, op, true)};
}

Candidate Join(const Candidate& left, char op, const Candidate& right) {
    const bool wrapLeft = NeedsParens(left.form, op, false);
    const bool wrapRight = NeedsParens(right.form, op, true);
    Candidate joined;
    joined.letters = left.letters + right.letters;
    joined.parens = JoinedParens(left, op, right);
    joined.form = op == '*' ? Form::kProduct : Form::kSum;
    joined.text = JoinPlainTexts(left.text, op, right.text, wrapLeft, wrapRight);
    return joined;
}

ZoneSet Apply(ZoneSet left, char op, ZoneSet right) {
    if (op == '+') return left | right;
    if (op == '*') return left & right;
    return left & ~right;
}

// The longest short expressions that the cover takes as terms.
constexpr int kShortTermLetters = 3;

// What an expression costs as a summand: letters first, then the parentheses it needs there.
int SumCost(const Candidate& c) {
    return c.letters * 64 + c.parens + int{NeedsParens(c.form, '+', true)};
}

// Every expression up to a number of letters, built letter count by letter count from smaller
// ones: the best per set and form. The best of a set and form is made of the best of its parts'
// sets and forms (a better part makes a better whole), so the table is exact for its bound.
class Enumeration {
  public:
    Enumeration(int circles, int maxLetters, bool untilComplete) {
        const std::size_t sets = std::size_t{1} << ZoneCount(circles);
        levels_.emplace_back();  // no expression has no letters
        levels_.emplace_back();
        for (int v = 0; v < circles; ++v) {
            const ZoneSet zones = ZonesOfCircle(circles, v);
            best_[zones][static_cast<std::size_t>(Form::kLetter)] = Letter(v);
            levels_[1].emplace_back(zones, Form::kLetter);
        }
        for (int k = 2; untilComplete ? best_.size() + 1 < sets : k <= maxLetters; ++k) {
            levels_.emplace_back();
            auto& level = levels_[static_cast<std::size_t>(k)];
            for (int i = 1; i < k; ++i) {
                for (const auto& [leftSet, leftForm] : levels_[static_cast<std::size_t>(i)]) {
                    const Candidate& left = best_[leftSet][static_cast<std::size_t>(leftForm)];
                    for (const auto& [rightSet, rightForm] :
                         levels_[static_cast<std::size_t>(k - i)]) {
                        const Candidate& right =
                            best_[rightSet][static_cast<std::size_t>(rightForm)];
                        for (const char op : {'+', '-', '*'}) {
                            const ZoneSet set = Apply(leftSet, op, rightSet);
                            if (set == 0) continue;  // the empty set is the empty text
                            const Form form = op == '*' ? Form::kProduct : Form::kSum;
                            Candidate& slot = best_[set][static_cast<std::size_t>(form)];
                            if (slot.Found() &&
                                (slot.letters < k || slot.parens < JoinedParens(left, op, right))) {
                                continue;
                            }
                            Candidate joined = Join(left, op, right);
                            if (!slot.Found()) level.emplace_back(set, form);
                            KeepBetter(slot, std::move(joined));
                        }
                    }
                }
            }
        }
        for (const auto& [set, forms] : best_) {
            for (const auto& candidate : forms) {
                if (candidate.Found()) ordered_.emplace_back(set, &candidate);
            }
        }
        std::sort(ordered_.begin(), ordered_.end(),
                  [](const auto& a, const auto& b) { return Better(*a.second, *b.second); });
        for (const auto& [set, forms] : best_) {
            const Candidate* cheapest = nullptr;
            for (const auto& c : forms) {
                if (!c.Found() || c.letters > kShortTermLetters) continue;
                if (cheapest == nullptr || SumCost(c) < SumCost(*cheapest) ||
                    (SumCost(c) == SumCost(*cheapest) && Better(c, *cheapest))) {
                    cheapest = &c;
                }
            }
            if (cheapest != nullptr) shortOnes_.emplace_back(set, cheapest);
        }
    }

    // The best expression whose set holds every zone of `on` and none of `off`.
    Candidate Match(ZoneSet on, ZoneSet off) const {
        for (const auto& [set, candidate] : ordered_) {
            if ((set & on) == on && (set & off) == 0) return *candidate;
        }
        return {};
    }

    // Per set, its cheapest summand of at most kShortTermLetters letters.
    const std::vector<std::pair<ZoneSet, const Candidate*>>& ShortOnes() const {
        return shortOnes_;
    }

  private:
    std::unordered_map<ZoneSet, std::array<Candidate, kFormCount>> best_;
    std::vector<std::vector<std::pair<ZoneSet, Form>>> levels_;
    std::vector<std::pair<ZoneSet, const Candidate*>> ordered_;  // all of best_, best first
    std::vector<std::pair<ZoneSet, const Candidate*>> shortOnes_;
};

// Two and three circles: every expression, letter count by letter count, until each set has one
// (ten letters at most for the 127 sets of three). Four and five: the short ones, which the
// cover below can miss. Each is built on first use, for its own circle count only.
const Enumeration& EnumerationFor(int circles) {
    if (circles == 2) {
        static const Enumeration two(circles, 0, true);
        return two;
    }
    if (circles == 3) {
        static const Enumeration three(circles, 0, true);
        return three;
    }
    if (circles == 4) {
        static const Enumeration four(circles, 5, false);
        return four;
    }
    static const Enumeration five(circles, 4, false);
    return five;
}

// A term «product minus union»: the circles of `product` (never none) less those of `minus`;
// or a short expression of the enumeration, whatever its shape (then `expression` is it).
struct Term {
    unsigned product = 0;
    unsigned minus = 0;
    ZoneSet zones = 0;
    int letters = 0;
    const Candidate* expression = nullptr;
    int cost = 0;   // for the cover: letters first, then the parentheses it needs in a sum
    int count = 0;  // zones
};

Candidate ChainOf(unsigned circles, char op) {
    Candidate chain;
    for (int v = 0; v < 5; ++v) {
        if ((circles >> v & 1u) == 0) continue;
        chain = chain.Found() ? Join(chain, op, Letter(v)) : Letter(v);
    }
    return chain;
}

// a*b-(c+d) inside a sum; a*b-c-d where it stands first and its parentheses can go.
Candidate TermText(const Term& term, bool first) {
    if (term.expression != nullptr) return *term.expression;
    Candidate text = ChainOf(term.product, '*');
    if (term.minus == 0) return text;
    if (!first) return Join(text, '-', ChainOf(term.minus, '+'));
    for (int v = 0; v < 5; ++v) {
        if ((term.minus >> v & 1u) != 0) text = Join(text, '-', Letter(v));
    }
    return text;
}

// The covers of `on` by terms that hold no zone of `off` with the fewest letters, and those up to
// two letters dearer, which may factor better: branch and bound over the terms that cover the
// zone with the fewest of them.
class Cover {
  public:
    Cover(int circles, ZoneSet on, ZoneSet off, const Enumeration* shortOnes) : on_(on) {
        std::vector<Term> terms;
        unsigned code = 1;
        for (int v = 0; v < circles; ++v)
            code *= 3;
        for (unsigned c = 0; c < code; ++c) {
            Term term;
            ZoneSet zones = AllZones(circles);
            unsigned rest = c;
            for (int v = 0; v < circles; ++v, rest /= 3) {
                const ZoneSet circle = ZonesOfCircle(circles, v);
                if (rest % 3 == 1) {
                    term.product |= 1u << v;
                    zones &= circle;
                } else if (rest % 3 == 2) {
                    term.minus |= 1u << v;
                    zones &= ~circle;
                }
            }
            if (term.product == 0 || (zones & off) != 0 || (zones & on) == 0) continue;
            term.zones = zones & on;
            term.letters = std::popcount(term.product) + std::popcount(term.minus);
            terms.push_back(term);
        }
        // Expressions of other shapes, (a+b)*c say, cover more for their letters.
        if (shortOnes != nullptr) {
            for (const auto& [zones, expression] : shortOnes->ShortOnes()) {
                if ((zones & off) != 0 || (zones & on) == 0) continue;
                terms.push_back({0, 0, zones & on, expression->letters, expression});
            }
        }
        // Cheapest first, then the most zones; of equals «product minus union» first (it can
        // be factored), then by text. A term that covers no more than a cheaper or equal one
        // kept before it is never needed.
        for (Term& term : terms) {
            term.cost = Cost(term);
            term.count = std::popcount(term.zones);
        }
        const auto order = [](const Term& t) {
            return std::tuple(t.cost, -t.count, t.expression != nullptr,
                              t.expression != nullptr ? std::string_view(t.expression->text)
                                                      : std::string_view());
        };
        std::stable_sort(terms.begin(), terms.end(),
                         [&](const Term& a, const Term& b) { return order(a) < order(b); });
        for (const Term& term : terms) {
            const bool dominated = std::any_of(terms_.begin(), terms_.end(), [&](const Term& t) {
                return (term.zones & ~t.zones) == 0 && t.cost <= term.cost;
            });
            if (!dominated) terms_.push_back(term);
        }
        for (std::size_t z = 0; z < 32; ++z) {
            cheapest_[z] = std::numeric_limits<int>::max();
            for (const Term& t : terms_) {
                if ((t.zones >> z & 1u) == 0) continue;
                cheapest_[z] = std::min(cheapest_[z], t.cost);
                reach_[z] |= t.zones;
            }
        }
    }

    // The cheapest covers, cheapest first: a dearer one may factor better.
    std::vector<std::vector<Term>> Solve() {
        Search(on_, 0);
        std::sort(covers_.begin(), covers_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::vector<Term>> covers;
        for (auto& [cost, terms] : covers_) {
            if (cost <= bestCost_ + kSlack) covers.push_back(std::move(terms));
        }
        return covers;
    }

  private:
    static int Cost(const Term& t) {
        if (t.expression != nullptr) return SumCost(*t.expression);
        return t.letters * 64 + int{t.minus != 0} + int{std::popcount(t.minus) >= 2};
    }

    // Zones no one term can cover two of need a term each.
    int LowerBound(ZoneSet uncovered) const {
        int bound = 0;
        while (uncovered != 0) {
            const auto z = static_cast<std::size_t>(std::countr_zero(uncovered));
            bound += cheapest_[z];
            uncovered &= ~reach_[z];
        }
        return bound;
    }

    // Depth: one term per level, at most one level per zone (31).
    void Search(ZoneSet uncovered, int cost) {
        if (uncovered == 0) {
            bestCost_ = std::min(bestCost_, cost);
            covers_.emplace_back(cost, chosen_);
            if (covers_.size() > kMaxCovers) {
                const auto dearest = std::max_element(
                    covers_.begin(), covers_.end(),
                    [](const auto& a, const auto& b) { return a.first < b.first; });
                covers_.erase(dearest);
            }
            return;
        }
        if (cost + LowerBound(uncovered) > Limit()) return;
        std::size_t pick = 0;
        int fewest = std::numeric_limits<int>::max();
        for (ZoneSet rest = uncovered; rest != 0; rest &= rest - 1) {
            const auto z = static_cast<std::size_t>(std::countr_zero(rest));
            int count = 0;
            for (const Term& t : terms_)
                count += static_cast<int>(t.zones >> z & 1u);
            if (count < fewest) {
                fewest = count;
                pick = z;
            }
        }
        for (const Term& t : terms_) {
            if ((t.zones >> pick & 1u) == 0) continue;
            chosen_.push_back(t);
            Search(uncovered & ~t.zones, cost + t.cost);
            chosen_.pop_back();
        }
    }

    // The dearest cover still worth finding: two letters over the cheapest, and once the list is
    // full, cheaper than its dearest.
    int Limit() const {
        if (bestCost_ == std::numeric_limits<int>::max()) return bestCost_;
        int limit = bestCost_ + kSlack;
        if (covers_.size() == kMaxCovers) {
            int dearest = 0;
            for (const auto& cover : covers_)
                dearest = std::max(dearest, cover.first);
            limit = std::min(limit, dearest - 1);
        }
        return limit;
    }

    static constexpr int kSlack = 2 * 64;  // two letters
    static constexpr std::size_t kMaxCovers = 64;

    ZoneSet on_;
    std::vector<Term> terms_;
    std::array<int, 32> cheapest_{};
    std::array<ZoneSet, 32> reach_{};
    std::vector<Term> chosen_;
    std::vector<std::pair<int, std::vector<Term>>> covers_;
    int bestCost_ = std::numeric_limits<int>::max();
};

// One summand: a term, or a group with a factor pulled out (then `block` is its text).
struct Item {
    Term term;
    Candidate block;
};

// The summands in the order that gives the shortest, then smallest, text: one of them first
// (a term there sheds the parentheses of its union, a sum its own), the others in the order
// whose concatenation is smallest. The letters are the same in every order.
Candidate Arrange(const std::vector<Item>& items) {
    struct Summand {
        Candidate first;      // as it stands at the front
        std::string wrapped;  // as it stands after a "+"
        int parens;           // after a "+", its own and any around it
    };
    std::vector<Summand> summands;
    int letters = 0;
    int parens = 0;
    for (const Item& item : items) {
        const Candidate inner = item.block.Found() ? item.block : TermText(item.term, false);
        const bool wrap = NeedsParens(inner.form, '+', true);
        Summand summand{item.block.Found() ? item.block : TermText(item.term, true),
                        wrap ? "(" + inner.text + ")" : inner.text, inner.parens + int{wrap}};
        letters += inner.letters;
        parens += summand.parens;
        summands.push_back(std::move(summand));
    }
    if (summands.size() == 1) return summands.front().first;
    std::vector<std::size_t> order(summands.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Taking one out of this order leaves the best order of the others.
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const std::string& x = summands[a].wrapped;
        const std::string& y = summands[b].wrapped;
        return x + '+' + y < y + '+' + x;
    });
    int fewest = std::numeric_limits<int>::max();
    for (const Summand& s : summands)
        fewest = std::min(fewest, parens - s.parens + s.first.parens);
    Candidate best;
    for (std::size_t first = 0; first < summands.size(); ++first) {
        const Summand& head = summands[first];
        if (parens - head.parens + head.first.parens != fewest) continue;
        Candidate sum{letters, fewest, head.first.text, Form::kSum};
        for (const std::size_t i : order) {
            if (i == first) continue;
            sum.text += '+';
            sum.text += summands[i].wrapped;
        }
        KeepBetter(best, std::move(sum));
    }
    return best;
}

// The sum of the terms with common factors pulled out: x*(y-z+w) for x*y-z + x*w (a product
// distributes over the union), y+w-z for y-z + w-z (so does a difference). The depth is bounded
// by the letters of the terms, each step takes one away from at least two of them.
class Factoring {
  public:
    Candidate Sum(const std::vector<Term>& terms) {
        std::vector<Item> items;
        for (const Term& t : terms)
            items.push_back({t, {}});
        return Best(items);
    }

  private:
    Candidate Best(const std::vector<Item>& items) {
        std::string key;
        for (const Item& item : items) {
            key += item.block.Found() ? item.block.text : TermText(item.term, false).text;
            key += ';';
        }
        if (const auto found = memo_.find(key); found != memo_.end()) return found->second;

        Candidate best = Arrange(items);
        // The groups that save the most letters; the others are not tried.
        std::size_t largest = 2;
        std::vector<std::pair<int, bool>> options;  // circle, factor of the product
        for (int v = 0; v < 5; ++v) {
            for (const bool product : {true, false}) {
                const std::size_t size = GroupOf(items, v, product).size();
                if (size < largest) continue;
                if (size > largest) options.clear();
                largest = size;
                options.emplace_back(v, product);
            }
        }
        for (const auto& [v, product] : options) {
            const std::vector<std::size_t> group = GroupOf(items, v, product);
            std::vector<Term> inner;
            std::vector<Item> rest;
            for (std::size_t i = 0, g = 0; i < items.size(); ++i) {
                if (g < group.size() && group[g] == i) {
                    Term t = items[i].term;
                    (product ? t.product : t.minus) &= ~(1u << v);
                    inner.push_back(t);
                    ++g;
                } else {
                    rest.push_back(items[i]);
                }
            }
            const Candidate sum = Sum(inner);
            Candidate block;
            if (product) {
                block = Join(Letter(v), '*', sum);
                KeepBetter(block, Join(sum, '*', Letter(v)));
            } else {
                block = Join(sum, '-', Letter(v));
            }
            rest.push_back({{}, block});
            KeepBetter(best, Best(rest));
        }
        memo_.emplace(std::move(key), best);
        return best;
    }

    // The terms that can give up circle v: from their product while one circle stays there.
    static std::vector<std::size_t> GroupOf(const std::vector<Item>& items, int v, bool product) {
        std::vector<std::size_t> group;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].block.Found() || items[i].term.expression != nullptr) continue;
            const Term& t = items[i].term;
            const unsigned circles = product ? t.product : t.minus;
            if ((circles >> v & 1u) == 0) continue;
            if (product && std::popcount(t.product) < 2) continue;
            group.push_back(i);
        }
        return group;
    }

    std::map<std::string, Candidate> memo_;
};

// The best expression that holds every zone of `on` and none of `off`: a short one from the
// enumeration, the factored sum of the cheapest cover, or a circle that contains all of `on`
// (x*(...), the rest free outside x) or none of it ((...)-x, the rest free inside x). Each step
// frees zones of `off` and no circle is taken twice, so the depth is at most the circles.
class Solver {
  public:
    explicit Solver(int circles) : circles_(circles) {}

    // Also the asked zones split by a circle x: x*(…) for those inside it, plus the best for the
    // rest, to which the inside ones are free. Only here, at the top: deeper it costs much and
    // saves little.
    Candidate Split(ZoneSet on, ZoneSet off) {
        Candidate best = Solve(on, off);
        for (int v = 0; v < circles_; ++v) {
            const ZoneSet circle = ZonesOfCircle(circles_, v);
            if ((on & circle) == 0 || (on & ~circle) == 0) continue;
            const Candidate inner = Solve(on & circle, off & circle);
            Candidate inside = Join(Letter(v), '*', inner);
            KeepBetter(inside, Join(inner, '*', Letter(v)));
            const Candidate outside = Solve(on & ~circle, off);
            KeepBetter(best, Join(outside, '+', inside));
            KeepBetter(best, Join(inside, '+', outside));
        }
        return best;
    }

    Candidate Solve(ZoneSet on, ZoneSet off) {
        if (const auto found = memo_.find({on, off}); found != memo_.end()) return found->second;
        Candidate best = EnumerationFor(circles_).Match(on, off);
        // Terms of other shapes make a shorter sum, or a sum of terms factors better.
        for (const auto& cover : Cover(circles_, on, off, nullptr).Solve())
            KeepBetter(best, factoring_.Sum(cover));
        for (const auto& cover : Cover(circles_, on, off, &EnumerationFor(circles_)).Solve())
            KeepBetter(best, factoring_.Sum(cover));
        for (int v = 0; v < circles_; ++v) {
            const ZoneSet circle = ZonesOfCircle(circles_, v);
            if ((on & ~circle) == 0 && (off & ~circle) != 0) {
                const Candidate inner = Solve(on, off & circle);
                KeepBetter(best, Join(Letter(v), '*', inner));
                KeepBetter(best, Join(inner, '*', Letter(v)));
            }
            if ((on & circle) == 0 && (off & circle) != 0) {
                KeepBetter(best, Join(Solve(on, off & ~circle), '-', Letter(v)));
            }
        }
        memo_.emplace(std::pair(on, off), best);
        return best;
    }

  private:
    int circles_;
    std::map<std::pair<ZoneSet, ZoneSet>, Candidate> memo_;
    Factoring factoring_;  // the sums of the covers of all the parts, which share many terms
};

}  // namespace

namespace {

// The best text that holds every zone of `on` and none of `off` over `circles` circles.
std::string BestText(int circles, ZoneSet on, ZoneSet off) {
    if (on == 0) return {};
    if (circles <= 3) return EnumerationFor(circles).Match(on, off).text;
    return Solver(circles).Split(on, off).text;
}

}  // namespace

std::string ExpressionFor(DiagramSize size, ZoneSet wanted) {
    const ZoneSet drawn = DrawnZones(size);
    const ZoneSet on = wanted & drawn;
    return BestText(CircleCount(size), on, drawn & ~on);
}

std::string ExpressionForZones(int circles, ZoneSet zones) {
    const ZoneSet all = AllZones(circles);
    return BestText(circles, zones & all, all & ~zones);
}

namespace {

// The operands of a chain of `op` whose top is `root`, left to right: A ∪ B ∪ C is one chain,
// however it groups. Walked with an explicit stack.
std::vector<SetNodeIndex> ChainOperands(const SetExpression& expression, SetNodeIndex root,
                                        SetOp op) {
    std::vector<SetNodeIndex> operands;
    std::vector<SetNodeIndex> stack{root};
    while (!stack.empty()) {
        const SetNodeIndex index = stack.back();
        stack.pop_back();
        const SetNode& node = expression.nodes[index];
        if (node.op != op) {
            operands.push_back(index);
            continue;
        }
        stack.push_back(node.right);
        stack.push_back(node.left);
    }
    return operands;
}

// The complement of a node, added to the expression: a complement's operand itself, else a new
// complement node.
SetNodeIndex Complemented(SetExpression& expression, SetNodeIndex index) {
    const SetNode node = expression.nodes[index];
    if (node.op == SetOp::kComplement) return node.left;
    expression.nodes.push_back({SetOp::kComplement, 0, index, kNoSetNode});
    return static_cast<SetNodeIndex>(expression.nodes.size() - 1);
}

SetNodeIndex Joined(SetExpression& expression, SetOp op, std::span<const SetNodeIndex> operands) {
    SetNodeIndex joined = operands.front();
    for (std::size_t i = 1; i < operands.size(); ++i) {
        expression.nodes.push_back({op, 0, joined, operands[i]});
        joined = static_cast<SetNodeIndex>(expression.nodes.size() - 1);
    }
    return joined;
}

// The complement of `expression` carried into its top operator (De Morgan): the complement of a
// union chain is the intersection of the complements, of an intersection chain the union, and
// (X \ Y \ Z)′ is X′ ∪ Y ∪ Z. Nothing for a top without such a form.
std::optional<SetNodeIndex> ComplementInside(SetExpression& expression) {
    const SetNodeIndex root = expression.Root();
    const SetOp op = expression.nodes[root].op;
    if (op != SetOp::kUnion && op != SetOp::kIntersection && op != SetOp::kDifference) {
        return std::nullopt;
    }
    if (op == SetOp::kDifference) {
        // A difference chain groups from the left: its first operand is at the bottom.
        std::vector<SetNodeIndex> rights;
        SetNodeIndex left = root;
        while (expression.nodes[left].op == SetOp::kDifference) {
            rights.push_back(expression.nodes[left].right);
            left = expression.nodes[left].left;
        }
        std::vector<SetNodeIndex> operands{Complemented(expression, left)};
        operands.insert(operands.end(), rights.rbegin(), rights.rend());
        return Joined(expression, SetOp::kUnion, operands);
    }
    std::vector<SetNodeIndex> operands = ChainOperands(expression, root, op);
    for (auto& operand : operands)
        operand = Complemented(expression, operand);
    return Joined(expression, op == SetOp::kUnion ? SetOp::kIntersection : SetOp::kUnion, operands);
}

}  // namespace

std::string ExpressionInSetNotation(int circles, UniverseSet set) {
    const UniverseSet all = UniverseOf(circles);
    set &= all;
    if (set == all) return "U";
    if (set == 0) return "∅";
    const bool outside = (set & kOutsideZone) != 0;
    // The plain answer for the set, or for its complement, which then leaves out the outside
    // zone; both are made of letters, "+", "*", "-" and parentheses only.
    const std::string plain = ExpressionForZones(circles, ToZoneSet(outside ? all & ~set : set));
    const std::optional<std::string> spelled = PlainToSetNotation(plain);
    if (!spelled) return {};  // the way back writes nothing else
    if (!outside) return *spelled;
    SetExpression expression = ReadSetNotation(*spelled, circles).expression;
    if (expression.nodes.empty()) return {};
    const std::size_t written = expression.nodes.size();
    std::string best = WriteSetNotation(expression, Complemented(expression, expression.Root()));
    expression.nodes.resize(written);
    if (const auto inside = ComplementInside(expression)) {
        std::string other = WriteSetNotation(expression, *inside);
        if (utf8::CharacterCount(other) < utf8::CharacterCount(best)) best = std::move(other);
    }
    return best;
}

std::string JoinPlainTexts(std::string_view left, char op, std::string_view right, bool wrapLeft,
                           bool wrapRight) {
    std::string text;
    text.reserve(left.size() + right.size() + 5);
    if (wrapLeft) text += '(';
    text += left;
    if (wrapLeft) text += ')';
    text += op;
    if (wrapRight) text += '(';
    text += right;
    if (wrapRight) text += ')';
    return text;
}

}  // namespace rivo::diagram

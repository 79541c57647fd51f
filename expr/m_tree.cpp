// The parser of the expression language (the language itself: the table at the head of
// expr/m_tree.h), the prefix listing and the driver.
//
// How it is fast. The plain way to split a text is to rescan each node's text for its loosest
// operator at depth zero; that is quadratic and recursive. Here the whole input is
// indexed once, so that each node's splits are found by binary search (or, for the left operand
// of a split, next to its parent's in constant time), and the nodes are filled from an explicit
// work stack in exactly the order a recursive parser would fill them.
#include "expr/m_tree.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "expr/error.h"
#include "expr/m_macros_diff.h"
#include "expr/m_macros_optimize.h"
#include "expr/numbers.h"
#include "expr/syntax.h"
#include "expr/text.h"
#include "expr/walk.h"

namespace rivo::expr {

using namespace syntax;

namespace {

constexpr std::size_t kLeafLabelLength = 23;

// A piece of the input as one level of the parser sees it: the bytes [begin, end) of the input,
// preceded by a "0" when a leading minus was turned into a subtraction from zero.
struct Segment {
    bool zeroPrefix = false;
    std::int32_t begin = 0;
    std::int32_t end = 0;

    std::int32_t Length() const { return end - begin + (zeroPrefix ? 1 : 0); }
};

// One depth-zero candidate of a class: its parenthesis level, bracket sum and position.
struct IndexEntry {
    std::int32_t paren;
    std::int32_t bracket;
    std::int32_t pos;
};

// What building the index of a text allocates, found by a pass that allocates nothing, so that
// the memory budget sees all of it before any of it exists.
struct IndexPlan {
    explicit IndexPlan(std::string_view text) : bytes(text.size()) {
        std::int32_t level = 0;
        std::size_t open = 0;
        for (std::size_t j = 0; j < text.size(); ++j) {
            if (text[j] == '(') {
                ++level;
                deepestOpen = std::max(deepestOpen, ++open);
            } else if (text[j] == ')') {
                --level;
                if (open > 0) --open;
            }
            lowestLevel = std::min(lowestLevel, level);
            highestLevel = std::max(highestLevel, level);
            const int cls = ClassAt(text, j);
            if (cls != kClassCount) ++entries[static_cast<std::size_t>(cls)];
        }
    }

    std::size_t LevelCount() const {
        return static_cast<std::size_t>(highestLevel - lowestLevel) + 1;
    }
    // The arrays the index keeps while the parse runs: three per byte, two per byte and end,
    // and the entries of the classes.
    std::size_t KeptBytes() const {
        std::size_t total = (5 * bytes + 2) * sizeof(std::int32_t);
        for (const std::size_t count : entries)
            total += count * sizeof(IndexEntry);
        return total;
    }
    // What the build needs besides, and frees when it is done: the bracket sum of every level
    // and the stack of unmatched "(".
    std::size_t ScratchBytes() const { return (LevelCount() + deepestOpen) * sizeof(std::int32_t); }

    std::size_t bytes;
    std::array<std::size_t, kClassCount> entries{};
    std::int32_t lowestLevel = 0;
    std::int32_t highestLevel = 0;
    std::size_t deepestOpen = 0;
};

// Depth zero relative to a segment: its parenthesis count equals the count before the segment,
// and its bracket count (bumped only where that parenthesis count holds) equals the bracket
// count before it. So a position's (parenthesis level, bracket sum at that level) pair decides
// for every segment at once, and each class keeps its positions sorted by that pair.
// Every array is allocated at the size the plan gives, so it holds what the plan counted.
class TextIndex {
  public:
    TextIndex(std::string_view text, const IndexPlan& plan) : text_(text) {
        const auto n = static_cast<std::int32_t>(text.size());
        paren_.resize(text.size());
        bracket_.resize(text.size());
        match_.assign(text.size(), -1);
        nextOpen_.assign(text.size() + 1, n);
        for (std::size_t cls = 0; cls < kClassCount; ++cls)
            classes_[cls].reserve(plan.entries[cls]);

        std::vector<std::int32_t> bracketAtLevel(plan.LevelCount(), 0);
        std::vector<std::int32_t> openStack;
        openStack.reserve(plan.deepestOpen);
        std::int32_t level = 0;
        for (std::int32_t j = 0; j < n; ++j) {
            const char c = At(j);
            if (c == '(') {
                ++level;
                openStack.push_back(j);
            } else if (c == ')') {
                --level;
                if (!openStack.empty()) {
                    match_[Index(openStack.back())] = j;
                    openStack.pop_back();
                }
            }
            std::int32_t& sum = bracketAtLevel[Index(level - plan.lowestLevel)];
            if (c == '[') ++sum;
            if (c == ']') --sum;
            paren_[Index(j)] = level;
            bracket_[Index(j)] = sum;
            const int cls = ClassOf(j);
            if (cls != kClassCount) {
                classes_[static_cast<std::size_t>(cls)].push_back({level, sum, j});
            }
        }
        nextSplit_.assign(text.size() + 1, n);
        for (std::int32_t j = n - 1; j >= 0; --j) {
            const char c = At(j);
            nextOpen_[Index(j)] = (c == '(' || c == '[') ? j : nextOpen_[Index(j + 1)];
            nextSplit_[Index(j)] = ClassOf(j) != kClassCount ? j : nextSplit_[Index(j + 1)];
        }
        // The key ends in the position, so the order is total and an in-place sort will do.
        // Positions come in text order, so a text without nesting is sorted already.
        for (auto& entries : classes_) {
            if (!std::is_sorted(entries.begin(), entries.end(), KeyLess)) {
                std::sort(entries.begin(), entries.end(), KeyLess);
            }
        }
    }

    char At(std::int32_t j) const { return text_[Index(j)]; }

    // Bytes [from, from + count) of the segment's text, then `suffix`, allocated at exactly
    // that length: the budget charges a label by its length.
    std::string TextOf(const Segment& s, std::int32_t from, std::int32_t count,
                       std::string_view suffix = {}) const {
        count = std::max(count, 0);
        std::string out(Index(count) + suffix.size(), '\0');
        auto at = out.begin();
        if (count > 0 && s.zeroPrefix && from == 0) {
            *at++ = '0';
            ++from;
            --count;
        }
        if (count > 0) {
            const std::int32_t start = s.begin + from - (s.zeroPrefix ? 1 : 0);
            at = std::copy_n(text_.begin() + start, count, at);
        }
        std::copy(suffix.begin(), suffix.end(), at);
        return out;
    }

    std::int32_t MatchOf(std::int32_t open) const { return match_[Index(open)]; }
    std::int32_t NextOpen(std::int32_t from) const { return nextOpen_[Index(from)]; }
    // The first position from `from` on that holds a split operator, at any depth: a text
    // without one needs no search at all.
    std::int32_t NextSplit(std::int32_t from) const { return nextSplit_[Index(from)]; }

    // The first or last depth-zero position of a class within [lo, hi] of the input.
    std::int32_t First(int cls, const Segment& s, std::int32_t lo, std::int32_t hi) const {
        if (lo > hi) return -1;
        const auto& entries = classes_[static_cast<std::size_t>(cls)];
        const Entry key = BaseOf(s, lo);
        const auto it = std::lower_bound(entries.begin(), entries.end(), key, KeyLess);
        if (it == entries.end() || !SameDepth(*it, key) || it->pos > hi) return -1;
        return it->pos;
    }
    // The same for the last occurrence, as an index into the class's list (or -1); Position
    // turns it into a position.
    std::int32_t LastEntry(int cls, const Segment& s, std::int32_t lo, std::int32_t hi) const {
        if (lo > hi) return -1;
        const auto& entries = classes_[static_cast<std::size_t>(cls)];
        Entry key = BaseOf(s, hi);
        key.pos = hi;
        const auto it = std::upper_bound(entries.begin(), entries.end(), key, KeyLess);
        if (it == entries.begin()) return -1;
        return Checked(cls, static_cast<std::int32_t>(it - entries.begin()) - 1, key, lo, hi);
    }
    // LastEntry for a segment that ends at the occurrence `after` of the same class, at the
    // same depth: the answer can only be an entry just before it. One more step back when the
    // candidates stop short of the last byte (for "=" and the comparisons) and that byte holds
    // an entry, as in "=====".
    std::int32_t EntryBefore(int cls, std::int32_t after, const Segment& s, std::int32_t lo,
                             std::int32_t hi) const {
        if (lo > hi) return -1;
        std::int32_t entry = after - 1;
        if (entry >= 0 && Position(cls, entry) > hi) --entry;
        if (entry < 0) return -1;
        return Checked(cls, entry, BaseOf(s, hi), lo, hi);
    }
    std::int32_t Position(int cls, std::int32_t entry) const {
        return classes_[static_cast<std::size_t>(cls)][static_cast<std::size_t>(entry)].pos;
    }

  private:
    using Entry = IndexEntry;

    // A type, not a function, so that the sort and the searches inline it.
    struct KeyLessType {
        bool operator()(const Entry& a, const Entry& b) const {
            if (a.paren != b.paren) return a.paren < b.paren;
            if (a.bracket != b.bracket) return a.bracket < b.bracket;
            return a.pos < b.pos;
        }
    };
    static constexpr KeyLessType KeyLess{};
    static bool SameDepth(const Entry& a, const Entry& b) {
        return a.paren == b.paren && a.bracket == b.bracket;
    }
    static std::size_t Index(std::int32_t j) { return static_cast<std::size_t>(j); }

    // The entry if it lies at the key's depth and within [lo, hi], else -1.
    std::int32_t Checked(int cls, std::int32_t entry, const Entry& key, std::int32_t lo,
                         std::int32_t hi) const {
        const Entry& found =
            classes_[static_cast<std::size_t>(cls)][static_cast<std::size_t>(entry)];
        if (!SameDepth(found, key) || found.pos < lo || found.pos > hi) return -1;
        return entry;
    }

    // The counts in force just before the segment, i.e. at depth zero for its positions.
    Entry BaseOf(const Segment& s, std::int32_t pos) const {
        if (s.begin == 0) return {0, 0, pos};
        return {paren_[Index(s.begin - 1)], bracket_[Index(s.begin - 1)], pos};
    }

    int ClassOf(std::int32_t j) const { return ClassAt(text_, Index(j)); }

    std::string_view text_;
    std::vector<std::int32_t> paren_;
    std::vector<std::int32_t> bracket_;
    std::vector<std::int32_t> match_;
    std::vector<std::int32_t> nextOpen_;
    std::vector<std::int32_t> nextSplit_;
    std::vector<Entry> classes_[kClassCount];
};

// Removes parentheses that enclose the whole segment.
Segment StripSegment(const TextIndex& index, Segment s) {
    if (s.Length() <= 2) return s;
    while (!s.zeroPrefix && s.end > s.begin && index.At(s.begin) == '(' &&
           index.At(s.end - 1) == ')') {
        // The first "(" closing before the last byte means they do not enclose everything.
        const std::int32_t close = index.MatchOf(s.begin);
        if (close != -1 && close <= s.end - 2) break;
        ++s.begin;
        --s.end;
    }
    return s;
}

struct Task {
    Segment text;
    NodeId target;     // the node to fill, or the parent of the node to append
    bool appendFirst;  // append a new child (or top-level node) of `target` and fill that
    // What the split of the parent's text proved about this text while no parentheses are
    // stripped from it: no operator of a class below firstClass stands at its depth zero, and
    // when `before` is an entry of that class, its last occurrence is the entry before it.
    int firstClass = kSemicolon;
    std::int32_t before = -1;
};

}  // namespace

void CheckExpressionSize(std::string_view text) {
    if (text.size() > kMaxExpressionBytes) throw PipelineError(kTooLargeMessage);
}

void ParseExpression(std::string_view text, TreeContainer& tree, NodeId node) {
    CheckExpressionSize(text);
    // What the parse holds besides the tree (the index, the work stack) counts against the
    // run's memory until it ends; each part is charged before it is allocated.
    ScopedCharge charge(tree.Budget());
    const IndexPlan plan(text);
    charge.Add(plan.KeptBytes() + plan.ScratchBytes());
    const TextIndex index(text, plan);
    charge.Release(plan.ScratchBytes());

    std::vector<Task> work;
    auto push = [&](const Task& task) {
        MakeRoom(work, 1, charge);
        work.push_back(task);
    };
    push({Segment{false, 0, static_cast<std::int32_t>(text.size())}, node, false});

    // The label of a text that no split relabels: the text, cut to 23 bytes.
    auto cutLabel = [&index](const Segment& s) {
        return index.TextOf(s, 0, std::min<std::int32_t>(s.Length(), kLeafLabelLength));
    };
    while (!work.empty()) {
        const Task task = work.back();
        work.pop_back();
        // The node a task fills: given, or appended now, with the label its rule decides. It is
        // appended before the tasks of its children run, which keeps the order of the nodes.
        NodeId target = task.target;
        auto fill = [&](std::string label) {
            if (task.appendFirst) {
                target = tree.AppendChild(task.target, std::move(label));
            } else {
                tree.SetLabel(target, std::move(label));
            }
        };

        Segment s = StripSegment(index, task.text);
        const std::int32_t n = s.Length();
        if (n == 0) {  // the node keeps the label it had, empty for a new one
            if (task.appendFirst) tree.AppendChild(task.target, "");
            continue;
        }
        if (!s.zeroPrefix && index.At(s.begin) == '-') s.zeroPrefix = true;  // -x is 0-x
        // Stripping moves the depth, and with it what the parent's split proved.
        const bool unstripped = s.begin == task.text.begin;
        const int firstClass = unstripped ? task.firstClass : kSemicolon;
        const std::int32_t before = unstripped ? task.before : -1;
        const bool maySplit = index.NextSplit(s.begin) < s.end;

        // ";" splits at its first occurrence: the left part refills this node, the right part
        // becomes a new node after it at the same level. The node shows the whole text, cut,
        // unless the left part relabels it.
        if (const std::int32_t p = maySplit && firstClass == kSemicolon
                                       ? index.First(kSemicolon, s, s.begin, s.end - 1)
                                       : -1;
            p != -1) {
            fill(cutLabel(s));
            push({Segment{false, p + 1, s.end}, tree.Parent(target), true});
            push({Segment{s.zeroPrefix, s.begin, p}, target, false, kColon});
            continue;
        }

        // Two-operand operators, loosest first, each split at its last occurrence; "=" and the
        // comparisons need a byte on either side, so they never stand first or last.
        int cls = std::max(firstClass, static_cast<int>(kColon));
        std::int32_t entry = -1;
        for (; maySplit && cls < kClassCount; ++cls) {
            const bool inner = cls == kAssign || cls == kComparison;
            const std::int32_t lo = inner ? s.begin + 1 : s.begin;
            const std::int32_t hi = inner ? s.end - 2 : s.end - 1;
            entry = cls == firstClass && before != -1 ? index.EntryBefore(cls, before, s, lo, hi)
                                                      : index.LastEntry(cls, s, lo, hi);
            if (entry != -1) break;
        }
        if (entry != -1) {
            const std::int32_t at = index.Position(cls, entry);
            // "==", "!=", ">=", "<=" take two bytes.
            const std::int32_t width = cls == kComparison && index.At(at + 1) == '=' ? 2 : 1;
            fill(std::string(
                text.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(width))));
            // The right operand follows the last occurrence, the left one ends at it.
            push({Segment{false, at + width, s.end}, target, true, cls + 1});
            push({Segment{s.zeroPrefix, s.begin, at}, target, true, cls, entry});
            continue;
        }

        // A call f(...) or an index m[...]: the first bracket at any depth; the argument runs
        // to the byte before the last, whatever that last byte is.
        if (const std::int32_t q = index.NextOpen(s.begin); q < s.end) {
            const std::int32_t nameLength = q - s.begin + (s.zeroPrefix ? 1 : 0);
            // The name is the only label not cut short, as long as the text: charged before
            // it is made, until the node has taken it over and charged it itself.
            const std::size_t heap = StringHeapBytes(static_cast<std::size_t>(nameLength) + 3);
            charge.Add(heap);
            fill(index.TextOf(s, 0, nameLength, index.At(q) == '(' ? " @F" : " @A"));
            charge.Release(heap);
            push({Segment{false, q + 1, std::max(q + 1, s.end - 1)}, target, true});
            continue;
        }
        fill(cutLabel(s));  // a leaf
    }
}

namespace {

// The kind suffix a label's line gets: " @F", " @N" or none.
std::string_view KindSuffix(const std::string& label) {
    if (label.size() >= 3 && label.find(" @F") != std::string::npos) return {};
    if (IsNumber(label)) return " @N";
    static constexpr auto kOperatorBytes = ByteTable("+=-*/><^!&");
    for (const char c : label) {
        if (kOperatorBytes[static_cast<unsigned char>(c)]) return " @F";
    }
    return {};
}

// The line of a label, allocated at exactly its length, so that a long line holds no more heap
// than the memory budget counts (a reserve could round the block up).
std::string LineOf(const std::string& label, std::string_view suffix) {
    std::string line(label.size() + suffix.size(), '\0');
    std::copy(suffix.begin(), suffix.end(), std::copy(label.begin(), label.end(), line.begin()));
    return line;
}

}  // namespace

std::string AddKindSuffix(const std::string& label) {
    return LineOf(label, KindSuffix(label));
}

void ListSubtree(const TreeContainer& tree, NodeId node, RunBudget& budget, Listing& listing) {
    // The walk follows the sibling and parent links instead of keeping a stack: it runs while
    // the tree and the growing listing hold the most memory of the whole run. What the lines
    // take is the run's for as long as it lasts.
    ScopedCharge charge(budget);
    ForEachPreOrder(tree, node, [&](NodeId current) {
        const std::string& label = tree.Label(current);
        const std::string_view suffix = KindSuffix(label);
        charge.Add(StringHeapBytes(label.size() + suffix.size()));
        MakeRoom(listing, 1, charge);
        listing.push_back(LineOf(label, suffix));
    });
    charge.Keep();
}

std::vector<NodeId> ListedNodes(const TreeContainer& tree, NodeId node, ScopedCharge& charge) {
    std::vector<NodeId> nodes;
    ForEachPreOrder(tree, node, [&](NodeId current) {
        MakeRoom(nodes, 1, charge);
        nodes.push_back(current);
    });
    return nodes;
}

std::size_t ListingBytes(const Listing& listing) {
    std::size_t bytes = listing.capacity() * sizeof(std::string);
    for (const std::string& line : listing)
        bytes += StringHeapBytes(line.capacity());
    return bytes;
}

void BuildTree(std::string_view text, TreeContainer& tree) {
    CheckExpressionSize(text);
    tree.Clear();
    tree.AddFirstTopLevel("");
    // The root is looked up afresh for every pass; no pass ever replaces it.
    ParseExpression(text, tree, tree.FirstTopLevel());
    // Every "diff @F" label the parser can make ("diff(" before an argument, or the leaf text
    // "diff @F" itself) comes from the bytes "diff" in the text; without them the pass would
    // only walk the tree.
    if (text.find("diff") != std::string_view::npos) ExpandDiff(tree, tree.FirstTopLevel());
    SimplifyTree(tree, tree.FirstTopLevel());
}

Listing BuildListing(std::string_view text, TreeContainer& tree) {
    BuildTree(text, tree);
    return ListTree(tree);
}

Listing ListTree(TreeContainer& tree) {
    // The listing is part of the run: it counts against the run's memory as it grows. It holds
    // one line per node of the root's subtree, at most the whole tree.
    Listing listing;
    tree.Budget().ChargeMemory(tree.NodeCount() * sizeof(std::string));
    listing.reserve(tree.NodeCount());
    ListSubtree(tree, tree.FirstTopLevel(), tree.Budget(), listing);
    return listing;
}

}  // namespace rivo::expr

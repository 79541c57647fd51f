#include "diagram/evaluator.h"

#include <cstdint>

namespace rivo::diagram {

namespace {

// Leading and trailing bytes up to 32 removed. Upper-casing a-z is left to the comparisons
// below, which then need no copy of the line.
std::string_view Trimmed(std::string_view line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && static_cast<unsigned char>(line[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(line[end - 1]) <= 32)
        --end;
    return line.substr(begin, end - begin);
}

char UpperCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The operator byte of a line that reads "+ @F", "* @F" or "- @F" once upper-cased, else 0.
char OperatorOf(std::string_view line) {
    if (line.size() != 4 || line[1] != ' ' || line[2] != '@' || UpperCase(line[3]) != 'F') {
        return 0;
    }
    return line[0] == '+' || line[0] == '*' || line[0] == '-' ? line[0] : 0;
}

// The codes of a size's sets, one bit each: bit (code - the size's first code). Every set the
// stack meets is a variable's set or a combination of them, so one word holds any of them and
// a deep stack needs no heap per entry.
constexpr char FirstCode(DiagramSize size) {
    return LayoutOf(size).codes.front();
}

// The layout already keeps every set within its size's codes; the bits need those codes to
// run on without gaps and to number no more than 32.
constexpr bool CodesFitOneWord() {
    for (const DiagramLayout& layout : kDiagramLayouts) {
        const std::string_view codes = layout.codes;
        if (codes.empty() || codes.size() > 32) return false;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (codes[i] != codes.front() + static_cast<int>(i)) return false;
        }
    }
    return true;
}
static_assert(CodesFitOneWord());

struct Entry {
    std::uint32_t codes = 0;
    // The variable whose set this is, 0 for a combination: a variable's set is the result as
    // stored, not canonical.
    char letter = 0;
};

std::uint32_t Union(std::uint32_t a, std::uint32_t b) {
    return a | b;
}
std::uint32_t Intersection(std::uint32_t a, std::uint32_t b) {
    return a & b;
}
std::uint32_t Difference(std::uint32_t a, std::uint32_t b) {
    return a & ~b;
}

// The region stack. Slot 0 is the spare slot and entries occupy slots 1 to depth. Slots keep
// their content when the depth falls below them: the result is slot 1 whatever the depth.
// The stack grows as needed instead of stopping at 128 entries, which would silently paint a
// wrong picture for a long union; within 128 entries the steps are the same. Room for every
// line is reserved at the start, so the stack holds exactly EvaluationBytes.
class RegionStack {
  public:
    RegionStack(DiagramSize size, std::size_t lineCount) : size_(size), first_(FirstCode(size)) {
        slots_.reserve(lineCount + 1);
        slots_.emplace_back();
    }

    void Push(char letter, std::string_view set) {
        Entry entry{0, letter};
        for (const char code : set)
            entry.codes |= std::uint32_t{1} << (code - first_);
        if (depth_ + 1 == slots_.size()) {
            slots_.push_back(entry);
        } else {
            slots_[depth_ + 1] = entry;
        }
        ++depth_;
    }

    // Combines the top entry (first argument) with the one below it, or with the spare slot
    // when only one entry is left, which leaves the bottom entry as it is. With no entry there
    // is nothing to combine and the line is skipped.
    void Combine(std::uint32_t (*op)(std::uint32_t, std::uint32_t)) {
        if (depth_ == 0) return;
        slots_[depth_ - 1] = Entry{op(slots_[depth_].codes, slots_[depth_ - 1].codes), 0};
        --depth_;
    }

    // A combination is canonical: its codes ascending.
    std::string Result() const {
        if (slots_.size() < 2) return {};
        const Entry& result = slots_[1];
        if (result.letter != 0) return std::string(*VariableSet(size_, result.letter));
        std::string codes;
        for (int bit = 0; bit < 32; ++bit) {
            if ((result.codes >> bit & 1u) != 0) codes += static_cast<char>(first_ + bit);
        }
        return codes;
    }

  private:
    DiagramSize size_;
    char first_;
    std::vector<Entry> slots_;
    std::size_t depth_ = 0;
};

}  // namespace

std::size_t EvaluationBytes(std::size_t lineCount) {
    return (lineCount + 1) * sizeof(Entry);
}

std::string EvaluateListing(const std::vector<std::string>& lines, DiagramSize size) {
    RegionStack stack(size, lines.size());
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string_view line = Trimmed(*it);
        if (line.empty()) continue;
        switch (OperatorOf(line)) {
            case '+':
                stack.Combine(Union);
                continue;
            case '*':
                stack.Combine(Intersection);
                continue;
            case '-':
                stack.Combine(Difference);
                continue;
            default:
                break;
        }
        // Only the first letter counts: "apple" and "abs @F" push A, "cos @F" pushes C.
        const char letter = UpperCase(line[0]);
        if (const auto set = VariableSet(size, letter)) stack.Push(letter, *set);
    }
    return stack.Result();
}

}  // namespace rivo::diagram

#include "diagram/evaluator.h"

#include "diagram/region_set.h"

namespace rivo::diagram {

namespace {

// Region sets of the variables A to E, per size; the membership they encode is also the
// geometry of the templates.
constexpr std::string_view kThree[] = {"1245", "2356", "4567"};
constexpr std::string_view kFour[] = {"ABCDEFG", "CDFGJKL", "MIJKEFG", "HBCEFIJ"};
constexpr std::string_view kFive[] = {"ABCDEFGHIJK", "CDMFHIGKPQR", "JGHIKOPQRTU", "NEFJGKOPQST",
                                      "LBCNEFHJGOP"};

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

// The region stack. Slot 0 is the spare slot and entries occupy slots 1 to depth. Slots keep
// their content when the depth falls below them: the result is slot 1 whatever the depth.
// The stack grows as needed instead of stopping at 128 entries, which would silently paint a
// wrong picture for a long union; within 128 entries the steps are the same.
class RegionStack {
  public:
    void Push(std::string_view set) {
        if (depth_ + 1 == slots_.size()) {
            slots_.emplace_back(set);
        } else {
            slots_[depth_ + 1] = set;
        }
        ++depth_;
    }

    // Combines the top entry (first argument) with the one below it, or with the spare slot
    // when only one entry is left, which leaves the bottom entry as it is. With no entry there
    // is nothing to combine and the line is skipped.
    void Combine(std::string (*op)(std::string, std::string)) {
        if (depth_ == 0) return;
        // Slot 1 must survive a step at depth 1 (it is the result); a higher top slot is
        // written again before anything reads it, so its set can move.
        std::string top = depth_ == 1 ? slots_[1] : std::move(slots_[depth_]);
        slots_[depth_ - 1] = op(std::move(top), std::move(slots_[depth_ - 1]));
        --depth_;
    }

    std::string Result() const { return slots_.size() > 1 ? slots_[1] : std::string(); }

  private:
    std::vector<std::string> slots_{std::string()};
    std::size_t depth_ = 0;
};

}  // namespace

std::optional<std::string_view> VariableSet(DiagramSize size, char letter) {
    const auto index = static_cast<std::size_t>(letter - 'A');
    if (letter < 'A' || index >= static_cast<std::size_t>(CircleCount(size))) return std::nullopt;
    switch (size) {
        case DiagramSize::kThree:
            return kThree[index];
        case DiagramSize::kFour:
            return kFour[index];
        case DiagramSize::kFive:
            return kFive[index];
    }
    return std::nullopt;
}

std::string EvaluateListing(const std::vector<std::string>& lines, DiagramSize size) {
    RegionStack stack;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string_view line = Trimmed(*it);
        if (line.empty()) continue;
        switch (OperatorOf(line)) {
            case '+':
                stack.Combine(RegionUnion);
                continue;
            case '*':
                stack.Combine(RegionIntersection);
                continue;
            case '-':
                stack.Combine(RegionDifference);
                continue;
            default:
                break;
        }
        // Only the first letter counts: "apple" and "abs @F" push A, "cos @F" pushes C.
        if (const auto set = VariableSet(size, UpperCase(line[0]))) stack.Push(*set);
    }
    return stack.Result();
}

}  // namespace rivo::diagram

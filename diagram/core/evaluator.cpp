#include "diagram/core/evaluator.h"

#include <algorithm>
#include <optional>

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

struct Entry {
    ZoneSet zones = 0;
    // The variable whose set this is, 0 for a combination: a variable's region set is the result
    // as stored, not canonical.
    char letter = 0;
};

ZoneSet Union(ZoneSet a, ZoneSet b) {
    return a | b;
}
ZoneSet Intersection(ZoneSet a, ZoneSet b) {
    return a & b;
}
ZoneSet Difference(ZoneSet a, ZoneSet b) {
    return a & ~b;
}

// The zone stack. Slot 0 is the spare slot and entries occupy slots 1 to depth. Slots keep
// their content when the depth falls below them: the result is slot 1 whatever the depth.
// The stack grows as needed instead of stopping at 128 entries, which would silently paint a
// wrong picture for a long union; within 128 entries the steps are the same. Room for every
// line is reserved at the start, so the stack holds exactly EvaluationBytes.
class ZoneStack {
  public:
    explicit ZoneStack(std::size_t lineCount) {
        slots_.reserve(lineCount + 1);
        slots_.emplace_back();
    }

    void Push(Entry entry) {
        if (depth_ + 1 == slots_.size()) {
            slots_.push_back(entry);
        } else {
            slots_[depth_ + 1] = entry;
        }
        ++depth_;
    }

    // Combines the top entry (first argument) with the one below it, or with the spare slot
    // when only one entry is left, which leaves the bottom entry as it is. With no entry there
    // is nothing to combine, the line is skipped and nothing is returned.
    std::optional<ZoneSet> Combine(ZoneSet (*op)(ZoneSet, ZoneSet)) {
        if (depth_ == 0) return std::nullopt;
        slots_[depth_ - 1] = Entry{op(slots_[depth_].zones, slots_[depth_ - 1].zones), 0};
        --depth_;
        return slots_[depth_].zones;
    }

    std::size_t Depth() const { return depth_; }

    ZoneEvaluation Result() const {
        if (slots_.size() < 2) return {};
        return {slots_[1].zones, slots_[1].letter};
    }

  private:
    std::vector<Entry> slots_;
    std::size_t depth_ = 0;
};

// The operation of a line that reads "+ @F", "* @F" or "- @F" once upper-cased, else none.
ZoneSet (*OperationOf(std::string_view line))(ZoneSet, ZoneSet) {
    if (line.size() != 4 || line[1] != ' ' || line[2] != '@' || UpperCase(line[3]) != 'F') {
        return nullptr;
    }
    switch (line[0]) {
        case '+':
            return Union;
        case '*':
            return Intersection;
        case '-':
            return Difference;
        default:
            return nullptr;
    }
}

// Keeps the lines of one kind of a ReadingReport while the listing is read from its end: the
// last kQuoted recorded, in a ring, are the first in listing order.
class QuotedLines {
  public:
    QuotedLines(std::array<std::size_t, ReadingReport::kQuoted>& lines, std::size_t& count)
        : lines_(lines), count_(count) {}

    void Add(std::size_t index) { lines_[count_++ % lines_.size()] = index; }

    // Puts the kept lines in listing order at the front.
    void Finish() {
        const std::size_t kept = std::min(count_, lines_.size());
        std::array<std::size_t, ReadingReport::kQuoted> ordered{};
        // The newest entry has the smallest index; going back through the ring goes forward
        // through the listing.
        for (std::size_t i = 0; i < kept; ++i)
            ordered[i] = lines_[(count_ - 1 - i) % lines_.size()];
        lines_ = ordered;
    }

  private:
    std::array<std::size_t, ReadingReport::kQuoted>& lines_;
    std::size_t& count_;
};

}  // namespace

std::size_t EvaluationBytes(std::size_t lineCount) {
    return (lineCount + 1) * sizeof(Entry);
}

std::size_t StepBytes(std::size_t lineCount) {
    return lineCount * sizeof(EvaluationStep);
}

ZoneEvaluation EvaluateZones(const std::vector<std::string>& lines, int circles,
                             std::vector<EvaluationStep>* steps, ReadingReport* report) {
    ZoneStack stack(lines.size());
    if (steps != nullptr) steps->clear();
    if (report != nullptr) *report = {};
    ReadingReport unused;
    ReadingReport& into = report != nullptr ? *report : unused;
    QuotedLines skipped(into.skippedLines, into.skipped);
    QuotedLines misread(into.misreadLines, into.misread);
    for (std::size_t index = lines.size(); index-- > 0;) {
        const std::string_view line = Trimmed(lines[index]);
        if (line.empty()) {
            if (report != nullptr) skipped.Add(index);
            continue;
        }
        if (const auto operation = OperationOf(line)) {
            // With one entry the operator still runs (against the spare slot), but it combines
            // nothing the text holds: to a reader, it was skipped.
            if (report != nullptr && stack.Depth() < 2) skipped.Add(index);
            const auto combined = stack.Combine(operation);
            if (combined && steps != nullptr) steps->push_back({index, *combined});
            continue;
        }
        // Only the first letter counts: "apple" and "abs @F" push A, "cos @F" pushes C.
        const char letter = UpperCase(line[0]);
        if (letter >= 'A' && letter - 'A' < circles) {
            stack.Push({ZonesOfCircle(circles, letter - 'A'), letter});
            if (report != nullptr && line.size() > 1) misread.Add(index);
        } else if (report != nullptr) {
            skipped.Add(index);
        }
    }
    if (report != nullptr) {
        skipped.Finish();
        misread.Finish();
    }
    return stack.Result();
}

std::string RegionSetOf(DiagramSize size, const ZoneEvaluation& evaluation) {
    if (evaluation.letter != 0) return std::string(*VariableSet(size, evaluation.letter));
    return RegionsOfZones(size, evaluation.zones);
}

std::string EvaluateListing(const std::vector<std::string>& lines, DiagramSize size) {
    return RegionSetOf(size, EvaluateZones(lines, size));
}

}  // namespace rivo::diagram

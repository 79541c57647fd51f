#include "cli/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <new>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "expr/error.h"
#include "expr/text.h"
#include "expr/tree.h"

namespace rivo::cli {

bool LineReader::Fill() {
    begin_ = 0;
    end_ = 0;
    while (!ended_) {
        const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            throw InputError{"cannot read the input: " +
                             std::error_code(errno, std::generic_category()).message()};
        }
        if (got == 0) {
            ended_ = true;
            break;
        }
        end_ = static_cast<std::size_t>(got);
        return true;
    }
    return false;
}

bool LineReader::Next(std::string& text, bool& tooLong, std::size_t limit) {
    text.clear();
    tooLong = false;
    // One byte more than the limit is kept: it may be the carriage return of a line of exactly
    // `limit` bytes.
    const std::size_t kept = limit + 1;
    std::size_t total = 0;
    char lastByte = '\0';
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) break;
        any = true;
        const char* first = buffer_ + begin_;
        const char* last = buffer_ + end_;
        const char* newline = std::find(first, last, '\n');
        const auto length = static_cast<std::size_t>(newline - first);
        if (length > 0) {
            if (text.size() < kept) text.append(first, std::min(length, kept - text.size()));
            total += length;
            lastByte = newline[-1];
        }
        begin_ += length;
        if (newline != last) {
            ++begin_;
            break;
        }
    }
    if (!any) return false;
    ++lineNumber_;
    const std::size_t length = total - (lastByte == '\r' ? 1 : 0);
    if (length > limit) {
        tooLong = true;
        text.resize(std::min(text.size(), limit));
    } else {
        text.resize(length);
    }
    return true;
}

bool IsSkippedLine(const std::string& text) {
    if (!text.empty() && text.front() == '#') return true;
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

void ReportLine(std::size_t line, const std::string& message) {
    std::cerr << "rivo-cli: line " << line << ": " << expr::WithFullStop(message) << '\n';
}

std::optional<diagram::Drawing> DrawLine(diagram::DiagramSize size, std::string_view text,
                                         std::size_t line) {
    try {
        expr::RunBudget budget;
        expr::TreeContainer tree(budget);
        std::vector<std::string> listing;
        return diagram::EvaluateDiagram(size, text, tree, listing);
    } catch (const expr::PipelineError& e) {
        ReportLine(line, e.what());
    } catch (const std::bad_alloc&) {
        ReportLine(line, expr::kTooLargeMessage);
    }
    return std::nullopt;
}

}  // namespace rivo::cli

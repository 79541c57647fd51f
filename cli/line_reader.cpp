#include "cli/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "expr/error.h"
#include "expr/text.h"

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

void LineReader::SkipRestOfLine() {
    skipping_ = false;
    std::size_t skipped = 0;
    for (;;) {
        if (begin_ == end_ && !Fill()) return;
        const char* first = buffer_ + begin_;
        const auto* newline = static_cast<const char*>(std::memchr(first, '\n', end_ - begin_));
        if (newline != nullptr) {
            begin_ += static_cast<std::size_t>(newline - first) + 1;
            return;
        }
        skipped += end_ - begin_;
        begin_ = end_;
        if (skipped > kMaxSkippedBytes) {
            throw InputError{"line " + std::to_string(lineNumber_) + " has no end within " +
                             std::to_string(kMaxSkippedBytes >> 20) +
                             " MiB: the input is not read further"};
        }
    }
}

bool LineReader::Next(std::string& text, bool& tooLong, std::size_t limit) {
    text.clear();
    tooLong = false;
    if (skipping_) SkipRestOfLine();
    // A byte past the limit refuses the line, unless it is a carriage return: that may end a
    // line of exactly `limit` bytes, which the byte after it tells.
    const std::size_t most = limit + 2;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) break;
        any = true;
        const char* first = buffer_ + begin_;
        const std::size_t room = std::min(end_ - begin_, most - text.size());
        const auto* newline = static_cast<const char*>(std::memchr(first, '\n', room));
        const std::size_t length =
            newline != nullptr ? static_cast<std::size_t>(newline - first) : room;
        text.append(first, length);
        begin_ += length;
        if (newline != nullptr) {
            ++begin_;
            break;
        }
        if (text.size() > limit + 1 || (text.size() == limit + 1 && text.back() != '\r')) {
            tooLong = true;
            skipping_ = true;
            break;
        }
    }
    if (!any) return false;
    ++lineNumber_;
    if (!tooLong && !text.empty() && text.back() == '\r') text.pop_back();
    // A line of one byte more than the limit may have ended with the read that found it.
    if (text.size() > limit) {
        tooLong = true;
        text.resize(limit);
    }
    return true;
}

namespace {

// The length of the white space character that `text` begins with, 0 for anything else.
std::size_t BlankLength(std::string_view text) {
    static constexpr auto kAsciiBlank = expr::ByteTable(" \t\v\f\r");
    if (kAsciiBlank[static_cast<unsigned char>(text.front())]) return 1;
    static constexpr std::string_view kWide[] = {
        "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006",
        "\u2007", "\u2008", "\u2009", "\u200A", "\u202F", "\u205F", "\u3000", "\uFEFF"};
    for (const std::string_view wide : kWide) {
        if (text.starts_with(wide)) return wide.size();
    }
    return 0;
}

}  // namespace

bool IsSkippedLine(std::string_view text) {
    if (!text.empty() && text.front() == '#') return true;
    while (!text.empty()) {
        const std::size_t blank = BlankLength(text);
        if (blank == 0) return false;
        text.remove_prefix(blank);
    }
    return true;
}

void ReportLine(std::size_t line, const std::string& message) {
    // One write: standard error is unbuffered, and a file of failing lines has many of them.
    std::cerr << "rivo-cli: line " + std::to_string(line) + ": " + expr::WithFullStop(message) +
                     '\n';
}

LineDrawing DrawLine(int circles, std::string_view text, std::size_t line,
                     expr::TreeContainer& tree) {
    LineDrawing result;
    try {
        tree.Budget().ChargeWork(kLineWork);
        std::vector<std::string> listing;
        result.drawing = diagram::EvaluateDrawing(circles, text, tree, listing);
    } catch (const expr::PipelineError& e) {
        ReportLine(line, e.what());
        result.tooLarge = std::string_view(e.what()) == expr::kTooLargeMessage;
    } catch (const std::bad_alloc&) {
        ReportLine(line, expr::kTooLargeMessage);
        result.tooLarge = true;
    }
    return result;
}

}  // namespace rivo::cli

#include "diagram/core/reading_note.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "diagram/core/utf8.h"

namespace rivo::diagram {

namespace {

// Leading and trailing bytes up to 32 removed, as the evaluator reads a line.
std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

constexpr std::string_view kEmptyOperand = "an empty operand";

bool HoldsOperatorByte(std::string_view label) {
    return label.find_first_of("+=-*/><^!&") != std::string_view::npos;
}

// The text in double quotes: " and \ escaped, every byte of a character that is not UTF-8 or
// that a terminal would not show (controls, direction marks, ...) as \xNN, and after
// kMaxNotedCharacters characters "…".
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (characters++ == kMaxNotedCharacters) {
            out += "\u2026";
            break;
        }
        const utf8::CodePoint c = utf8::DecodeAt(text, i);
        if (c.valid && (c.value == U'"' || c.value == U'\\')) {
            out += '\\';
            out += text[i];
        } else if (c.valid && utf8::IsVisible(c.value)) {
            out.append(text, i, c.length);
        } else {
            for (std::size_t k = 0; k < c.length; ++k) {
                std::array<char, 5> escape{};
                std::snprintf(escape.data(), escape.size(), "\\x%02X",
                              static_cast<unsigned>(static_cast<unsigned char>(text[i + k])));
                out += escape.data();
            }
        }
        i += c.length;
    }
    return out + '"';
}

// "a", "a, b", then " and K more" for the parts not quoted.
void AppendList(std::string& out, const std::vector<std::string>& parts, std::size_t count) {
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i == 0 ? "" : ", ") + parts[i];
    if (count > parts.size()) out += " and " + std::to_string(count - parts.size()) + " more";
}

}  // namespace

std::string QuotedPart(std::string_view line) {
    const std::string_view trimmed = Trimmed(line);
    const auto strip = [&](std::string_view suffix) -> std::optional<std::string_view> {
        if (!line.ends_with(suffix)) return std::nullopt;
        return Trimmed(line.substr(0, line.size() - suffix.size()));
    };
    if (const auto number = strip(" @N")) {
        return number->empty() ? std::string(kEmptyOperand) : Quoted(*number);
    }
    if (const auto index = strip(" @A")) return Quoted(std::string(*index) + "[");
    if (const auto function = strip(" @F")) {
        // The simplifier's name for the unary minus, which the text wrote as "-".
        if (*function == "neg") return Quoted("-");
        // An operator (or a leaf holding one) as it stands; a call as its name and bracket.
        if (HoldsOperatorByte(*function)) return Quoted(*function);
        return Quoted(std::string(*function) + "(");
    }
    return trimmed.empty() ? std::string(kEmptyOperand) : Quoted(trimmed);
}

std::string ReadingNote(const std::vector<std::string>& listing, const ReadingReport& report) {
    if (report.Empty()) return {};
    // An empty text is the empty set as asked: its one line is an empty operand, and nothing
    // was misread.
    if (listing.size() == 1 && QuotedPart(listing.front()) == kEmptyOperand) return {};
    // The skipped parts first, but each kind gets a quote.
    const std::size_t quotedSkipped =
        std::min(report.skipped, kMaxNotedParts - (report.misread > 0 ? 1 : 0));
    const std::size_t quotedMisread = std::min(report.misread, kMaxNotedParts - quotedSkipped);
    std::string note = "the diagram ";
    if (report.skipped > 0) {
        std::vector<std::string> parts;
        for (std::size_t i = 0; i < quotedSkipped; ++i)
            parts.push_back(QuotedPart(listing.at(report.skippedLines[i])));
        note += "skipped ";
        AppendList(note, parts, report.skipped);
    }
    if (report.misread > 0) {
        if (report.skipped > 0) note += "; ";
        std::vector<std::string> parts;
        for (std::size_t i = 0; i < quotedMisread; ++i) {
            const std::string& line = listing.at(report.misreadLines[i]);
            // The variable pushed, by its first letter, named as the language names it.
            const char letter = Trimmed(line).front();
            const char variable =
                letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
            parts.push_back(QuotedPart(line) + " as " + variable);
        }
        note += "read ";
        AppendList(note, parts, report.misread);
    }
    return note;
}

}  // namespace rivo::diagram

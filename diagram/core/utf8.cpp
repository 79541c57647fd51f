#include "diagram/core/utf8.h"

#include <array>
#include <cstdio>

namespace rivo::diagram::utf8 {

CodePoint DecodeAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1, true};
    std::size_t length = 0;
    char32_t value = 0;
    // The second byte's range depends on the lead: it rules out overlong forms, surrogates and
    // code points past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {};
    }
    if (text.size() - i < length) return {};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return {};
        value = (value << 6) | (next & 0x3Fu);
    }
    return {value, length, true};
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const CodePoint point = DecodeAt(text, i);
        i += point.valid ? point.length : 1;
    }
    return count;
}

bool IsBlank(char32_t c) {
    if (c == U' ' || (c >= U'\t' && c <= U'\r')) return true;
    switch (c) {
        case U'\u0085':  // next line
        case U'\u00A0':  // no-break space
        case U'\u1680':  // ogham space mark
        case U'\u2028':  // line separator
        case U'\u2029':  // paragraph separator
        case U'\u202F':  // narrow no-break space
        case U'\u205F':  // medium mathematical space
        case U'\u3000':  // ideographic space
        case U'\uFEFF':  // byte order mark, zero-width no-break space
            return true;
        default:
            return c >= U'\u2000' && c <= U'\u200B';  // en quad to zero-width space
    }
}

bool IsVisible(char32_t c) {
    struct Range {
        char32_t first;
        char32_t last;
    };
    static constexpr std::array<Range, 13> kInvisible = {{
        {0x0000, 0x001F},    // C0 controls
        {0x007F, 0x009F},    // delete, C1 controls
        {0x0300, 0x036F},    // combining diacritical marks
        {0x200B, 0x200F},    // zero-width characters, direction marks
        {0x2028, 0x202E},    // line separators, direction embeddings
        {0x2060, 0x206F},    // word joiner, invisible operators, direction isolates
        {0xFE00, 0xFE0F},    // variation selectors
        {0xFEFF, 0xFEFF},    // zero-width no-break space
        {0xFFF9, 0xFFFB},    // interlinear annotation
        {0xFFFE, 0xFFFF},    // noncharacters
        {0xE0000, 0xE007F},  // tags
        {0xE0100, 0xE01EF},  // variation selectors supplement
        {0x1D173, 0x1D17A},  // musical formatting
    }};
    for (const Range& range : kInvisible) {
        if (c >= range.first && c <= range.last) return false;
    }
    return true;
}

std::string CodePointName(char32_t c) {
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "U+%04X", static_cast<unsigned>(c));
    return buffer.data();
}

}  // namespace rivo::diagram::utf8

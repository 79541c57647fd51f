// UTF-8 as the set-notation reader and its error report need it: code points decoded strictly,
// and which characters are blank or show nothing on a terminal. The standard library only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rivo::diagram::utf8 {

// A decoded character: its code point and length in bytes, or not valid (then length 1: a byte
// that begins no well-formed sequence counts as one character of its own).
struct CodePoint {
    char32_t value = 0;
    std::size_t length = 1;
    bool valid = false;
};

// The character at byte `i` (< text.size()). Overlong forms, surrogates and code points past
// U+10FFFF are not valid.
CodePoint DecodeAt(std::string_view text, std::size_t i);

// The characters of a text, each byte that is not UTF-8 counting as one.
std::size_t CharacterCount(std::string_view text);

// White space between tokens: the ASCII blanks and line breaks, and the Unicode spaces a paste
// brings (no-break, the typographic spaces, the ideographic space, zero-width space and the byte
// order mark).
bool IsBlank(char32_t c);

// False for characters that show nothing or act on a terminal: controls, line separators,
// zero-width and direction marks, combining marks standing alone, variation selectors, tags.
bool IsVisible(char32_t c);

// "U+00A0": the code point as a reader may look it up.
std::string CodePointName(char32_t c);

}  // namespace rivo::diagram::utf8

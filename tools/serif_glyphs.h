// Bitmaps of the serif capitals that name the circles, drawn by hand so that the templates do
// not depend on any installed font.
#pragma once

#include <span>
#include <string_view>

namespace rivo::tools {

struct Glyph {
    char letter;
    std::span<const std::string_view> rows;  // top to bottom; '#' is black, '.' is white
};

// The glyph of a letter that fills a box of exactly that many columns and rows, or nullptr.
const Glyph* FindGlyph(char letter, int width, int height);

}  // namespace rivo::tools

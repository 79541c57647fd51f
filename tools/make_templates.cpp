// Draws the three diagram templates from the circle and letter tables and writes them as
// 4-bit BMP files: rivo-make-templates OUTPUT_DIRECTORY. The output is the same on every run
// and machine, so the committed pictures can be checked against a fresh run.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/template_layout.h"
#include "tools/serif_glyphs.h"

namespace {

using rivo::diagram::CircleOutline;
using rivo::diagram::DiagramSize;
using rivo::diagram::kTemplateHeight;
using rivo::diagram::kTemplateWidth;
using rivo::diagram::OutlineCurve;

// Indices into the standard 16-colour palette.
enum PaletteIndex : std::uint8_t {
    kBlack = 0,
    kOlive = 3,
    kTeal = 6,
    kGrey = 7,
    kSilver = 8,
    kYellow = 11,
    kWhite = 15,
};

// (red, green, blue) of the standard 16-colour palette, index order.
constexpr std::array<std::array<std::uint8_t, 3>, 16> kPalette = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {128, 128, 128},
    {192, 192, 192},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

class Canvas {
  public:
    Canvas() : pixels_(static_cast<std::size_t>(kTemplateWidth * kTemplateHeight), kWhite) {}

    std::uint8_t At(int x, int y) const { return pixels_[Index(x, y)]; }
    void Set(int x, int y, std::uint8_t colour) { pixels_[Index(x, y)] = colour; }

  private:
    static std::size_t Index(int x, int y) {
        if (x < 0 || x >= kTemplateWidth || y < 0 || y >= kTemplateHeight) {
            throw std::out_of_range("pixel outside the template");
        }
        return static_cast<std::size_t>(y * kTemplateWidth + x);
    }

    std::vector<std::uint8_t> pixels_;
};

struct Pixel {
    int x;
    int y;
};

// The pixels of one outline: the thin curve itself, and the pixels added where the curve steps
// diagonally, so that consecutive pixels share an edge and the ring stays closed even to a fill
// that only looks at the four side neighbours.
struct Ring {
    std::vector<Pixel> curve;
    std::vector<Pixel> steps;
};

int RoundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

Ring TraceRing(const rivo::diagram::PixelBox& box) {
    const OutlineCurve c = rivo::diagram::CurveOf(box);
    const int width = box.right - box.left + 1;
    const int height = box.bottom - box.top + 1;
    std::vector<bool> on(static_cast<std::size_t>(width * height), false);
    auto cell = [&](int x, int y) {
        return static_cast<std::size_t>((y - box.top) * width + (x - box.left));
    };
    auto isOn = [&](int x, int y) {
        return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom && on[cell(x, y)];
    };
    Ring ring;
    auto mark = [&](int x, int y) {
        if (!on[cell(x, y)]) {
            on[cell(x, y)] = true;
            ring.curve.push_back({x, y});
        }
    };
    // Sampling the curve once per column and once per row catches every crossing of a row or
    // column line, and keeps every pixel inside the box (the extremes land exactly on it).
    for (int x = box.left; x <= box.right; ++x) {
        const double u = (x - c.cx) / c.rx;
        const double s = std::sqrt(std::max(0.0, 1.0 - u * u));
        mark(x, RoundHalfUp(c.cy - c.ry * s));
        mark(x, RoundHalfUp(c.cy + c.ry * s));
    }
    for (int y = box.top; y <= box.bottom; ++y) {
        const double v = (y - c.cy) / c.ry;
        const double s = std::sqrt(std::max(0.0, 1.0 - v * v));
        mark(RoundHalfUp(c.cx - c.rx * s), y);
        mark(RoundHalfUp(c.cx + c.rx * s), y);
    }
    std::sort(ring.curve.begin(), ring.curve.end(),
              [](Pixel a, Pixel b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    // A diagonal step gets the corner pixel that lies nearer to the curve.
    for (const Pixel p : ring.curve) {
        for (const int dy : {-1, 1}) {
            if (!isOn(p.x + 1, p.y + dy) || isOn(p.x + 1, p.y) || isOn(p.x, p.y + dy)) continue;
            const Pixel side{p.x + 1, p.y};
            const Pixel vertical{p.x, p.y + dy};
            ring.steps.push_back(rivo::diagram::CurveDistance(c, side.x, side.y) <=
                                         rivo::diagram::CurveDistance(c, vertical.x, vertical.y)
                                     ? side
                                     : vertical);
        }
    }
    return ring;
}

struct OutlineShades {
    std::uint8_t curve;
    std::uint8_t steps;
};

// Grey with silver steps reads as a crisp line; B and C carry the accents of their circles.
OutlineShades ShadesOf(DiagramSize size, char circle) {
    if (size != DiagramSize::kThree) {
        if (circle == 'B') return {kTeal, kSilver};
        if (circle == 'C') return {kOlive, kSilver};
    }
    return {kGrey, kSilver};
}

void DrawLetters(DiagramSize size, Canvas& canvas) {
    for (const auto& place : rivo::diagram::LayoutOf(size).letters) {
        const auto& b = place.box;
        const auto* glyph =
            rivo::tools::FindGlyph(place.letter, b.right - b.left + 1, b.bottom - b.top + 1);
        if (glyph == nullptr) {
            throw std::runtime_error(std::string("no glyph for letter ") + place.letter +
                                     " of that size");
        }
        for (int row = 0; row < static_cast<int>(glyph->rows.size()); ++row) {
            const auto line = glyph->rows[static_cast<std::size_t>(row)];
            for (int col = 0; col < static_cast<int>(line.size()); ++col) {
                if (line[static_cast<std::size_t>(col)] == '#') {
                    canvas.Set(b.left + col, b.top + row, kBlack);
                }
            }
        }
    }
}

Canvas DrawTemplate(DiagramSize size) {
    Canvas canvas;
    std::vector<std::pair<Ring, OutlineShades>> rings;
    for (const CircleOutline& circle : rivo::diagram::LayoutOf(size).circles) {
        rings.emplace_back(TraceRing(circle.box), ShadesOf(size, circle.name));
    }
    // Steps first, so that where two outlines cross, the curve pixels of both stay visible.
    for (const auto& [ring, shades] : rings) {
        for (const Pixel p : ring.steps)
            canvas.Set(p.x, p.y, shades.steps);
    }
    for (const auto& [ring, shades] : rings) {
        for (const Pixel p : ring.curve)
            canvas.Set(p.x, p.y, shades.curve);
    }
    DrawLetters(size, canvas);
    return canvas;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

// A 4-bit BMP: 14-byte file header, 40-byte information header, 16 palette entries, then the
// rows bottom-up, two pixels per byte with the left one in the high nibble.
std::string EncodeBmp(const Canvas& canvas) {
    constexpr std::uint32_t kRowBytes = kTemplateWidth / 2;  // 200: already a multiple of 4
    constexpr std::uint32_t kPixelBytes = kRowBytes * kTemplateHeight;
    constexpr std::uint32_t kPixelOffset = 14 + 40 + 16 * 4;
    std::string out;
    out += "BM";
    PutLe(out, kPixelOffset + kPixelBytes, 4);
    PutLe(out, 0, 4);  // reserved
    PutLe(out, kPixelOffset, 4);
    PutLe(out, 40, 4);
    PutLe(out, kTemplateWidth, 4);
    PutLe(out, kTemplateHeight, 4);  // positive: rows bottom-up
    PutLe(out, 1, 2);                // planes
    PutLe(out, 4, 2);                // bits per pixel
    PutLe(out, 0, 4);                // no compression
    PutLe(out, kPixelBytes, 4);
    PutLe(out, 3780, 4);  // pixels per metre, both ways
    PutLe(out, 3780, 4);
    PutLe(out, 16, 4);  // colours used
    PutLe(out, 0, 4);   // important colours: all
    for (const auto& rgb : kPalette) {
        out.push_back(static_cast<char>(rgb[2]));
        out.push_back(static_cast<char>(rgb[1]));
        out.push_back(static_cast<char>(rgb[0]));
        out.push_back('\0');
    }
    for (int y = kTemplateHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kTemplateWidth; x += 2) {
            const int pair = canvas.At(x, y) << 4 | canvas.At(x + 1, y);
            out.push_back(static_cast<char>(pair));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: rivo-make-templates OUTPUT_DIRECTORY\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    try {
        for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
            const std::string bytes = EncodeBmp(DrawTemplate(size));
            const auto path = directory / std::string(rivo::diagram::LayoutOf(size).templateFile);
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            file.close();
            if (!file) {
                std::cerr << "rivo-make-templates: cannot write " << path.string() << '\n';
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "rivo-make-templates: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

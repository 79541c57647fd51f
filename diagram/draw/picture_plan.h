// Which painter makes a picture and at which size: the one rule the window and rivo-cli share.
// The template painter is the truth for the Euler layout at 400 x 400 on a plain screen; any
// other size, the hatch patterns and every other option of the renderer, a Venn layout, a
// sharper screen and the vector formats come from the geometric renderer.
#pragma once

#include <QImage>
#include <cstddef>
#include <optional>
#include <string>

#include "diagram/core/diagram_size.h"
#include "diagram/core/set_notation.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/picture_writer.h"

namespace rivo::diagram {

// What a picture is asked for.
struct PictureRequest {
    explicit PictureRequest(DiagramSize diagramSize) : kind(KindOf(diagramSize)) {}
    explicit PictureRequest(DiagramKind diagramKind) : kind(diagramKind) {}

    // How many circles, in which layout.
    DiagramKind kind;
    // The format of the file it goes to; nullptr for a picture whose raster is wanted (the
    // screen, the clipboard, or a file whose format is chosen later).
    const PictureFormat* format = nullptr;
    // A side asked for (rivo-cli --size); nothing: the template's.
    std::optional<int> side;
    // How the renderer draws it: the hatch, names, a title, one fill colour, the universe frame.
    RenderOptions options;
    // Of the screen that shows it: above 1, the raster has that many device pixels per pixel.
    double devicePixelRatio = 1.0;
};

enum class RasterPainter {
    kNone,      // a vector format: drawn, no raster at all
    kTemplate,  // the template flood-filled, 400 x 400
    kRenderer,  // the geometric renderer at the pixel side
};

struct PicturePlan {
    RasterPainter painter = RasterPainter::kNone;
    // The picture's side: pixels on the screen or in a raster file, SVG pixels, PDF points.
    int side = 0;
    // The raster's side in device pixels; 0 without a raster.
    int pixelSide = 0;

    // The bytes of the raster (32 bits a pixel); 0 without one.
    std::size_t RasterBytes() const {
        const auto pixels = static_cast<std::size_t>(pixelSide);
        return pixels * pixels * 4;
    }
};

PicturePlan PlanPicture(const PictureRequest& request);

// The picture of the plan for the region set `regions` of the Euler layout: its raster (the
// template painter paints into `scratch`, which the caller may keep for the next picture) with the
// screen's device-pixel ratio, and for the vector formats the renderer's drawing at the picture's
// side. The request's kind must be an Euler one.
Picture MakePicture(const PictureRequest& request, std::string regions, QImage& scratch);

// The same for a set of zones, in either layout (RenderZones: bit 0, the outside zone, is shaded
// within the universe frame).
Picture MakeZonePicture(const PictureRequest& request, UniverseSet zones, QImage& scratch);

}  // namespace rivo::diagram

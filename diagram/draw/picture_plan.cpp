#include "diagram/draw/picture_plan.h"

#include <QPainter>
#include <cmath>
#include <functional>
#include <utility>

#include "diagram/core/template_layout.h"
#include "diagram/core/zones.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"

namespace rivo::diagram {

PicturePlan PlanPicture(const PictureRequest& request) {
    PicturePlan plan;
    plan.side = request.side.value_or(kTemplateWidth);
    if (request.format != nullptr && request.format->vector) return plan;
    const double ratio = std::max(request.devicePixelRatio, 1.0);
    const bool templatePicture = request.kind.layout == LayoutKind::kEuler &&
                                 !request.options.hatch && !request.options.Decorated();
    if (templatePicture && !request.side && ratio == 1.0) {
        plan.painter = RasterPainter::kTemplate;
        plan.pixelSide = kTemplateWidth;
    } else {
        plan.painter = RasterPainter::kRenderer;
        plan.pixelSide = static_cast<int>(std::lround(plan.side * ratio));
    }
    return plan;
}

namespace {

// The picture of a plan whose renderer drawing is `draw` and whose template painting is `paint`.
Picture Make(const PictureRequest& request, QImage& scratch,
             std::function<void(QPainter&, const QRectF&)> draw,
             const std::function<void(QImage&)>& paint) {
    const PicturePlan plan = PlanPicture(request);
    Picture picture;
    picture.side = plan.side;
    if (plan.painter == RasterPainter::kTemplate) {
        paint(scratch);
        picture.raster = scratch;
    } else if (plan.painter == RasterPainter::kRenderer) {
        picture.raster = QImage(plan.pixelSide, plan.pixelSide, QImage::Format_RGB32);
        picture.raster.fill(Qt::white);
        {
            QPainter painter(&picture.raster);
            draw(painter, QRectF(0, 0, plan.pixelSide, plan.pixelSide));
        }
        if (request.devicePixelRatio > 1.0) {
            picture.raster.setDevicePixelRatio(request.devicePixelRatio);
        }
    }
    picture.draw = std::move(draw);
    return picture;
}

}  // namespace

Picture MakePicture(const PictureRequest& request, std::string regions, QImage& scratch) {
    const DiagramSize size = *EulerSizeOf(request.kind);
    auto draw = [size, regions, options = request.options](QPainter& painter,
                                                           const QRectF& target) {
        RenderDiagram(painter, target, size, regions, options);
    };
    return Make(request, scratch, std::move(draw),
                [&](QImage& image) { PaintDiagram(size, regions, image); });
}

Picture MakeZonePicture(const PictureRequest& request, UniverseSet zones, QImage& scratch) {
    auto draw = [kind = request.kind, zones, options = request.options](QPainter& painter,
                                                                        const QRectF& target) {
        RenderZones(painter, target, kind, zones, options);
    };
    return Make(request, scratch, std::move(draw), [&](QImage& image) {
        PaintDiagram(*EulerSizeOf(request.kind),
                     RegionsOfZones(*EulerSizeOf(request.kind), ToZoneSet(zones)), image);
    });
}

}  // namespace rivo::diagram

#include "diagram/draw/picture_plan.h"

#include <QPainter>
#include <cmath>
#include <utility>

#include "diagram/core/template_layout.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"

namespace rivo::diagram {

PicturePlan PlanPicture(const PictureRequest& request) {
    PicturePlan plan;
    plan.side = request.side.value_or(kTemplateWidth);
    if (request.format != nullptr && request.format->vector) return plan;
    const double ratio = std::max(request.devicePixelRatio, 1.0);
    if (!request.side && !request.hatch && ratio == 1.0) {
        plan.painter = RasterPainter::kTemplate;
        plan.pixelSide = kTemplateWidth;
    } else {
        plan.painter = RasterPainter::kRenderer;
        plan.pixelSide = static_cast<int>(std::lround(plan.side * ratio));
    }
    return plan;
}

Picture MakePicture(const PictureRequest& request, std::string regions, QImage& scratch) {
    const PicturePlan plan = PlanPicture(request);
    const RenderOptions options{.hatch = request.hatch};
    Picture picture;
    picture.side = plan.side;
    if (plan.painter == RasterPainter::kTemplate) {
        PaintDiagram(request.size, regions, scratch);
        picture.raster = scratch;
    } else if (plan.painter == RasterPainter::kRenderer) {
        picture.raster = RenderDiagramImage(request.size, regions, plan.pixelSide, options);
        if (request.devicePixelRatio > 1.0) {
            picture.raster.setDevicePixelRatio(request.devicePixelRatio);
        }
    }
    picture.draw = [size = request.size, regions = std::move(regions), options](
                       QPainter& painter, const QRectF& target) {
        RenderDiagram(painter, target, size, regions, options);
    };
    return picture;
}

}  // namespace rivo::diagram

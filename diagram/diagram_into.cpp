#include "diagram/diagram_into.h"

#include <QImage>

#include "diagram/painter.h"

namespace rivo::diagram {

void DrawDiagramInto(QPainter& painter, const QRectF& target, DiagramSize size,
                     std::string_view regions, bool hatch) {
    static_cast<void>(hatch);
    // The bare template is drawn as the one shared picture, so that a page format that keeps
    // each picture once (PDF) holds it once for every blank diagram of the sheet.
    if (regions.empty()) {
        painter.drawImage(target, DiagramTemplate(size));
    } else {
        painter.drawImage(target, PaintDiagram(size, regions));
    }
}

}  // namespace rivo::diagram

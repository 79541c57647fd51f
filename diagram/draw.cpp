#include "diagram/draw.h"

#include "diagram/painter.h"

namespace rivo::diagram {

Drawing DrawDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                    std::vector<std::string>& listing, QImage& picture) {
    Drawing drawing = EvaluateDiagram(size, text, tree, listing);
    PaintDiagram(size, drawing.regions, picture);
    return drawing;
}

}  // namespace rivo::diagram

#include "diagram/diagram_layout.h"

namespace rivo::diagram {

std::string CirclesOf(DiagramSize size, char code) {
    std::string circles;
    const auto sets = LayoutOf(size).variableSets;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (sets[i].find(code) != std::string_view::npos) circles += static_cast<char>('A' + i);
    }
    return circles;
}

}  // namespace rivo::diagram

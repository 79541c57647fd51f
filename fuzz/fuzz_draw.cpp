// Fuzzes the whole road of a request: text, listing, region set, painted picture. The first
// byte picks the diagram size, the decimal separator and whether to draw twice; the rest is the
// text. The pipeline's own error is an answer; any other exception, a sanitizer report, a hang
// or a memory blow-up is a finding. A second draw goes into what the first left behind, as the
// window's next click does, and must agree with the first.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/diagram_size.h"
#include "diagram/draw.h"
#include "diagram/evaluator.h"
#include "expr/error.h"
#include "expr/numbers.h"
#include "expr/tree.h"

namespace {

struct Outcome {
    std::optional<std::string> regions;  // or nothing, after a pipeline error
    std::string error;
};

Outcome Draw(rivo::diagram::DiagramSize size, std::string_view text,
             rivo::expr::TreeContainer& tree, std::vector<std::string>& listing, QImage& picture) {
    try {
        return {rivo::diagram::DrawDiagram(size, text, tree, listing, picture), {}};
    } catch (const rivo::expr::PipelineError& e) {
        return {std::nullopt, e.what()};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t bytes) {
    if (bytes == 0) return 0;
    const auto size = rivo::diagram::kDiagramSizes[data[0] % 3];
    rivo::expr::SetDecimalSeparator((data[0] & 4) != 0 ? ',' : '.');
    const std::string_view text(reinterpret_cast<const char*>(data + 1), bytes - 1);

    rivo::expr::TreeContainer tree;
    std::vector<std::string> listing;
    QImage picture;
    const Outcome first = Draw(size, text, tree, listing, picture);
    if (first.regions) {
        if (picture.size() != QSize(400, 400)) std::abort();
        if (rivo::diagram::EvaluateListing(listing, size) != *first.regions) std::abort();
    }
    if ((data[0] & 8) == 0) return 0;
    const QImage firstPicture = picture.copy();
    const std::vector<std::string> firstListing = listing;

    const Outcome second = Draw(size, text, tree, listing, picture);
    if (first.regions != second.regions || first.error != second.error) std::abort();
    if (listing != firstListing || picture != firstPicture) std::abort();
    return 0;
}

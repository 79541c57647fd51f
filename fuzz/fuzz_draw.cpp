// Fuzzes the whole road of a request: text, listing, region set, painted picture. The first
// byte picks the diagram size, the decimal separator and whether to draw twice; the rest is the
// text. The pipeline's own error is an answer; any other exception, a sanitizer report, a hang,
// a memory blow-up or a broken invariant is a finding. As in the window, the tree, the listing
// and the picture live from one input to the next: an error must leave the listing and the
// picture as the input before left them, and a second draw of the same text, into what the
// first left behind, must give the same region set, listing and picture.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluator.h"
#include "expr/error.h"
#include "expr/numbers.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/window_holders.h"

namespace {

using rivo::fuzz::Require;

struct Outcome {
    std::optional<std::string> regions;  // or nothing, after a pipeline error
    std::string error;

    bool operator==(const Outcome&) const = default;
};

// What the window keeps between clicks, with fingerprints of what the last draw left, so that
// no input needs a copy of the 640 KB picture.
struct Window : rivo::testing::WindowHolders {
    Window() : WindowHolders(rivo::fuzz::kFuzzLimits) {}

    std::size_t listingPrint = rivo::fuzz::Fingerprint(listing);
    std::size_t picturePrint = Fingerprint(picture);

    static std::size_t Fingerprint(const QImage& image) {
        const std::string_view pixels(reinterpret_cast<const char*>(image.constBits()),
                                      static_cast<std::size_t>(image.sizeInBytes()));
        return std::hash<std::string_view>{}(pixels) ^ static_cast<std::size_t>(image.width()) ^
               static_cast<std::size_t>(image.height()) << 16 ^
               static_cast<std::size_t>(image.format()) << 32;
    }

    Outcome Draw(rivo::diagram::DiagramSize size, std::string_view text) {
        Outcome outcome;
        try {
            outcome.regions = WindowHolders::Draw(size, text);
        } catch (const rivo::expr::PipelineError& e) {
            outcome.error = e.what();
        }
        const std::size_t newListing = rivo::fuzz::Fingerprint(listing);
        const std::size_t newPicture = Fingerprint(picture);
        if (!outcome.regions) {
            Require(newListing == listingPrint && newPicture == picturePrint,
                    "an error changed the kept listing or picture");
            return outcome;
        }
        Require(picture.size() == QSize(400, 400), "the picture is not 400 x 400");
        Require(rivo::diagram::EvaluateListing(listing, size) == *outcome.regions,
                "the painted region set is not that of the kept listing");
        listingPrint = newListing;
        picturePrint = newPicture;
        return outcome;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t bytes) {
    if (bytes == 0) return 0;
    const auto size = rivo::diagram::kDiagramSizes[data[0] % 3];
    rivo::expr::SetDecimalSeparator((data[0] & 4) != 0 ? ',' : '.');
    const std::string_view text(reinterpret_cast<const char*>(data + 1), bytes - 1);

    static Window window;
    const Outcome first = window.Draw(size, text);
    if ((data[0] & 8) == 0) return 0;
    const std::size_t listingPrint = window.listingPrint;
    const std::size_t picturePrint = window.picturePrint;
    const Outcome second = window.Draw(size, text);
    Require(second == first && window.listingPrint == listingPrint &&
                window.picturePrint == picturePrint,
            "a second draw of the same text gives another outcome");
    return 0;
}

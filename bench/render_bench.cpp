// The geometric renderer: the window's crisp picture at device-pixel ratio 2 (800 x 800) and
// rivo-cli's larger and hatched rasters, beside the template painter's 400 x 400 draw.
#include <benchmark/benchmark.h>

#include <string>

#include "diagram/core/diagram_layout.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"

namespace {

using rivo::diagram::DiagramSize;

const std::string kAllFive(rivo::diagram::LayoutOf(DiagramSize::kFive).codes);

void TemplatePainter400(benchmark::State& state) {
    QImage picture;
    for (auto _ : state) {
        rivo::diagram::PaintDiagram(DiagramSize::kFive, kAllFive, picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(TemplatePainter400)->Unit(benchmark::kMillisecond);

void Rendered(benchmark::State& state, bool hatch) {
    const int side = static_cast<int>(state.range(0));
    rivo::diagram::EnsureFontDatabase();
    for (auto _ : state) {
        const QImage picture =
            rivo::diagram::RenderDiagramImage(DiagramSize::kFive, kAllFive, side, {.hatch = hatch});
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK_CAPTURE(Rendered, colour, false)
    ->Arg(400)
    ->Arg(800)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Rendered, hatch, true)
    ->Arg(400)
    ->Arg(800)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond);

// The Venn layout of five sets, every zone shaded; the zones' paths are built once, before.
void RenderedVenn(benchmark::State& state, bool named) {
    const int side = static_cast<int>(state.range(0));
    rivo::diagram::EnsureFontDatabase();
    rivo::diagram::RenderOptions options;
    if (named) options.labels = {"Alpha", "Bravo", "Charlie", "Delta", "Echo"};
    const rivo::diagram::DiagramKind kind{5, rivo::diagram::LayoutKind::kVenn};
    const rivo::diagram::UniverseSet all = rivo::diagram::UniverseOf(5) & ~1u;
    rivo::diagram::RenderZonesImage(kind, all, side, options);
    for (auto _ : state) {
        const QImage picture = rivo::diagram::RenderZonesImage(kind, all, side, options);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK_CAPTURE(RenderedVenn, letters, false)->Arg(400)->Arg(800)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderedVenn, names, true)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

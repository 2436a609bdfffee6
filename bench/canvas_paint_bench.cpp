// Painting a full-HD view of the canvas: the time per frame must stay well under 16 ms and
// must not grow with the flow, since only what is visible is drawn.
#include "designer/canvas_painter.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>

using namespace vocara;

namespace {

// A field of nodes 40 columns wide (wider than the view), each linked to the one below it and
// every fifth to the next column, so that links cross the view in every direction; the view
// is full whatever the flow's size, and only the flow's depth grows.
CVocaraDoc &fieldFlow(int count)
{
    static std::map<int, std::pair<std::unique_ptr<RecordingDialogs>, std::unique_ptr<CVocaraDoc>>>
        flows;
    auto &entry = flows[count];
    if (!entry.second) {
        entry.first = std::make_unique<RecordingDialogs>(Answer::Yes);
        entry.second = std::make_unique<CVocaraDoc>(*entry.first);
        CVocaraDoc &doc = *entry.second;
        doc.setMode(DocumentMode::Flow);
        doc.resetContent();
        const int side = 40;
        std::map<std::pair<int, int>, NodeId> placed;
        for (int i = 0; static_cast<int>(doc.nodeCount()) < count; ++i) {
            const int row = 1 + i / side;
            const int column = i % side;
            const NodeId id = doc.createNode({row, column}, Kind::PlayWave);
            placed[{row, column}] = id;
            const auto above = placed.find({row - 1, column});
            doc.linkUnchecked(above != placed.end() ? above->second : doc.startNode(), id);
            const auto left = placed.find({row - 1, column - 1});
            if (column % 5 == 0 && left != placed.end())
                doc.linkUnchecked(left->second, id);
        }
    }
    return *entry.second;
}

void paintView(benchmark::State &state, bool middle)
{
    const CVocaraDoc &doc = fieldFlow(static_cast<int>(state.range(0)));
    QImage frame(1920, 1080, QImage::Format_RGB32);
    const int rows = static_cast<int>(doc.nodeCount()) / 40;
    const int offsetCells = middle ? (rows - 22) / 2 : 0;
    const QPoint scroll(0, offsetCells * CellSize);
    Canvas::LinkIndex links;
    links.rebuild(doc);
    CanvasMarks marks;
    marks.selected = doc.nodeAt({offsetCells + 3, 3});
    for (auto _ : state) {
        QPainter painter(&frame);
        painter.translate(-scroll);
        paintCanvas(painter, doc, links, QRect(scroll, frame.size()), marks, CanvasColors{});
        painter.end();
        benchmark::DoNotOptimize(frame.bits());
    }
    state.counters["nodes"] = static_cast<double>(doc.nodeCount());
}

void BM_PaintTopLeft(benchmark::State &state)
{
    paintView(state, false);
}
BENCHMARK(BM_PaintTopLeft)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PaintMiddle(benchmark::State &state)
{
    paintView(state, true);
}
BENCHMARK(BM_PaintMiddle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

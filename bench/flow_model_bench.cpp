// How the flow model scales: building, looking up and tearing down flows of call-centre size.
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <benchmark/benchmark.h>

using namespace vocara;

namespace {

// A menu tree of `count` nodes: UserInput menus with per-key branches leading to waves.
void buildFlow(CVocaraDoc &doc, int count)
{
    const UserInputChoice keys{true, true, true, {1, 2, 3}, false};
    NodeId parent = doc.startNode();
    int row = 1;
    while (static_cast<int>(doc.nodeCount()) < count) {
        const NodeId wave = doc.createNode({row, 0}, Kind::PlayWave);
        doc.linkUnchecked(parent, wave);
        const NodeId menu = doc.addNode({row + 1, 0}, Kind::UserInput, keys);
        doc.linkUnchecked(wave, menu);
        parent = doc.node(menu)->children.front();
        row += 3;
    }
}

void BM_BuildFlow(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        RecordingDialogs dialogs;
        CVocaraDoc doc(dialogs);
        buildFlow(doc, count);
        benchmark::DoNotOptimize(doc.nodeCount());
    }
    state.SetComplexityN(state.range(0));
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(count),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildFlow)->Arg(1000)->Arg(10000)->Complexity();

void BM_NodeAtCell(benchmark::State &state)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    buildFlow(doc, static_cast<int>(state.range(0)));
    const std::vector<NodeId> nodes = doc.nodesInGridOrder();
    size_t i = 0;
    for (auto _ : state) {
        const NodeData *data = doc.node(nodes[i++ % nodes.size()]);
        benchmark::DoNotOptimize(doc.nodeAt(data->cell));
    }
}
BENCHMARK(BM_NodeAtCell)->Arg(1000)->Arg(10000);

void BM_RemoveEveryNode(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        RecordingDialogs dialogs;
        CVocaraDoc doc(dialogs);
        buildFlow(doc, count);
        const std::vector<NodeId> nodes = doc.nodesInGridOrder();
        state.ResumeTiming();
        for (NodeId id : nodes)
            doc.removeNode(id, RemoveMode::KeepForUndo);
        benchmark::DoNotOptimize(doc.undoList().size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RemoveEveryNode)->Arg(1000)->Arg(10000)->Complexity();

} // namespace

// Exporting flows of growing size as dialplans: the generator and the context file, in memory.
#include "dialplan/dialplan_export.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include "bench/bench_folder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace vocara;

namespace {

// Menus of prompts, each menu's key 1 leading on to the next menu and key 2 back to the top.
void buildFlow(CVocaraDoc &doc, int count)
{
    const UserInputChoice keys{true, true, true, {1, 2, 3}, false};
    NodeId parent = doc.startNode();
    NodeId top = NoNode;
    for (int row = 1; static_cast<int>(doc.nodeCount()) < count; row += 4) {
        const NodeId wave = doc.createNode({row, 0}, Kind::PlayWave);
        doc.setNodeValue(wave, "file", "prompt$lang$.wav");
        doc.linkUnchecked(parent, wave);
        const NodeId menu = doc.addNode({row + 1, 0}, Kind::UserInput, keys);
        doc.linkUnchecked(wave, menu);
        if (top == NoNode)
            top = menu;
        const std::vector<NodeId> &branches = doc.node(menu)->children;
        const NodeId setVar = doc.createNode({row + 2, 2}, Kind::SetVar);
        doc.setNodeValue(setVar, "var", "$choice$");
        doc.setNodeValue(setVar, "value", "$choice$+1");
        doc.linkUnchecked(branches[2], setVar);
        doc.linkUnchecked(branches[1], top);
        parent = branches[0];
    }
}

void BM_ExportFlow(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(benchFolder());
    doc.setDefaultSaveFolder(benchFolder().string());
    AsteriskExporter exporter;
    doc.setExporter(&exporter);
    doc.newDocument();
    doc.newDocument();
    buildFlow(doc, count);
    const std::filesystem::path file = benchFolder() / "flow.conf";
    doc.save(file.string()); // settles the primary parents the export follows
    const std::string flow = doc.flowText();
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = buildContextFileText(doc, file, flow, 0);
        bytes = text.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(count),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_ExportFlow)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(benchFolder());
    return 0;
}

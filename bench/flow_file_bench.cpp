// Opening and saving flow files of call-centre size. Run with --flow-file-only=N to open one
// generated flow of N nodes and exit, for measuring peak memory with /usr/bin/time -v.
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include "bench/bench_folder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace vocara;

namespace {

// Menus of waves and key branches with cross links back to the top menu, written to disk.
std::string generatedFlow(int count)
{
    const std::string path = (benchFolder() / ("flow" + std::to_string(count) + ".qfl")).string();
    if (std::filesystem::exists(path))
        return path;
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(benchFolder());
    doc.setDefaultSaveFolder(benchFolder().string());
    doc.setMode(DocumentMode::Flow);
    doc.resetContent();
    const UserInputChoice keys{true, true, true, {1, 2, 3}, false};
    NodeId parent = doc.startNode();
    NodeId top = NoNode;
    for (int row = 1; static_cast<int>(doc.nodeCount()) < count; row += 3) {
        const NodeId wave = doc.createNode({row, 0}, Kind::PlayWave);
        doc.setNodeValue(wave, "file", "prompt" + std::to_string(row) + ".wav");
        doc.linkUnchecked(parent, wave);
        const NodeId menu = doc.addNode({row + 1, 0}, Kind::UserInput, keys);
        doc.linkUnchecked(wave, menu);
        if (top == NoNode)
            top = wave;
        const std::vector<NodeId> &branches = doc.node(menu)->children;
        doc.linkUnchecked(branches[1], top); // "back to the main menu"
        parent = branches[0];
    }
    doc.save(path);
    return path;
}

void BM_OpenFlow(benchmark::State &state)
{
    const std::string path = generatedFlow(static_cast<int>(state.range(0)));
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(benchFolder());
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.open(path));
    state.SetComplexityN(state.range(0));
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenFlow)
    ->Arg(1000)
    ->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_SaveFlow(benchmark::State &state)
{
    const std::string path = generatedFlow(static_cast<int>(state.range(0)));
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(benchFolder());
    doc.setDefaultSaveFolder(benchFolder().string());
    doc.open(path);
    const std::string out = (benchFolder() / "saved.qfl").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.save(out));
    state.SetComplexityN(state.range(0));
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_SaveFlow)
    ->Arg(1000)
    ->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--flow-file-only=", 17) == 0) {
            const std::string path = argv[i] + 17;
            RecordingDialogs dialogs(Answer::Yes);
            CVocaraDoc doc(dialogs);
            doc.setUserFolder(std::filesystem::path(path).parent_path());
            return doc.open(path) ? 0 : 1;
        }
        if (std::strncmp(argv[i], "--write-flow=", 13) == 0) {
            std::printf("%s\n", generatedFlow(std::atoi(argv[i] + 13)).c_str());
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(benchFolder());
    return 0;
}

// Validation runs before every save: its cost per node must not grow with the flow.
#include "document/flow_validator.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

using namespace vocara;

namespace {

// Mixed kinds in chains under the start node, every 50th name used twice, every 100th node
// left without a parent.
void buildMixedFlow(CVocaraDoc &doc, int count)
{
    constexpr std::array<NodeKind, 8> kinds = {Kind::PlayWave,      Kind::SetVar,  Kind::Wait,
                                               Kind::DbTransaction, Kind::Compare, Kind::SendMail,
                                               Kind::CSConnection,  Kind::Record};
    NodeId parent = doc.startNode();
    int placed = 0;
    for (int row = 1; static_cast<int>(doc.nodeCount()) < count; row += 2) {
        for (int column = 0; column < 20 && static_cast<int>(doc.nodeCount()) < count;
             column += 3) {
            const NodeKind kind = kinds[static_cast<size_t>(placed) % kinds.size()];
            const NodeId id = doc.addNode({row, column}, kind);
            ++placed;
            if (placed % 100 != 0)
                doc.linkUnchecked(parent, id);
            if (placed % 50 == 0)
                doc.setNodeName(id, "Duplicate " + std::to_string(placed % 7));
            doc.setNodeValue(id, "file", "prompt.wav");
            doc.setNodeValue(id, "query", "select name from people where id = $nCallerId$");
            doc.setNodeValue(id, "second", "$nCallerId$");
            doc.setNodeValue(id, "mailto", "ops@example.com");
            if (!hasBuiltInChildren(kind))
                parent = id;
        }
    }
}

void BM_ValidateFlow(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    buildMixedFlow(doc, count);
    size_t lines = 0;
    for (auto _ : state) {
        const ValidationReport report = validateNodes(doc);
        lines = report.lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.SetComplexityN(state.range(0));
    state.counters["error_lines"] = static_cast<double>(lines);
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(count),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_ValidateFlow)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN);

} // namespace

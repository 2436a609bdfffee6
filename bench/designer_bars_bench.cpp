// The properties bar on a large flow: choosing a node shows its rows well within 50 ms, and
// the time does not grow with the flow (only the chosen node is read).
#include "designer/document_adapter.h"
#include "designer/properties_bar.h"
#include "designer/variables_bar.h"
#include "document/recording_dialogs.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>

using namespace vocara;

namespace {

struct LargeFlow
{
    RecordingDialogs dialogs{Answer::Yes};
    DocumentAdapter adapter{dialogs};
    std::vector<NodeId> chosen; // a user input, a database and a connection node
};

// Rows of nodes of every kind with a property list worth showing, each under the one above.
LargeFlow &largeFlow(int count)
{
    static std::map<int, std::unique_ptr<LargeFlow>> flows;
    std::unique_ptr<LargeFlow> &flow = flows[count];
    if (flow)
        return *flow;
    flow = std::make_unique<LargeFlow>();
    CVocaraDoc &doc = flow->adapter.mutableDoc();
    doc.setMode(DocumentMode::Flow);
    doc.resetContent();
    for (int i = 0; i < 200; ++i)
        doc.addOrUpdateVariable("var" + std::to_string(i), std::to_string(i), "");
    const NodeKind kinds[] = {Kind::PlayWave,  Kind::SetVar,        Kind::Compare,
                              Kind::UserInput, Kind::DbTransaction, Kind::CSConnection};
    const int side = 40;
    for (int i = 0; static_cast<int>(doc.nodeCount()) < count; ++i) {
        const NodeKind kind = kinds[i % std::size(kinds)];
        const NodeId id = doc.createNode({1 + i / side, i % side}, kind);
        if (i > count / 2 && flow->chosen.size() < 3 &&
            (kind == Kind::UserInput || kind == Kind::DbTransaction || kind == Kind::CSConnection))
            flow->chosen.push_back(id);
        for (int v = 0; v < doc.catalogue().propertyCount(kind); ++v)
            doc.setNodeValue(id, v, "value " + std::to_string(v));
    }
    return *flow;
}

void BM_ShowNode(benchmark::State &state)
{
    LargeFlow &flow = largeFlow(static_cast<int>(state.range(0)));
    PropertiesBar bar(flow.adapter, {QStringLiteral(FIELDORA_PLUGIN_FILE)});
    bar.resize(300, 600);
    bar.show();
    if (!bar.grid()) {
        state.SkipWithError("the property grid plugin was not found");
        return;
    }
    size_t next = 0;
    for (auto _ : state) {
        bar.showNode(flow.chosen[next++ % flow.chosen.size()]);
        bar.repaint(); // laid out and painted, as the user sees it
    }
    state.counters["nodes"] = static_cast<double>(flow.adapter.doc().nodeCount());
}
BENCHMARK(BM_ShowNode)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FillVariables(benchmark::State &state)
{
    LargeFlow &flow = largeFlow(static_cast<int>(state.range(0)));
    VariablesBar bar(flow.adapter);
    for (auto _ : state)
        bar.fill();
    state.counters["variables"] = static_cast<double>(flow.adapter.doc().variables().count());
}
BENCHMARK(BM_FillVariables)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

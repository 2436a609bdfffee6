// How open, save, export, validation, the model's operations and the simulator scale with the
// size of a flow, each as a ratio measured in this run:
//
//   scale_bench                     1,000, 10,000 and 100,000 nodes
//   scale_bench --sizes=1000,5000   other sizes
//   scale_bench --million           1,000,000 nodes as well (minutes, and about 2 GB)
//   scale_bench --write=deep:N:PATH a generated flow (deep or wide) written to PATH
//
// Reference points: the XML library's own parse and print of the same file, and the peak
// memory of a process that opens the flow and ends (measured from here, per node above an
// empty flow's).
#include "bench/bench_folder.h"
#include "bench/flow_shapes.h"
#include "cli/command.h"
#include "dialplan/dialplan_export.h"
#include "document/flow_validator.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <tinyxml2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace vocara;

namespace {

double seconds(const std::function<void()> &work, int runs)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Reads and writes more memory than the processor's caches hold.
void evictCaches()
{
    static std::vector<char> buffer(256u * 1024 * 1024);
    static char seed = 0;
    ++seed;
    for (size_t i = 0; i < buffer.size(); i += 64)
        buffer[i] = static_cast<char>(buffer[i] + seed);
}

struct Doc
{
    RecordingDialogs dialogs{Answer::Yes};
    CVocaraDoc doc{dialogs};
    AsteriskExporter exporter;

    Doc()
    {
        doc.setUserFolder(benchFolder());
        doc.setDefaultSaveFolder(benchFolder().string());
        doc.setExporter(&exporter);
        doc.setMode(DocumentMode::Flow);
        doc.resetContent();
    }
};

std::string writeFlow(const std::string &shape, int count)
{
    const std::string path = (benchFolder() / (shape + std::to_string(count) + ".qfl")).string();
    Doc d;
    if (shape == "deep")
        bench::buildDeepChain(d.doc, count);
    else
        bench::buildWideMenuTree(d.doc, count);
    d.doc.save(path);
    return path;
}

std::string self;

// The peak memory of a process that opens the flow, as the process itself reports it (the
// resource usage of a child counts what it shared with its parent before it started).
long openPeakKiB(const std::string &path)
{
    FILE *child = ::popen((self + " --open-only=" + path).c_str(), "r");
    long kib = -1;
    if (!child || std::fscanf(child, "%ld", &kib) != 1)
        kib = -1;
    if (child && ::pclose(child) != 0)
        kib = -1;
    return kib;
}

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

struct Row
{
    int nodes = 0;
    double fileMB = 0;
    double library = 0;  // the XML library's parse + print
    double openSave = 0; // open + save
    double openExport = 0;
    double validate = 0;
    double bytesPerNode = 0;
    double deepOpenSave = 0;
    double addUs = 0, linkUs = 0, moveUs = 0, lookupUs = 0, removeUs = 0, removeAllUs = 0;
};

Row measure(int count)
{
    Row row;
    row.nodes = count;
    const int runs = count <= 10000 ? 5 : count <= 100000 ? 2 : 1;
    const std::string wide = writeFlow("wide", count);
    std::ifstream in(wide, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    row.fileMB = static_cast<double>(buffer.str().size()) / 1e6;

    row.library = seconds(
        [&] {
            std::ifstream file(wide, std::ios::binary);
            std::stringstream read;
            read << file.rdbuf();
            const std::string text = read.str();
            tinyxml2::XMLDocument image;
            image.Parse(text.data(), text.size());
            tinyxml2::XMLPrinter printer;
            image.Print(&printer);
            if (image.Error() || printer.CStrSize() < 2)
                std::abort();
        },
        runs);
    const std::string saved = (benchFolder() / "saved.qfl").string();
    row.openSave = seconds(
        [&] {
            Doc d;
            d.doc.open(wide);
            d.doc.save(saved);
        },
        runs);
    const std::string exported = (benchFolder() / "exported.conf").string();
    row.openExport = seconds(
        [&] {
            Doc d;
            d.doc.open(wide, DocumentMode::Asterisk);
            d.doc.save(exported);
        },
        runs);

    Doc opened;
    opened.doc.open(wide);
    // Each check starts with the flow out of the processor's caches, as after a while of
    // editing: a small flow would otherwise be checked from the cache and a large one from
    // memory, and the growth would measure the cache, not the work.
    validateNodes(opened.doc); // the grid order, sorted once after opening
    row.validate = 1e300;
    for (int i = 0; i < std::max(runs, 3); ++i) {
        evictCaches();
        row.validate = std::min(row.validate, seconds([&] { validateNodes(opened.doc); }, 1));
    }

    // The model's operations, each a thousand times on the opened flow.
    constexpr int Ops = 1000;
    const std::vector<NodeId> nodes = opened.doc.nodesInGridOrder();
    std::vector<NodeId> added;
    const int freeRow = MaxGridCoordinate - 10;
    row.addUs = seconds(
                    [&] {
                        for (int i = 0; i < Ops; ++i)
                            added.push_back(opened.doc.createNode({freeRow, i * 2}, Kind::SetVar));
                    },
                    1) /
                Ops * 1e6;
    row.linkUs = seconds(
                     [&] {
                         for (int i = 0; i < Ops; ++i)
                             opened.doc.linkUnchecked(nodes[nodes.size() / 2 + i],
                                                      added[static_cast<size_t>(i)]);
                     },
                     1) /
                 Ops * 1e6;
    row.moveUs =
        seconds(
            [&] {
                for (int i = 0; i < Ops; ++i)
                    opened.doc.moveNode(added[static_cast<size_t>(i)], {freeRow + 1, i * 2 + 1});
            },
            1) /
        Ops * 1e6;
    size_t found = 0;
    row.lookupUs = seconds(
                       [&] {
                           for (int i = 0; i < Ops; ++i) {
                               const NodeData *data = opened.doc.node(
                                   nodes[static_cast<size_t>(i) * 7919 % nodes.size()]);
                               found += opened.doc.nodeAt(data->cell) != NoNode;
                               found += opened.doc.isNameTaken(data->name);
                           }
                       },
                       1) /
                   Ops * 1e6;
    row.removeUs = seconds(
                       [&] {
                           for (NodeId id : added)
                               opened.doc.removeNode(id, RemoveMode::KeepForUndo);
                       },
                       1) /
                   Ops * 1e6;
    row.removeAllUs = seconds(
                          [&] {
                              for (NodeId id : nodes)
                                  opened.doc.removeNode(id, RemoveMode::KeepForUndo);
                          },
                          1) /
                      static_cast<double>(nodes.size()) * 1e6;
    if (found == 0)
        std::abort();

    const long empty = openPeakKiB(writeFlow("wide", 0));
    const long peak = openPeakKiB(wide);
    if (peak < 0 || empty < 0)
        std::fprintf(stderr, "the open-only run failed (%ld, %ld)\n", empty, peak);
    row.bytesPerNode = static_cast<double>(peak - empty) * 1024.0 / count;

    const std::string deep = writeFlow("deep", count);
    const std::string deepSaved = (benchFolder() / "deep-saved.qfl").string();
    row.deepOpenSave = seconds(
        [&] {
            Doc d;
            d.doc.open(deep);
            d.doc.save(deepSaved);
        },
        runs);
    return row;
}

// Notes when the first and the last trace line arrive.
class TimedLines : public std::streambuf
{
public:
    std::chrono::steady_clock::time_point first, last;
    long lines = 0;

protected:
    int overflow(int c) override
    {
        note(c == '\n');
        return c;
    }
    std::streamsize xsputn(const char *text, std::streamsize count) override
    {
        note(std::memchr(text, '\n', static_cast<size_t>(count)) != nullptr);
        return count;
    }

private:
    void note(bool line)
    {
        if (!line)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (lines++ == 0)
            first = now;
        last = now;
    }
};

// A chain of Set Var nodes through the headless simulator at time scale 0, as the command
// line runs it: the time a node takes, from the first node's trace line to the last's (the
// flow is loaded before).
void simulatorPerNode(const std::vector<int> &sizes)
{
    for (int count : sizes) {
        const std::string chain = writeFlow("deep", count);
        double best = 1e300;
        for (int i = 0; i < 2; ++i) {
            TimedLines lines;
            std::ostream out(&lines);
            std::ostringstream err;
            const std::vector<std::string> args{"simulate", chain, "--time-scale", "0"};
            std::istringstream in;
            if (cli::runCommandLine(args, in, out, err) != 0 || lines.lines < count)
                std::abort();
            best = std::min(best, std::chrono::duration<double>(lines.last - lines.first).count());
        }
        std::printf("simulate %8d Set Var nodes: %7.3f s, %6.2f us a node\n", count, best,
                    best / count * 1e6);
    }
}

} // namespace

// The designer's recovery snapshot: the flow text is prepared on the window's thread (the disk
// is a worker's), so this is what an edit can cost the window: the best of five.
void snapshotPrepare(const std::vector<int> &sizes)
{
    for (int count : sizes) {
        Doc d;
        bench::buildWideMenuTree(d.doc, count);
        double best = 1e300;
        for (int i = 0; i < 5; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const std::string text = d.doc.preparedFlowText();
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (text.empty())
                std::abort();
        }
        std::printf("recovery snapshot %8d nodes: %7.2f ms to prepare\n", count, best * 1e3);
    }
}

int main(int argc, char **argv)
{
    self = std::filesystem::canonical("/proc/self/exe").string();
    std::vector<int> sizes{1000, 10000, 100000};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--open-only=")) {
            RecordingDialogs dialogs(Answer::Yes);
            CVocaraDoc doc(dialogs);
            doc.setUserFolder(benchFolder());
            const bool opened = doc.open(arg.substr(12));
            std::printf("%ld\n", peakKiB());
            std::filesystem::remove_all(benchFolder());
            return opened ? 0 : 1;
        }
        if (arg.starts_with("--write=")) {
            // --write=deep|wide:N:PATH writes a generated flow there.
            const std::string request = arg.substr(8);
            const size_t a = request.find(':');
            const size_t b = request.find(':', a + 1);
            if (a == std::string::npos || b == std::string::npos)
                return 2;
            const std::string written =
                writeFlow(request.substr(0, a), std::stoi(request.substr(a + 1, b - a - 1)));
            std::filesystem::copy_file(written, request.substr(b + 1),
                                       std::filesystem::copy_options::overwrite_existing);
            std::filesystem::remove_all(benchFolder());
            return 0;
        }
        if (arg == "--million") {
            sizes.push_back(1000000);
        } else if (arg.starts_with("--sizes=")) {
            sizes.clear();
            std::stringstream list(arg.substr(8));
            for (std::string item; std::getline(list, item, ',');)
                sizes.push_back(std::stoi(item));
        } else {
            std::fprintf(stderr, "usage: scale_bench [--sizes=N,N,...] [--million]\n");
            return 2;
        }
    }

    std::printf("%9s %8s %9s %9s %6s %9s %6s %9s %8s %9s\n", "nodes", "file MB", "xml lib s",
                "open+sv s", "ratio", "export s", "ratio", "check s", "B/node", "deep o+s s");
    std::vector<Row> rows;
    for (int count : sizes) {
        const Row row = measure(count);
        rows.push_back(row);
        std::printf("%9d %8.1f %9.3f %9.3f %6.2f %9.3f %6.2f %9.4f %8.0f %9.3f\n", row.nodes,
                    row.fileMB, row.library, row.openSave, row.openSave / row.library,
                    row.openExport, row.openExport / row.openSave, row.validate, row.bytesPerNode,
                    row.deepOpenSave);
        std::fflush(stdout);
    }
    std::printf("\nthe model, microseconds an operation on a flow of that size\n");
    std::printf("%9s %8s %8s %8s %8s %8s %12s\n", "nodes", "add", "link", "move", "lookup",
                "remove", "remove all");
    for (const Row &row : rows)
        std::printf("%9d %8.2f %8.2f %8.2f %8.2f %8.2f %12.2f\n", row.nodes, row.addUs, row.linkUs,
                    row.moveUs, row.lookupUs, row.removeUs, row.removeAllUs);
    std::printf("\ngrowth t(10x)/t(x), from 10,000 up\n");
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i - 1].nodes < 10000 || rows[i].nodes != rows[i - 1].nodes * 10)
            continue;
        std::printf("%9d -> %9d: validation %.1f, open+save %.1f, deep open+save %.1f\n",
                    rows[i - 1].nodes, rows[i].nodes, rows[i].validate / rows[i - 1].validate,
                    rows[i].openSave / rows[i - 1].openSave,
                    rows[i].deepOpenSave / rows[i - 1].deepOpenSave);
    }
    std::printf("\n");
    snapshotPrepare(sizes);
    std::printf("\n");
    std::vector<int> chains;
    for (int count : sizes) {
        if (count >= 10000)
            chains.push_back(count);
    }
    simulatorPerNode(chains);
    std::filesystem::remove_all(benchFolder());
    return 0;
}

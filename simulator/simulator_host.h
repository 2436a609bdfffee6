#pragma once

#include <string_view>

namespace vocara {

class TraceTree;

// What the interpreter needs from the simulator window. The designer's implementation posts
// every call to the GUI thread; the headless one just records.
class SimulatorHost
{
public:
    virtual ~SimulatorHost() = default;

    // The tracing tree changed (an item's text, highlight or expansion).
    virtual void traceChanged(const TraceTree &, int /*item*/) {}
    // A node of the flow runs: the canvas highlights the node at that cell.
    virtual void nodeReported(int /*row*/, int /*column*/) {}
    // The trace label of the node about to run.
    virtual void nodeTraced(std::string_view /*label*/) {}
    // A message box of the simulator.
    virtual void message(std::string_view /*text*/) {}
    // The run ended: Start enabled, Stop disabled.
    virtual void runEnded() {}
    // One line for the simulator log.
    virtual void log(std::string_view /*line*/) {}
    // The one-shot input timer: when it runs out the window posts WM_IVR_TIMER_EVENT.
    virtual void startInputTimer(int /*seconds*/) {}
    virtual void stopInputTimer() {}
    // A queued prompt starts or stops playing: its trace item is drawn bold meanwhile. Called on
    // the wave worker's thread.
    virtual void promptShown(int /*item*/, bool /*playing*/) {}
};

} // namespace vocara

#pragma once

#include "document/node_data.h"

namespace vocara {

enum class DocumentMode { None, Asterisk, Flow };

// Told of every change the document makes, after it is made. Views listen and can always
// rebuild themselves from the document instead.
class DocumentObserver
{
public:
    virtual ~DocumentObserver() = default;

    virtual void nodeAdded(NodeId, Cell) {}
    virtual void nodeRemoved(NodeId, Cell) {}
    virtual void nodeMoved(NodeId, Cell /*from*/, Cell /*to*/) {}
    virtual void nodeChanged(NodeId) {} // name or property values
    virtual void linkAdded(NodeId /*parent*/, NodeId /*child*/) {}
    virtual void linkRemoved(NodeId /*parent*/, NodeId /*child*/) {}
    virtual void variablesChanged() {}
    virtual void settingsChanged() {} // dialplan settings or attached files
    virtual void modeChanged(DocumentMode) {}
    virtual void modifiedChanged(bool) {}
    virtual void documentReset() {} // everything was replaced
    virtual void validated() {}     // new error lines are ready
};

} // namespace vocara

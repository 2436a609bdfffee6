#pragma once

#include <atomic>
#include <mutex>
#include <string>

namespace vocara {

// What the interpreter, the wave worker and the window share about the call. The run flag
// lives beside it (the window owns it); everything here is safe to touch from any thread.
struct AbstractChannel
{
    std::atomic<bool> active{false};
    std::atomic<bool> recording{false};
    std::string callerId = "000";

    // The keys that may cut a prompt short or end a recording, set by the waiting input node.
    void setAllowedKeys(std::string keys)
    {
        std::lock_guard lock(m_mutex);
        m_allowedKeys = std::move(keys);
    }
    std::string allowedKeys() const
    {
        std::lock_guard lock(m_mutex);
        return m_allowedKeys;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_allowedKeys;
};

} // namespace vocara

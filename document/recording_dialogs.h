#pragma once

#include "document/user_dialogs.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace vocara {

// Logs every message and answers questions from a script: the dialogs of tests and of the
// command-line tool. Safe to use from several threads.
class RecordingDialogs : public UserDialogs
{
public:
    enum class Type { Inform, Warn, Error, Ask };
    struct Entry
    {
        Type type;
        std::string text;
    };

    // Questions take the queued answers in order, then `fallback`.
    explicit RecordingDialogs(Answer fallback = Answer::No);

    void inform(std::string_view text) override;
    void warn(std::string_view text) override;
    void error(std::string_view text) override;
    Answer ask(std::string_view question, Question buttons) override;

    void queueAnswer(Answer answer);
    void setFallback(Answer answer);

    std::vector<Entry> entries() const;
    // Just the texts, in the order they were shown.
    std::vector<std::string> texts() const;
    void clear();

private:
    void record(Type type, std::string_view text);

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::deque<Answer> m_answers;
    Answer m_fallback;
};

} // namespace vocara

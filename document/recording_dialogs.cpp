#include "document/recording_dialogs.h"

namespace vocara {

RecordingDialogs::RecordingDialogs(Answer fallback)
    : m_fallback(fallback)
{}

void RecordingDialogs::record(Type type, std::string_view text)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({type, std::string(text)});
}

void RecordingDialogs::inform(std::string_view text)
{
    record(Type::Inform, text);
}

void RecordingDialogs::warn(std::string_view text)
{
    record(Type::Warn, text);
}

void RecordingDialogs::error(std::string_view text)
{
    record(Type::Error, text);
}

Answer RecordingDialogs::ask(std::string_view question, Question buttons)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({Type::Ask, std::string(question)});
    Answer answer = m_fallback;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    if (answer == Answer::Cancel && buttons == Question::YesNo)
        answer = Answer::No; // a Yes/No box has no Cancel; closing it means No
    return answer;
}

void RecordingDialogs::queueAnswer(Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void RecordingDialogs::setFallback(Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_fallback = answer;
}

std::vector<RecordingDialogs::Entry> RecordingDialogs::entries() const
{
    std::lock_guard lock(m_mutex);
    return m_entries;
}

std::vector<std::string> RecordingDialogs::texts() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result.push_back(entry.text);
    return result;
}

void RecordingDialogs::clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_answers.clear();
}

} // namespace vocara

#pragma once

#include "document/user_dialogs.h"

#include <ostream>

namespace vocara::cli {

// Messages go to standard error; every question gets the same answer.
class StreamDialogs : public UserDialogs
{
public:
    StreamDialogs(std::ostream &err, Answer answer)
        : m_err(err)
        , m_answer(answer)
    {}

    void inform(std::string_view text) override { m_err << text << '\n'; }
    void warn(std::string_view text) override { m_err << text << '\n'; }
    void error(std::string_view text) override { m_err << text << '\n'; }
    Answer ask(std::string_view, Question) override { return m_answer; }
    void setAnswer(Answer answer) { m_answer = answer; }

private:
    std::ostream &m_err;
    Answer m_answer;
};

} // namespace vocara::cli

#pragma once

#include <string_view>

namespace vocara {

enum class Answer { Yes, No, Cancel };
enum class Question { YesNo, YesNoCancel };

// Everything the core says to the user goes through here, so that each front end shows it its
// own way and tests can read every text.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    virtual void inform(std::string_view text) = 0;
    virtual void warn(std::string_view text) = 0;
    virtual void error(std::string_view text) = 0;
    virtual Answer ask(std::string_view question, Question buttons) = 0;
};

} // namespace vocara

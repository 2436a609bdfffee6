#pragma once

#include "document/user_dialogs.h"

class QWidget;

namespace vocara {

// Message boxes of the designer: the texts exactly as the core gives them, the program's name
// as the caption, parented to the main window.
class QtUserDialogs : public UserDialogs
{
public:
    explicit QtUserDialogs(QWidget *parent = nullptr)
        : m_parent(parent)
    {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void inform(std::string_view text) override;
    void warn(std::string_view text) override;
    void error(std::string_view text) override;
    Answer ask(std::string_view question, Question buttons) override;

private:
    QWidget *m_parent;
};

} // namespace vocara

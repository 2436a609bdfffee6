#include "designer/qt_user_dialogs.h"

#include "designer/designer_text.h"
#include "designer/qt_text.h"

#include <QMessageBox>

namespace vocara {

void QtUserDialogs::inform(std::string_view text)
{
    QMessageBox::information(m_parent, qt(Ui::AppName), qt(text));
}

void QtUserDialogs::warn(std::string_view text)
{
    QMessageBox::warning(m_parent, qt(Ui::AppName), qt(text));
}

void QtUserDialogs::error(std::string_view text)
{
    QMessageBox::critical(m_parent, qt(Ui::AppName), qt(text));
}

Answer QtUserDialogs::ask(std::string_view question, Question buttons)
{
    const QMessageBox::StandardButtons offered =
        buttons == Question::YesNoCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                         : QMessageBox::Yes | QMessageBox::No;
    const QMessageBox::StandardButton answer =
        QMessageBox::question(m_parent, qt(Ui::AppName), qt(question), offered);
    if (answer == QMessageBox::Yes)
        return Answer::Yes;
    if (answer == QMessageBox::No)
        return Answer::No;
    // Escape or the window's close button: Cancel where it is offered, else No.
    return buttons == Question::YesNoCancel ? Answer::Cancel : Answer::No;
}

} // namespace vocara

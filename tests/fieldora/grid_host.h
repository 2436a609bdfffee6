#pragma once

// A host of the property grid for the tests: creates the control from the plugin by class
// id and calls it by name only, as the designer does.

#include "fieldora/fieldora_host.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <memory>

// Answers ButtonClicked: records the click and, when told to, fills the by-reference value.
class ClickAnswer : public QObject
{
    Q_OBJECT

public:
    QVariant fill;
    QStringList names;
    QList<short> types;

public Q_SLOTS:
    void clicked(const QString &name, short buttonType, QObject *value)
    {
        names.append(name);
        types.append(buttonType);
        if (fill.isValid())
            value->setProperty("value", fill);
    }
};

class GridHost
{
public:
    explicit GridHost(const QString &classId = QStringLiteral("FIELDORA.FieldoraCtrl.1"))
    {
        QString why;
        control.reset(fieldora_host::createControl(classId, {QStringLiteral(FIELDORA_PLUGIN_FILE)},
                                                   nullptr, &why));
        if (!control)
            qFatal("cannot create %s: %s", qPrintable(classId), qPrintable(why));
        if (control->metaObject()->indexOfSignal("PropertyChanged(QString,QVariant)") >= 0) {
            changes = std::make_unique<QSignalSpy>(control.get(),
                                                   SIGNAL(PropertyChanged(QString, QVariant)));
            QObject::connect(control.get(), SIGNAL(ButtonClicked(QString, short, QObject *)),
                             &answer, SLOT(clicked(QString, short, QObject *)));
        }
        control->resize(320, 520);
        control->show();
        if (!QTest::qWaitForWindowExposed(control.get()))
            qFatal("the control was not shown");
    }

    void add(const QString &category, const QString &caption, const QVariant &value,
             short buttonType = 0, bool enabled = true, const QString &description = QString())
    {
        QMetaObject::invokeMethod(control.get(), "AddProperty", Q_ARG(QString, category),
                                  Q_ARG(QString, caption), Q_ARG(QVariant, value),
                                  Q_ARG(QString, description), Q_ARG(short, buttonType),
                                  Q_ARG(bool, enabled));
    }

    QVariantMap set(const QString &caption, const QVariant &value)
    {
        QVariantMap result;
        QMetaObject::invokeMethod(control.get(), "SetValue", Q_RETURN_ARG(QVariantMap, result),
                                  Q_ARG(QString, caption), Q_ARG(QVariant, value));
        return result;
    }

    void call(const char *method) { QMetaObject::invokeMethod(control.get(), method); }

    QVariant value(const QString &caption) const
    {
        QVariant result;
        QMetaObject::invokeMethod(control.get(), "GetValue", Q_RETURN_ARG(QVariant, result),
                                  Q_ARG(QString, caption));
        return result;
    }

    QString text(const QString &caption) const
    {
        QString result;
        QMetaObject::invokeMethod(control.get(), "DisplayText", Q_RETURN_ARG(QString, result),
                                  Q_ARG(QString, caption));
        return result;
    }

    QRect rect(const char *method, const QString &caption) const
    {
        QRect result;
        QMetaObject::invokeMethod(control.get(), method, Q_RETURN_ARG(QRect, result),
                                  Q_ARG(QString, caption));
        return result;
    }
    QRect row(const QString &caption) const { return rect("RowRect", caption); }
    QRect category(const QString &caption) const { return rect("CategoryRect", caption); }

    bool expanded(const QString &category) const
    {
        bool result = false;
        QMetaObject::invokeMethod(control.get(), "IsCategoryExpanded", Q_RETURN_ARG(bool, result),
                                  Q_ARG(QString, category));
        return result;
    }

    // The list's viewport takes the mouse; points are given in control coordinates.
    QWidget *viewport() const
    {
        return control->findChild<QAbstractScrollArea *>(QStringLiteral("fieldoraGrid"))
            ->viewport();
    }
    QPoint inViewport(const QPoint &point) const
    {
        return viewport()->mapFrom(control.get(), point);
    }
    void press(const QPoint &point)
    {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, inViewport(point));
    }
    void click(const QPoint &point)
    {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, inViewport(point));
    }
    // A click in the value column of a row, which opens its editor.
    void clickValue(const QString &caption)
    {
        const QRect area = row(caption);
        click(QPoint(area.left() + area.width() * 3 / 4, area.center().y()));
    }
    QPoint buttonOf(const QString &caption) const
    {
        const QRect area = row(caption);
        return QPoint(area.right() - 10, area.center().y());
    }

    // The open editor of that kind (one that was closed may wait to be deleted).
    template<typename T = QWidget>
    T *editor(const char *name) const
    {
        for (T *widget : control->findChildren<T *>(QString::fromLatin1(name)))
            if (widget->isVisible())
                return widget;
        return nullptr;
    }

    std::unique_ptr<QWidget> control;
    std::unique_ptr<QSignalSpy> changes;
    ClickAnswer answer;
};

// Runs `answer` on the next modal window that opens (a dialog the grid runs itself); false
// when none opened within the time.
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(QWidget *)> answer)
        : answer_(std::move(answer))
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                timer_.stop();
                answered_ = true;
                title_ = modal->windowTitle();
                answer_(modal);
            }
        });
        timer_.start();
    }
    bool answered() const { return answered_; }
    QString title() const { return title_; }

private:
    std::function<void(QWidget *)> answer_;
    QTimer timer_;
    bool answered_ = false;
    QString title_;
};

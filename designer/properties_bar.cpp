#include "designer/properties_bar.h"

#include "designer/designer_text.h"
#include "designer/document_adapter.h"
#include "designer/property_commands.h"
#include "designer/qt_text.h"
#include "document/messages.h"
#include "document/property_edits.h"

#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vocara {

namespace {

QVariant gridValue(const PropertyEdits::RowValue &value)
{
    switch (value.type) {
    case PropertyEdits::RowValue::Type::Boolean:
        return value.flag;
    case PropertyEdits::RowValue::Type::Choices: {
        QStringList choices;
        for (const std::string &choice : value.choices)
            choices << qt(choice);
        return choices;
    }
    case PropertyEdits::RowValue::Type::Text:
        break;
    }
    return qt(value.text);
}

} // namespace

PropertiesBar::PropertiesBar(DocumentAdapter &adapter, const QStringList &pluginFiles,
                             QWidget *parent)
    : QWidget(parent)
    , m_adapter(adapter)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);
    m_notice = new QLabel(qt(Ui::PropertiesPlaceholder), m_pages);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setWordWrap(true);
    m_notice->setForegroundRole(QPalette::PlaceholderText);
    m_notice->setMargin(8);
    m_pages->addWidget(m_notice);

    QString why;
    if (!m_grid.create(qt(Ui::PropertyGridClassId), pluginFiles, m_pages, &why)) {
        qWarning("vocara: the property grid was looked for in %s: %s",
                 qPrintable(pluginFiles.join(QStringLiteral(", "))), qPrintable(why));
        m_notice->setText(qt(Msg::fillIn(Ui::PropertyGridMissing, {utf8(why)})));
        m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
        setFocusProxy(m_notice);
        return;
    }
    m_pages->addWidget(m_grid.control());
    setFocusProxy(m_grid.control());
    connect(m_grid.control(), SIGNAL(PropertyChanged(QString, QVariant)), this,
            SLOT(onPropertyChanged(QString, QVariant)));
    connect(&m_adapter, &DocumentAdapter::nodeChanged, this, [this](quint64 id) {
        if (id == m_shown)
            syncValues();
    });
    connect(&m_adapter, &DocumentAdapter::nodeRemoved, this, [this](quint64 id) {
        if (id == m_shown)
            showNode(NoNode);
    });
    connect(&m_adapter, &DocumentAdapter::documentReset, this, [this] { showNode(NoNode); });
    // Another mode is another catalogue: other rows.
    connect(&m_adapter, &DocumentAdapter::modeChanged, this, [this] { showNode(m_shown); });
    // The variable choice lists follow the flow's variables.
    connect(&m_adapter, &DocumentAdapter::variablesChanged, this, [this] { showNode(m_shown); });
}

void PropertiesBar::showNode(NodeId id)
{
    if (!m_grid.control())
        return;
    m_shown = m_adapter.doc().exists(id) ? id : NoNode;
    m_filling = true;
    m_grid.Clear();
    for (const PropertyEdits::Row &row : PropertyEdits::rowsFor(m_adapter.doc(), m_shown)) {
        m_grid.AddProperty(qt(row.category), qt(row.label), gridValue(row.initial),
                           qt(row.description), static_cast<short>(row.buttonType), row.editable);
        if (row.set)
            m_grid.SetValue(qt(row.label), gridValue(*row.set));
    }
    m_filling = false;
    m_pages->setCurrentIndex(m_shown == NoNode ? 0 : 1);
}

void PropertiesBar::onPropertyChanged(const QString &label, const QVariant &value)
{
    if (m_filling || m_shown == NoNode)
        return;
    // A check box commits "1" or "0".
    const std::string text =
        value.typeId() == QMetaType::Bool ? (value.toBool() ? "1" : "0") : utf8(value.toString());
    m_adapter.undoStack()->push(new PropertyCommand(m_adapter, m_shown, utf8(label), text));
    // A refused rename, the password's mask: the rows show what the node holds.
    syncValues();
}

void PropertiesBar::syncValues()
{
    if (m_shown == NoNode || m_filling)
        return;
    m_filling = true;
    for (const PropertyEdits::Row &row : PropertyEdits::rowsFor(m_adapter.doc(), m_shown)) {
        const QString label = qt(row.label);
        const QVariant shown = m_grid.GetValue(label);
        QVariant wanted;
        if (row.set)
            wanted = gridValue(*row.set);
        else if (row.initial.type == PropertyEdits::RowValue::Type::Choices)
            wanted = QString();
        else
            wanted = gridValue(row.initial);
        const bool same = wanted.typeId() == QMetaType::Bool
                              ? shown.toBool() == wanted.toBool()
                              : shown.toString() == wanted.toString();
        if (!same)
            m_grid.SetValue(label, wanted);
    }
    m_filling = false;
}

} // namespace vocara

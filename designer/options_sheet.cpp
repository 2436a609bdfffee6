#include "designer/options_sheet.h"

#include "designer/canvas_painter.h"
#include "designer/dialog_text.h"
#include "designer/qt_text.h"
#include "document/ivr_settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vocara {

namespace {

// Autosave intervals outside these minutes switch autosave off.
constexpr long MinimumInterval = 1;
constexpr long MaximumInterval = 100;

struct ColorGroup
{
    std::string_view title;
    std::pair<std::string_view, int> buttons[2];
};

constexpr ColorGroup ColorGroups[] = {
    {Ui::NodeColors,
     {{Ui::SelectedColor, Setting::NodeColorSel}, {Ui::UnSelectedColor, Setting::NodeColorNotSel}}},
    {Ui::LineColors,
     {{Ui::SelectedColor, Setting::LineColorSel}, {Ui::UnSelectedColor, Setting::LineColorNotSel}}},
    {Ui::SimulatorColors,
     {{Ui::SimulatorNodeColor, Setting::SimulatorNodeColorSel},
      {Ui::SimulatorPathColor, Setting::SimulatorPathColorSel}}},
    {Ui::ToolTipColors, {{Ui::ToolTipColor, Setting::ToolTipColor}, {{}, 0}}},
};

} // namespace

OptionsSheet::OptionsSheet(IvrSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setWindowTitle(qt(Ui::OptionsTitle));
    m_colorPicker = [this](const QColor &current) {
        return QColorDialog::getColor(current, this);
    };
    m_pathPicker = [this](bool folder, const QString &current) {
        return folder ? QFileDialog::getExistingDirectory(this, qt(Ui::ChooseSaveFolder), current)
                      : QFileDialog::getOpenFileName(this, QString(), current,
                                                     qt(Ui::DefaultTreeFilter));
    };
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->addTab(makeGeneralPage(), qt(Ui::GeneralPage));
    m_pages->addTab(makeColorsPage(), qt(Ui::ColorsPage));
    layout->addWidget(m_pages);
    // OK and Cancel; no Apply.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsSheet::reject);
    // A page counts as shown once it was the current one.
    m_generalShown = true;
    connect(m_pages, &QTabWidget::currentChanged, this,
            [this](int index) { (index == 0 ? m_generalShown : m_colorsShown) = true; });
}

QWidget *OptionsSheet::makeGeneralPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *group = new QGroupBox(qt(Ui::AutoSaveGroup), page);
    auto *grid = new QGridLayout(group);
    m_autoSave = new QCheckBox(qt(Ui::AutoSaveEnabled), group);
    m_autoSave->setChecked(m_settings.text(Setting::AutoSave) == "1");
    grid->addWidget(m_autoSave, 0, 0, 1, 3);
    auto *every = new QLabel(qt(Ui::AutoSaveEvery), group);
    m_interval = new QLineEdit(qt(m_settings.text(Setting::AutoSaveInterval)), group);
    m_interval->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), this));
    m_interval->setMaximumWidth(80);
    every->setBuddy(m_interval);
    grid->addWidget(every, 1, 0);
    grid->addWidget(m_interval, 1, 1);
    grid->addWidget(new QLabel(qt(Ui::AutoSaveMinutes), group), 1, 2);
    m_toDocument = new QCheckBox(qt(Ui::AutoSaveToDocument), group);
    m_toDocument->setChecked(m_settings.text(Setting::AutoSaveToDoc) == "1");
    grid->addWidget(m_toDocument, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    layout->addWidget(group);
    // The interval is only for an enabled autosave.
    m_interval->setEnabled(m_autoSave->isChecked());
    connect(m_autoSave, &QCheckBox::toggled, m_interval, &QWidget::setEnabled);

    auto pathRow = [&](std::string_view caption, std::string_view browse, int setting,
                       bool folder) {
        layout->addWidget(new QLabel(qt(caption), page));
        auto *row = new QHBoxLayout;
        auto *field = new QLineEdit(qt(m_settings.text(setting)), page);
        auto *button = new QPushButton(qt(browse), page);
        button->setMaximumWidth(48);
        row->addWidget(field);
        row->addWidget(button);
        layout->addLayout(row);
        connect(button, &QPushButton::clicked, this, [this, field, folder] {
            const QString chosen = m_pathPicker(folder, field->text());
            if (!chosen.isEmpty())
                field->setText(chosen);
        });
        return field;
    };
    m_saveFolder =
        pathRow(Ui::DefaultSaveTo, Ui::DefaultSaveBrowse, Setting::DefaultSaveFolder, true);
    m_treePath =
        pathRow(Ui::DefaultTreePath, Ui::DefaultTreeBrowse, Setting::DefaultTreePath, false);
    layout->addStretch();
    return page;
}

QWidget *OptionsSheet::makeColorsPage()
{
    auto *page = new QWidget;
    auto *layout = new QGridLayout(page);
    int at = 0;
    for (const ColorGroup &group : ColorGroups) {
        auto *box = new QGroupBox(qt(group.title), page);
        auto *row = new QHBoxLayout(box);
        for (const auto &[caption, setting] : group.buttons) {
            if (setting == 0)
                continue;
            m_colors[setting] = storedColor(m_settings.number(setting));
            auto *button = new QPushButton(qt(caption), box);
            button->setMinimumWidth(110);
            m_buttons[setting] = button;
            paintButton(setting);
            row->addWidget(button);
            connect(button, &QPushButton::clicked, this, [this, setting] { pickColor(setting); });
        }
        layout->addWidget(box, at / 2, at % 2);
        ++at;
    }
    layout->setRowStretch(2, 1);
    return page;
}

void OptionsSheet::paintButton(int setting)
{
    // The button carries a swatch of its colour.
    QPixmap swatch(32, 16);
    swatch.fill(m_colors.at(setting));
    QPainter frame(&swatch);
    frame.setPen(Qt::black);
    frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    frame.end();
    m_buttons.at(setting)->setIcon(QIcon(swatch));
    m_buttons.at(setting)->setIconSize(swatch.size());
}

void OptionsSheet::pickColor(int setting)
{
    const QColor chosen = m_colorPicker(m_colors.at(setting));
    if (!chosen.isValid())
        return;
    m_colors[setting] = chosen;
    paintButton(setting);
}

void OptionsSheet::accept()
{
    if (m_generalShown) {
        m_settings.setText(Setting::DefaultSaveFolder, utf8(m_saveFolder->text()));
        m_settings.setText(Setting::DefaultTreePath, utf8(m_treePath->text()));
        m_settings.setText(Setting::AutoSaveInterval, utf8(m_interval->text()));
        const long interval = m_interval->text().toLong();
        const bool autoSave =
            m_autoSave->isChecked() && interval >= MinimumInterval && interval <= MaximumInterval;
        m_settings.setText(Setting::AutoSave, autoSave ? "1" : "0");
        m_settings.setText(Setting::AutoSaveToDoc, m_toDocument->isChecked() ? "1" : "0");
    }
    if (m_colorsShown) {
        for (const auto &[setting, color] : m_colors)
            m_settings.setNumber(setting, storedValue(color));
    }
    std::string error;
    m_saveFailed = !m_settings.save(&error);
    m_saveError = std::move(error);
    QDialog::accept();
}

} // namespace vocara

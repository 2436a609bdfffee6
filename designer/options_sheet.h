#pragma once

#include <QDialog>

#include <functional>
#include <map>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vocara {

class IvrSettings;

// Settings > Customize: the "General" and "Colors" pages over the designer's settings. OK
// writes each page that was ever shown (and saves the file); Cancel writes nothing.
class OptionsSheet : public QDialog
{
    Q_OBJECT

public:
    // Asks for a colour, a folder or a file; tests answer instead of the real dialogs.
    using ColorPicker = std::function<QColor(const QColor &current)>;
    using PathPicker = std::function<QString(bool folder, const QString &current)>;

    OptionsSheet(IvrSettings &settings, QWidget *parent = nullptr);

    void setColorPicker(ColorPicker picker) { m_colorPicker = std::move(picker); }
    void setPathPicker(PathPicker picker) { m_pathPicker = std::move(picker); }

    QTabWidget *pages() const { return m_pages; }
    QCheckBox *autoSaveBox() const { return m_autoSave; }
    QLineEdit *intervalField() const { return m_interval; }
    QCheckBox *toDocumentBox() const { return m_toDocument; }
    QLineEdit *saveFolderField() const { return m_saveFolder; }
    QLineEdit *treePathField() const { return m_treePath; }
    // The colour button of a setting id (Setting::NodeColorSel, ...).
    QPushButton *colorButton(int setting) const { return m_buttons.at(setting); }
    QColor color(int setting) const { return m_colors.at(setting); }

    void accept() override;
    // Whether the settings file could not be written on OK, and why.
    bool saveFailed() const { return m_saveFailed; }
    const std::string &saveError() const { return m_saveError; }

private:
    QWidget *makeGeneralPage();
    QWidget *makeColorsPage();
    void pickColor(int setting);
    void paintButton(int setting);

    IvrSettings &m_settings;
    QTabWidget *m_pages = nullptr;
    QCheckBox *m_autoSave = nullptr;
    QLineEdit *m_interval = nullptr;
    QCheckBox *m_toDocument = nullptr;
    QLineEdit *m_saveFolder = nullptr;
    QLineEdit *m_treePath = nullptr;
    std::map<int, QPushButton *> m_buttons;
    std::map<int, QColor> m_colors;
    bool m_generalShown = false;
    bool m_colorsShown = false;
    ColorPicker m_colorPicker;
    PathPicker m_pathPicker;
    bool m_saveFailed = false;
    std::string m_saveError;
};

} // namespace vocara

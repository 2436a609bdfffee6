#pragma once

#include "fieldora/fieldora_row.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QPointer>

#include <optional>
#include <vector>

class QNetworkAccessManager;

namespace fieldora {

class InPlaceEditor;

// The list of category and property rows with its splitter, in-place editors and value
// buttons. The control around it adds the description pane and the host interface.
class FieldoraGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit FieldoraGrid(QWidget *parent = nullptr);
    ~FieldoraGrid() override;

    void clear();
    void addProperty(const QString &category, const QString &caption, const QVariant &value,
                     const QString &description, short buttonType, bool enabled);
    enum class SetResult { Done, NoSuchRow, WrongType };
    SetResult setValue(const QString &caption, const QVariant &value);
    void closeAll();

    int rowIndex(const QString &caption) const; // -1 when no row has the caption
    const std::vector<Row> &rows() const { return rows_; }
    QVariant hostValue(const Row &row) const;
    QRect rowRect(int index) const; // in viewport coordinates; empty when hidden
    int selectedRow() const { return selected_; }
    void selectRow(int index, bool focusEditor);
    void toggleCategory(int index);

    int splitterPercent() const { return splitter_; }
    void setSplitterPercent(int percent);

    // The largest picture a row fetches, and how long a fetch may take.
    static constexpr qint64 PictureByteLimit = 16 * 1024 * 1024;
    static constexpr int PictureFetchMilliseconds = 30000;

signals:
    void propertyChanged(const QString &name, const QVariant &value);
    void buttonClicked(const QString &name, short buttonType, QObject *value);
    void descriptionChanged(const QString &caption, const QString &description);
    void pictureLoaded(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Part { Nothing, Splitter, Expand, Button, Caption, Value };
    struct Hit
    {
        int row = -1;
        Part part = Part::Nothing;
    };

    Hit hitTest(const QPoint &point) const;
    int baseHeight() const;
    int rowHeight(const Row &row) const;
    void setCategoryExpanded(int index, bool expanded);
    void dropHiddenSelection();
    void ensureRowVisible(int index);
    void relayout();
    int splitterX() const;
    QRect valueButtonRect(const QRect &rowArea) const;
    void paintCategory(QPainter &painter, const Row &row, const QRect &area) const;
    void paintPushButton(QPainter &painter, const Row &row, const QRect &area) const;
    void paintProperty(QPainter &painter, const Row &row, const QRect &area, bool selected) const;

    void placeEditor();
    void dropEditor();
    void commitEditor();
    void cancelEditor();
    void moveSelection(int step);
    void applyUserValue(int index, const QVariant &converted);
    void clickButton(int index);
    std::optional<QVariant> runBuiltInAction(int index);
    void loadPicture(int index);
    int indexOfSerial(quint64 serial) const;
    QStringList editBoxCaptions() const;
    QIcon valueIcon(const Row &row) const;

    std::vector<Row> rows_;
    std::vector<int> tops_; // top of every row in content coordinates; -1 when hidden
    std::vector<int> heights_;
    int contentHeight_ = 0;
    int selected_ = -1;
    int splitter_ = 50;
    bool dragging_ = false;
    bool committing_ = false;
    quint64 nextSerial_ = 1;
    QPointer<InPlaceEditor> editor_;
    QFont rowFont_;
    QFont boldFont_;
    QNetworkAccessManager *network_ = nullptr;
    // Value-button icons by button type (and, for open buttons, by file), drawn once.
    mutable QHash<QString, QIcon> icons_;
};

} // namespace fieldora

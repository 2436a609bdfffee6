#pragma once

#include <QFrame>
#include <QVariantMap>

namespace fieldora {
class FieldoraGrid;
class DescriptionPane;
} // namespace fieldora

// The property grid control. A host drives it by name through the meta-object system:
// the members up to AboutBox are its dispatch interface, in dispatch order; the signals are
// its events. The members after AboutBox let a host read back what the grid holds.
class CFieldoraCtrl : public QFrame
{
    Q_OBJECT
    Q_CLASSINFO("ClassId", "FIELDORA.FieldoraCtrl.1")
    Q_CLASSINFO("TypeLibrary", "FIELDORALib")
    Q_CLASSINFO("DispId.ShowDescription", "1")
    Q_CLASSINFO("DispId.Precision", "2")
    Q_CLASSINFO("DispId.BorderStyle", "3")
    Q_CLASSINFO("DispId.Clear", "4")
    Q_CLASSINFO("DispId.AddProperty", "5")
    Q_CLASSINFO("DispId.SetValue", "6")
    Q_CLASSINFO("DispId.CloseAll", "7")
    Q_CLASSINFO("DispId.AboutBox", "-552")
    Q_CLASSINFO("EventId.PropertyChanged", "1")
    Q_CLASSINFO("EventId.ButtonClicked", "2")
    Q_PROPERTY(bool ShowDescription READ ShowDescription WRITE SetShowDescription)
    Q_PROPERTY(short Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(short BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int SplitterPosition READ SplitterPosition WRITE SetSplitterPosition)
    Q_PROPERTY(QString SelectedProperty READ SelectedProperty)

public:
    explicit CFieldoraCtrl(QWidget *parent = nullptr);
    ~CFieldoraCtrl() override;

    bool ShowDescription() const { return showDescription_; }
    void SetShowDescription(bool show);
    short Precision() const { return precision_; }
    void SetPrecision(short precision);
    short BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(short style);

    Q_INVOKABLE void Clear();
    Q_INVOKABLE void AddProperty(const QString &Category, const QString &Caption,
                                 const QVariant &Value, const QString &Description,
                                 short ButtonType, bool IsEnabled);
    // {"Number": 0 | 422 | 380, "Description": the error's text}
    Q_INVOKABLE QVariantMap SetValue(const QString &PropertyName, const QVariant &Value);
    Q_INVOKABLE void CloseAll();
    Q_INVOKABLE void AboutBox();

    Q_INVOKABLE QVariant GetValue(const QString &PropertyName) const;
    Q_INVOKABLE QString DisplayText(const QString &PropertyName) const;
    // Where a row is drawn, in the control's coordinates; empty while it is hidden.
    Q_INVOKABLE QRect RowRect(const QString &Caption) const;
    Q_INVOKABLE QRect CategoryRect(const QString &Category) const;
    Q_INVOKABLE bool IsCategoryExpanded(const QString &Category) const;
    Q_INVOKABLE int RowCount() const;
    Q_INVOKABLE QString DescriptionText() const;
    Q_INVOKABLE QVariantMap SaveState() const;
    Q_INVOKABLE void LoadState(const QVariantMap &state);

    int SplitterPosition() const;
    void SetSplitterPosition(int percent);
    QString SelectedProperty() const;

signals:
    void PropertyChanged(const QString &PropertyName, const QVariant &NewValue);
    void ButtonClicked(const QString &PropertyName, short ButtonType, QObject *Value);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutChildren();
    QRect toControl(const QRect &viewportRect) const;

    fieldora::FieldoraGrid *grid_;
    fieldora::DescriptionPane *pane_;
    bool showDescription_ = true;
    short precision_ = 0;
    short borderStyle_ = 4;
};

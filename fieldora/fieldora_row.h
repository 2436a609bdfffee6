#pragma once

#include <QDateTime>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace fieldora {

// The button a property row carries; any other value is kept and handed back to the host.
namespace button {
inline constexpr short None = 0;
inline constexpr short Elipsis = 1;
inline constexpr short Pick = 2;
inline constexpr short Open = 3;
inline constexpr short Link = 4;
inline constexpr short Color = 5;
inline constexpr short Mail = 6;
inline constexpr short LongDate = 7;
inline constexpr short ShortDate = 8;
inline constexpr short Time = 9;
inline constexpr short MultyText = 10;
inline constexpr short Button = 11;
inline constexpr short Function = 12;
inline constexpr short Picture = -1;
} // namespace button

namespace border {
inline constexpr short None = 0;
inline constexpr short Raized = 1;
inline constexpr short Sunken = 2;
inline constexpr short Flat = 3;
inline constexpr short Static = 4;
} // namespace border

// The type a row keeps its value in.
enum class ValueType {
    Int16,
    Int32,
    Real32,
    Real64,
    String,
    Date,
    Boolean,
    Picture,
    Choices,
    Other
};

// How a row is drawn and edited.
enum class RowKind {
    Category,
    EditBox,    // single-line text and numbers, with an icon button unless ButtonNone
    MultiLine,  // ButtonMultyText
    PushButton, // ButtonButton, drawn across the full width
    Color,      // ButtonColor
    Picture,    // ButtonPicture or a picture value
    DateTime,   // a date value
    CheckBox,   // a Boolean value
    DropDown,   // a list of strings
    Plain       // any other value: shown, not edited
};

struct Row
{
    RowKind kind = RowKind::Plain;
    ValueType type = ValueType::Other;
    QString caption;
    QString description;
    QVariant value; // the typed value; for a drop-down the chosen text, for a picture its source
    QStringList choices; // drop-down rows
    QPixmap picture;     // picture rows, once loaded
    short buttonType = button::None;
    bool enabled = true;
    bool visible = true;  // false while the row's category is collapsed
    bool expanded = true; // category rows
    quint64 serial = 0;   // tells a row apart from a later one of the same caption

    bool isCategory() const { return kind == RowKind::Category; }
    bool isEditable() const { return enabled && kind != RowKind::Plain && !isCategory(); }
    // Whether a small button is drawn at the right of the value.
    bool hasValueButton() const;
};

// A property row for a value added with the given button type.
Row makePropertyRow(const QString &caption, const QVariant &value, const QString &description,
                    short buttonType, bool enabled);
Row makeCategoryRow(const QString &caption);

// A one-dimensional list given as a variant, as strings; nothing when the value is no list.
std::optional<QStringList> choiceList(const QVariant &value);

// The text the value column shows (pictures and colours draw more beside it).
QString displayText(const Row &row);

// Text typed for a numeric row, parsed in the C locale. A real ending in an inch mark (")
// is turned into millimetres. Text that does not parse completely, or a number outside the
// row's type, gives nothing.
std::optional<QVariant> parseTyped(ValueType type, const QString &text);

// The value converted to what the row holds; nothing when the row cannot take it.
std::optional<QVariant> convertForRow(const Row &row, const QVariant &value);

// Stores a converted value; true when it differs from the previous one.
bool storeValue(Row &row, const QVariant &converted);

// Colours are held as 0x00BBGGRR.
QColor colorFromValue(const QVariant &value);
int colorToValue(const QColor &color);

// "name (a;b)|a;b||" as Qt name filters: "name (a b)".
QString fileDialogFilter(const char *filter);

} // namespace fieldora

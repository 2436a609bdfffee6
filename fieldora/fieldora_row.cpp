#include "fieldora/fieldora_row.h"

#include "fieldora/fieldora_text.h"

#include <QColor>
#include <QImage>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace fieldora {
namespace {

bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isNumberType(int id)
{
    return isIntegerType(id) || id == QMetaType::Float || id == QMetaType::Double;
}

bool isDateType(int id)
{
    return id == QMetaType::QDateTime || id == QMetaType::QDate || id == QMetaType::QTime;
}

bool isPictureType(int id)
{
    return id == QMetaType::QPixmap || id == QMetaType::QImage;
}

QDateTime toDateTime(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        return QDateTime(QDate(1899, 12, 30), value.toTime());
    default:
        return value.toDateTime();
    }
}

// The double rounded to an integer of type T, if it fits.
template<typename T>
std::optional<QVariant> roundedTo(double number)
{
    const double rounded = std::round(number);
    if (rounded < std::numeric_limits<T>::min() || rounded > std::numeric_limits<T>::max())
        return std::nullopt;
    return QVariant::fromValue(static_cast<T>(rounded));
}

// A number of the row's type from a double, if it fits.
std::optional<QVariant> numberOf(ValueType type, double number)
{
    if (!std::isfinite(number))
        return std::nullopt;
    switch (type) {
    case ValueType::Int16:
        return roundedTo<short>(number);
    case ValueType::Int32:
        return roundedTo<int>(number);
    case ValueType::Real32:
        if (std::fabs(number) > std::numeric_limits<float>::max())
            return std::nullopt;
        return QVariant::fromValue(static_cast<float>(number));
    case ValueType::Real64:
        return QVariant::fromValue(number);
    default:
        return std::nullopt;
    }
}

// The whole text as a number in the C locale (a leading '+' allowed).
template<typename T>
std::optional<T> parseWhole(const std::string &text)
{
    std::string_view digits(text);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '+')
        return std::nullopt;
    T result{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return result;
}

std::optional<bool> parseBoolean(const QString &text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("yes"))
        return true;
    if (word == QLatin1String("false") || word == QLatin1String("no"))
        return false;
    if (const auto number = parseWhole<double>(word.toStdString()))
        return *number != 0;
    return std::nullopt;
}

std::optional<QDateTime> parseDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    QDateTime when = QDateTime::fromString(trimmed, Qt::ISODate);
    if (when.isValid())
        return when;
    const QDate day = QDate::fromString(trimmed, Qt::ISODate);
    if (day.isValid())
        return QDateTime(day, QTime(0, 0));
    const QLocale locale;
    when = locale.toDateTime(trimmed, QLocale::ShortFormat);
    if (when.isValid())
        return when;
    const QDate localDay = locale.toDate(trimmed, QLocale::ShortFormat);
    if (localDay.isValid())
        return QDateTime(localDay, QTime(0, 0));
    return std::nullopt;
}

QString formatNumber(ValueType type, const QVariant &value)
{
    if (type == ValueType::Int16 || type == ValueType::Int32)
        return QString::asprintf(text::IntegerFormat, value.toInt());
    return QString::asprintf(text::RealFormat, value.toDouble());
}

} // namespace

bool Row::hasValueButton() const
{
    switch (kind) {
    case RowKind::EditBox:
        return buttonType != button::None;
    case RowKind::Color:
    case RowKind::Picture:
        return true;
    default:
        return false;
    }
}

std::optional<QStringList> choiceList(const QVariant &value)
{
    const int id = value.metaType().id();
    if (id == QMetaType::QStringList)
        return value.toStringList();
    if (id != QMetaType::QVariantList)
        return std::nullopt;
    QStringList strings;
    for (const QVariant &item : value.toList()) {
        if (!item.canConvert<QString>())
            return std::nullopt;
        strings.append(item.toString());
    }
    return strings;
}

Row makeCategoryRow(const QString &caption)
{
    Row row;
    row.kind = RowKind::Category;
    row.caption = caption;
    return row;
}

Row makePropertyRow(const QString &caption, const QVariant &value, const QString &description,
                    short buttonType, bool enabled)
{
    Row row;
    row.caption = caption;
    row.description = description;
    row.buttonType = buttonType;
    row.enabled = enabled;
    const int id = value.metaType().id();

    auto scalarKind = [buttonType] {
        switch (buttonType) {
        case button::Color:
            return RowKind::Color;
        case button::MultyText:
            return RowKind::MultiLine;
        case button::Button:
            return RowKind::PushButton;
        case button::Picture:
            return RowKind::Picture;
        default:
            return RowKind::EditBox;
        }
    };

    if (const auto strings = choiceList(value)) {
        row.kind = RowKind::DropDown;
        row.type = ValueType::Choices;
        row.choices = *strings;
        row.value = QString();
    } else if (isDateType(id)) {
        row.kind = RowKind::DateTime;
        row.type = ValueType::Date;
        row.value = toDateTime(value);
    } else if (id == QMetaType::Bool) {
        row.kind = RowKind::CheckBox;
        row.type = ValueType::Boolean;
        row.value = value.toBool();
    } else if (isPictureType(id)) {
        row.kind = RowKind::Picture;
        row.type = ValueType::Picture;
        row.picture = id == QMetaType::QPixmap ? value.value<QPixmap>()
                                               : QPixmap::fromImage(value.value<QImage>());
        row.value = QString();
    } else if (id == QMetaType::QString || isNumberType(id)) {
        row.kind = scalarKind();
        if (id == QMetaType::QString) {
            row.type = row.kind == RowKind::Picture ? ValueType::Picture : ValueType::String;
            row.value = value.toString();
        } else {
            row.type = id == QMetaType::Float    ? ValueType::Real32
                       : id == QMetaType::Double ? ValueType::Real64
                       : id == QMetaType::Short || id == QMetaType::UShort ||
                               id == QMetaType::Char || id == QMetaType::SChar ||
                               id == QMetaType::UChar
                           ? ValueType::Int16
                           : ValueType::Int32;
            auto number = numberOf(row.type, value.toDouble());
            if (!number) { // an integer too large for 32 bits is kept as a real
                row.type = ValueType::Real64;
                number = numberOf(row.type, value.toDouble());
            }
            row.value = *number;
            if (row.kind == RowKind::Picture) // a picture comes from a path, never a number
                row.kind = RowKind::EditBox;
        }
    } else {
        row.kind = RowKind::Plain;
        row.type = ValueType::Other;
        row.value = value;
    }
    return row;
}

QColor colorFromValue(const QVariant &value)
{
    const qint64 number = value.metaType().id() == QMetaType::QString
                              ? value.toString().trimmed().toLongLong()
                              : value.toLongLong();
    return QColor(static_cast<int>(number & 0xFF), static_cast<int>((number >> 8) & 0xFF),
                  static_cast<int>((number >> 16) & 0xFF));
}

int colorToValue(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QString displayText(const Row &row)
{
    if (row.isCategory() || row.kind == RowKind::PushButton)
        return row.caption;
    if (row.kind == RowKind::Color) {
        const QColor color = colorFromValue(row.value);
        return QString::asprintf(text::RgbFormat, color.red(), color.green(), color.blue());
    }
    if (row.kind == RowKind::Picture) {
        if (row.picture.isNull())
            return QString::fromUtf8(text::NothingSelected);
        return row.value.toString().section(QLatin1Char('/'), -1);
    }
    switch (row.type) {
    case ValueType::Int16:
    case ValueType::Int32:
    case ValueType::Real32:
    case ValueType::Real64:
        return formatNumber(row.type, row.value);
    case ValueType::Boolean:
        return QString::fromUtf8(row.value.toBool() ? text::Yes : text::No);
    case ValueType::Date: {
        const QDateTime when = row.value.toDateTime();
        const QLocale locale;
        if (row.buttonType == button::LongDate)
            return locale.toString(when.date(), QLocale::LongFormat);
        if (row.buttonType == button::Time)
            return locale.toString(when.time(), QLocale::ShortFormat);
        return locale.toString(when.date(), QLocale::ShortFormat);
    }
    default:
        return row.value.toString();
    }
}

std::optional<QVariant> parseTyped(ValueType type, const QString &typed)
{
    switch (type) {
    case ValueType::String:
    case ValueType::Picture:
    case ValueType::Choices:
        return QVariant(typed);
    case ValueType::Boolean:
        if (const auto flag = parseBoolean(typed))
            return QVariant(*flag);
        return std::nullopt;
    case ValueType::Date:
        if (const auto when = parseDate(typed))
            return QVariant(*when);
        return std::nullopt;
    case ValueType::Other:
        return std::nullopt;
    default:
        break;
    }
    QString text = typed.trimmed();
    bool inches = false;
    if ((type == ValueType::Real32 || type == ValueType::Real64) &&
        text.endsWith(QLatin1Char('"'))) {
        inches = true;
        text.chop(1);
        text = text.trimmed();
    }
    const std::string bytes = text.toStdString();
    if (type == ValueType::Int16 || type == ValueType::Int32) {
        const auto whole = parseWhole<long long>(bytes);
        if (!whole)
            return std::nullopt;
        return numberOf(type, static_cast<double>(*whole));
    }
    const auto real = parseWhole<double>(bytes);
    if (!real)
        return std::nullopt;
    return numberOf(type, inches ? *real * 25.4 : *real);
}

std::optional<QVariant> convertForRow(const Row &row, const QVariant &value)
{
    const int id = value.metaType().id();
    switch (row.type) {
    case ValueType::Int16:
    case ValueType::Int32:
    case ValueType::Real32:
    case ValueType::Real64:
        if (id == QMetaType::QString)
            return parseTyped(row.type, value.toString());
        if (isNumberType(id) || id == QMetaType::Bool)
            return numberOf(row.type, value.toDouble());
        return std::nullopt;
    case ValueType::String:
        if (!value.isValid())
            return QVariant(QString());
        if (id == QMetaType::QString)
            return value;
        if (isNumberType(id) || id == QMetaType::Bool)
            return QVariant(value.toString());
        if (isDateType(id))
            return QVariant(toDateTime(value).toString(Qt::ISODate));
        return std::nullopt;
    case ValueType::Date:
        if (isDateType(id))
            return QVariant(toDateTime(value));
        if (id == QMetaType::QString)
            return parseTyped(row.type, value.toString());
        return std::nullopt;
    case ValueType::Boolean:
        if (id == QMetaType::Bool)
            return value;
        if (isNumberType(id))
            return QVariant(value.toDouble() != 0);
        if (id == QMetaType::QString)
            return parseTyped(row.type, value.toString());
        return std::nullopt;
    case ValueType::Choices:
        if (const auto strings = choiceList(value))
            return QVariant(*strings);
        if (id == QMetaType::QString || isNumberType(id))
            return QVariant(value.toString());
        return std::nullopt;
    case ValueType::Picture:
        if (id == QMetaType::QString || isPictureType(id))
            return value;
        return std::nullopt;
    case ValueType::Other:
        return value;
    }
    return std::nullopt;
}

bool storeValue(Row &row, const QVariant &converted)
{
    const int id = converted.metaType().id();
    if (row.type == ValueType::Choices && id == QMetaType::QStringList) {
        const QStringList strings = converted.toStringList();
        const bool changed = strings != row.choices;
        row.choices = strings;
        return changed;
    }
    if (row.type == ValueType::Picture && isPictureType(id)) {
        row.picture = id == QMetaType::QPixmap ? converted.value<QPixmap>()
                                               : QPixmap::fromImage(converted.value<QImage>());
        row.value = QString();
        return true;
    }
    const bool changed = row.value.metaType() != converted.metaType() || row.value != converted;
    row.value = converted;
    return changed;
}

QString fileDialogFilter(const char *filter)
{
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        QString name = parts[i];
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && name.endsWith(QLatin1Char(')')))
            name = name.left(open).trimmed();
        filters.append(name + QLatin1String(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QLatin1String(";;"));
}

} // namespace fieldora

#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vocara {

// The core's UTF-8 texts as Qt's strings, and back.
inline QString qt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string utf8(const QString &text)
{
    return text.toStdString();
}

} // namespace vocara

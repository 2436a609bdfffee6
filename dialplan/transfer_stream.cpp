#include "dialplan/transfer_stream.h"

namespace vocara {

namespace {

constexpr std::string_view Prefix = "FILEWRITE:";
constexpr std::string_view Begin = ";BEGIN";
constexpr std::string_view Finish = ";FINISH";

} // namespace

bool TransferStream::append(std::string_view bytes)
{
    if (m_refused)
        return false;
    m_data.append(bytes);
    if (!headerComplete())
        parseHeader();
    else if (m_data.size() - m_headerEnd > m_maxContent + m_finish.size())
        m_refused = true;
    return !m_refused;
}

void TransferStream::parseHeader()
{
    const std::string_view data = m_data;
    const size_t prefixed = std::min(data.size(), Prefix.size());
    if (data.substr(0, prefixed) != Prefix.substr(0, prefixed)) {
        m_refused = true;
        return;
    }
    if (data.size() < Prefix.size())
        return;
    const size_t begin = data.find(Begin, Prefix.size());
    if (begin == std::string_view::npos) {
        // The path may still be arriving, but not for ever.
        if (data.size() > Prefix.size() + MaxAnnouncedPath + Begin.size())
            m_refused = true;
        return;
    }
    if (begin - Prefix.size() > MaxAnnouncedPath) {
        m_refused = true;
        return;
    }
    m_headerEnd = begin + Begin.size();
    m_finish.reserve(Prefix.size() + (begin - Prefix.size()) + Finish.size());
    m_finish.append(Prefix)
        .append(data.substr(Prefix.size(), begin - Prefix.size()))
        .append(Finish);
    if (data.size() - m_headerEnd > m_maxContent + m_finish.size())
        m_refused = true;
}

std::string_view TransferStream::path() const
{
    if (!headerComplete())
        return {};
    return std::string_view(m_data).substr(Prefix.size(),
                                           m_headerEnd - Begin.size() - Prefix.size());
}

bool TransferStream::complete() const
{
    return !m_refused && headerComplete() && m_data.size() >= m_headerEnd + m_finish.size() &&
           std::string_view(m_data).ends_with(m_finish) &&
           m_data.size() - m_headerEnd - m_finish.size() <= m_maxContent;
}

std::string_view TransferStream::content() const
{
    if (!complete())
        return {};
    return std::string_view(m_data).substr(m_headerEnd,
                                           m_data.size() - m_headerEnd - m_finish.size());
}

} // namespace vocara

#include "designer/recent_files.h"

#include "designer/designer_text.h"
#include "designer/qt_text.h"
#include "document/messages.h"
#include "platform/registry.h"

namespace vocara {

namespace {

constexpr std::string_view UserHive = "HKEY_CURRENT_USER";

std::string listKey()
{
    return std::string(Ui::ProfileKey) + "\\" + std::string(Ui::RecentFileList);
}

std::string valueName(int index)
{
    return Msg::fillIn(Ui::RecentFileValue, {std::to_string(index + 1)});
}

} // namespace

RecentFiles::RecentFiles(Registry *registry)
    : m_registry(registry)
{
    load();
}

void RecentFiles::load()
{
    m_files.clear();
    if (!m_registry)
        return;
    for (int i = 0; i < Ui::RecentFileCount; ++i) {
        const std::optional<std::string> file =
            m_registry->value(UserHive, listKey(), valueName(i));
        if (file && !file->empty() && !m_files.contains(qt(*file)))
            m_files.append(qt(*file));
    }
}

void RecentFiles::store() const
{
    if (!m_registry)
        return;
    for (int i = 0; i < Ui::RecentFileCount; ++i) {
        if (i < m_files.size())
            m_registry->setValue(UserHive, listKey(), valueName(i), utf8(m_files[i]));
        else
            m_registry->deleteValue(UserHive, listKey(), valueName(i));
    }
}

void RecentFiles::add(const QString &path)
{
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > Ui::RecentFileCount)
        m_files.removeLast();
    store();
}

void RecentFiles::remove(const QString &path)
{
    if (m_files.removeAll(path) > 0)
        store();
}

} // namespace vocara

#pragma once

#include <QStringList>

namespace vocara {

class Registry;

// The most recently used files (4), kept in the per-user profile of the registry store as
// "File1" .. "File4" under "Recent File List", newest first.
class RecentFiles
{
public:
    explicit RecentFiles(Registry *registry);

    const QStringList &files() const { return m_files; }
    // Puts the path first, dropping an older entry for it and the oldest beyond four.
    void add(const QString &path);
    void remove(const QString &path);

private:
    void load();
    void store() const;

    Registry *m_registry;
    QStringList m_files;
};

} // namespace vocara

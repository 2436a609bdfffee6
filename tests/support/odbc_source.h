#pragma once

#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <string>

namespace vocara::test {

// A SQLite data source "vocara_test" defined in a temporary odbc.ini, which unixODBC reads
// (ODBCINI and ODBCSYSINI point at it) while this lives.
class OdbcSource
{
public:
    static constexpr const char *Name = "vocara_test";
    static constexpr const char *Driver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

    OdbcSource()
    {
        writeText(m_folder / "odbcinst.ini",
                  std::string("[SQLite3]\nDriver=") + Driver + "\nThreading=2\n");
        writeText(m_folder / "odbc.ini", std::string("[") + Name + "]\nDriver=SQLite3\nDatabase=" +
                                             (m_folder / "test.db").string() + "\n");
        ::setenv("ODBCSYSINI", m_folder.path().c_str(), 1);
        ::setenv("ODBCINI", (m_folder / "odbc.ini").c_str(), 1);
    }
    ~OdbcSource()
    {
        ::unsetenv("ODBCSYSINI");
        ::unsetenv("ODBCINI");
    }
    OdbcSource(const OdbcSource &) = delete;
    OdbcSource &operator=(const OdbcSource &) = delete;

    const std::filesystem::path &folder() const { return m_folder.path(); }

private:
    TempFolder m_folder;
};

} // namespace vocara::test

#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vocara {

// One connection to an ODBC data source through the unixODBC driver manager.
class OdbcConnection
{
public:
    struct Result
    {
        bool ok = false;
        bool hasColumns = false;          // the statement made a result set
        std::optional<std::string> first; // its first row's first field, when there is a row
        std::string error;                // the driver's diagnostics when not ok
    };

    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection &) = delete;
    OdbcConnection &operator=(const OdbcConnection &) = delete;

    // `connection` as given, e.g. "DSN=name;". False with the driver's text in `error`.
    bool open(const std::string &connection, std::string &error);
    // Runs a statement, with `parameters` bound to its "?" marks as text.
    Result execute(const std::string &sql, const std::vector<std::string> &parameters = {});
    void close();

private:
    void *m_environment = nullptr;
    void *m_connection = nullptr;
    bool m_open = false;
};

} // namespace vocara

#include "platform/odbc.h"

#include <sql.h>
#include <sqlext.h>

namespace vocara {

namespace {

std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record, state, &native, message,
                                         sizeof message, &length)))
            break;
        if (!text.empty())
            text += "; ";
        text += "[" + std::string(reinterpret_cast<char *>(state)) + "] " +
                reinterpret_cast<char *>(message);
    }
    return text.empty() ? "unknown database error" : text;
}

struct Statement
{
    SQLHSTMT handle = SQL_NULL_HSTMT;
    ~Statement()
    {
        if (handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

} // namespace

OdbcConnection::OdbcConnection() = default;

OdbcConnection::~OdbcConnection()
{
    close();
}

bool OdbcConnection::open(const std::string &connection, std::string &error)
{
    close();
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) {
        error = "The ODBC driver manager could not be started";
        return false;
    }
    m_environment = environment;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(SQL_OV_ODBC3)), 0);
    SQLHDBC handle = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment, &handle))) {
        error = diagnostics(SQL_HANDLE_ENV, environment);
        return false;
    }
    m_connection = handle;
    std::string text = connection;
    const SQLRETURN connected = SQLDriverConnect(
        handle, nullptr, reinterpret_cast<SQLCHAR *>(text.data()),
        static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(connected)) {
        error = diagnostics(SQL_HANDLE_DBC, handle);
        return false;
    }
    m_open = true;
    return true;
}

OdbcConnection::Result OdbcConnection::execute(const std::string &sql,
                                               const std::vector<std::string> &parameters)
{
    Result result;
    if (!m_open) {
        result.error = "The database is not open";
        return result;
    }
    Statement statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement.handle))) {
        result.error = diagnostics(SQL_HANDLE_DBC, m_connection);
        return result;
    }
    std::string text = sql;
    std::vector<std::string> values = parameters;
    std::vector<SQLLEN> lengths(values.size());
    SQLRETURN status = SQLPrepare(statement.handle, reinterpret_cast<SQLCHAR *>(text.data()),
                                  static_cast<SQLINTEGER>(text.size()));
    for (size_t i = 0; SQL_SUCCEEDED(status) && i < values.size(); ++i) {
        lengths[i] = static_cast<SQLLEN>(values[i].size());
        status =
            SQLBindParameter(statement.handle, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                             SQL_C_CHAR, SQL_VARCHAR, std::max<SQLULEN>(1, values[i].size()), 0,
                             values[i].data(), lengths[i], &lengths[i]);
    }
    if (SQL_SUCCEEDED(status))
        status = SQLExecute(statement.handle);
    if (!SQL_SUCCEEDED(status) && status != SQL_NO_DATA) {
        result.error = diagnostics(SQL_HANDLE_STMT, statement.handle);
        return result;
    }
    result.ok = true;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(statement.handle, &columns);
    result.hasColumns = columns > 0;
    if (!result.hasColumns || !SQL_SUCCEEDED(SQLFetch(statement.handle)))
        return result;
    // The first field as text, however long, in pieces.
    std::string field;
    char piece[4096];
    for (;;) {
        SQLLEN length = 0;
        const SQLRETURN got =
            SQLGetData(statement.handle, 1, SQL_C_CHAR, piece, sizeof piece, &length);
        if (got == SQL_NO_DATA || !SQL_SUCCEEDED(got) || length == SQL_NULL_DATA)
            break;
        const size_t chunk = length == SQL_NO_TOTAL || length >= static_cast<SQLLEN>(sizeof piece)
                                 ? sizeof piece - 1
                                 : static_cast<size_t>(length);
        field.append(piece, chunk);
        if (got == SQL_SUCCESS)
            break;
    }
    result.first = field;
    return result;
}

void OdbcConnection::close()
{
    if (m_connection) {
        if (m_open)
            SQLDisconnect(m_connection);
        SQLFreeHandle(SQL_HANDLE_DBC, m_connection);
    }
    if (m_environment)
        SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
    m_connection = nullptr;
    m_environment = nullptr;
    m_open = false;
}

} // namespace vocara

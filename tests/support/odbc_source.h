#pragma once

#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace vocara::test {

// A SQLite data source "vocara_test" defined in a temporary odbc.ini, which unixODBC reads
// (ODBCINI and ODBCSYSINI point at it) while this lives; each one starts with an empty database.
//
// The definitions stay the same for the whole test process, because unixODBC caches what it
// read from them. Its installer library is kept loaded: unixODBC unloads it at every disconnect
// together with memory that LeakSanitizer would then report without being able to name it.
class OdbcSource
{
public:
    static constexpr const char *Name = "vocara_test";
    static constexpr const char *Driver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

    OdbcSource()
    {
        static const bool kept = ::dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE) != nullptr;
        (void)kept;
        std::filesystem::create_directories(folder());
        writeText(folder() / "odbcinst.ini",
                  std::string("[SQLite3]\nDriver=") + Driver + "\nThreading=2\n");
        writeText(folder() / "odbc.ini", std::string("[") + Name + "]\nDriver=SQLite3\nDatabase=" +
                                             database().string() + "\n");
        std::filesystem::remove(database());
        ::setenv("ODBCSYSINI", folder().c_str(), 1);
        ::setenv("ODBCINI", (folder() / "odbc.ini").c_str(), 1);
    }
    ~OdbcSource()
    {
        ::unsetenv("ODBCSYSINI");
        ::unsetenv("ODBCINI");
        std::error_code ignored;
        std::filesystem::remove_all(folder(), ignored);
    }
    OdbcSource(const OdbcSource &) = delete;
    OdbcSource &operator=(const OdbcSource &) = delete;

    static std::filesystem::path folder()
    {
        return std::filesystem::temp_directory_path() /
               ("vocara-odbc-" + std::to_string(::getpid()));
    }
    static std::filesystem::path database() { return folder() / "test.db"; }
};

} // namespace vocara::test

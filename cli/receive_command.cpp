#include "cli/command.h"

#include "dialplan/file_receiver.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <tuple>

namespace vocara::cli {

int runReceive(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const std::string listen = args.value("--listen", "127.0.0.1:7070");
    FileReceiver::Options options;
    long long count = -1; // for ever
    // A whole number from `least` to `most`, when the option is given.
    auto number = [&args](std::string_view option, long long least, long long most,
                          long long &value) {
        const std::optional<std::string> text = args.value(option);
        if (!text)
            return true;
        char *end = nullptr;
        errno = 0;
        value = std::strtoll(text->c_str(), &end, 10);
        return !text->empty() && *end == '\0' && errno == 0 && value >= least && value <= most;
    };
    constexpr long long Any = std::numeric_limits<long long>::max();
    long long maxBytes = static_cast<long long>(options.maxBytes);
    using std::chrono::duration_cast;
    using std::chrono::seconds;
    long long idleSeconds = duration_cast<seconds>(options.idleTimeout).count();
    long long transferSeconds = duration_cast<seconds>(options.transferTimeout).count();
    constexpr long long Year = 366LL * 24 * 3600; // longer waits would overflow the clock
    long long clients = options.maxConnections;
    for (const auto &[option, least, most, value] :
         {std::tuple{"--max-bytes", 0LL, Any, &maxBytes},
          std::tuple{"--idle-seconds", 1LL, Year, &idleSeconds},
          std::tuple{"--transfer-seconds", 1LL, Year, &transferSeconds},
          std::tuple{"--max-clients", 1LL, 1024LL, &clients},
          std::tuple{"--count", 0LL, Any, &count}})
        if (!number(option, least, most, *value))
            return args.usageError(err, std::string("bad value for ") + option);
    options.root = args.value("--root", "");
    options.maxBytes = static_cast<std::uintmax_t>(maxBytes);
    options.idleTimeout = seconds(idleSeconds);
    options.transferTimeout = seconds(transferSeconds);
    options.maxConnections = static_cast<int>(clients);
    const size_t colon = listen.rfind(':');
    if (options.root.empty() || colon == std::string::npos) {
        err << "vocara-cli receive: needs --root DIR and --listen ADDRESS:PORT\n";
        return ExitCannotRun;
    }
    std::string host = listen.substr(0, colon);
    if (host.size() > 1 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::error_code ec;
    std::filesystem::create_directories(options.root, ec);
    if (!std::filesystem::is_directory(options.root)) {
        err << "vocara-cli receive: cannot use " << options.root.string() << " as the root\n";
        return ExitCannotRun;
    }
    FileReceiver receiver(options);
    std::string error;
    if (!receiver.listen(host, std::atoi(listen.c_str() + colon + 1), &error)) {
        err << "vocara-cli receive: cannot listen on " << listen << ": " << error << '\n';
        return ExitCannotRun;
    }
    err << "listening on " << host << ":" << receiver.port() << '\n';
    long long served = 0;
    const bool ok = count == 0 || receiver.serve([&](const FileReceiver::Transfer &transfer) {
        out << transfer.peer << '\t' << transfer.path << '\t' << transfer.bytes << '\t'
            << (transfer.stored ? "success" : "fail") << std::endl;
        if (!transfer.failure.empty())
            err << "vocara-cli receive: " << transfer.peer << ": " << transfer.failure << std::endl;
        if (count >= 0 && ++served >= count)
            receiver.stop();
    });
    if (!ok)
        return ExitCannotRun;
    return ExitOk;
}

} // namespace vocara::cli

#include "cli/command.h"

#include "dialplan/file_receiver.h"

#include <cstdlib>
#include <ostream>

namespace vocara::cli {

int runReceive(std::span<const std::string> args, std::ostream &out, std::ostream &err)
{
    std::string listen = "127.0.0.1:7070";
    FileReceiver::Options options;
    long long count = -1; // for ever
    auto usage = [&err] {
        err << "usage: vocara-cli receive [--listen ADDRESS:PORT] --root DIR [--max-bytes N] "
               "[--idle-seconds N] [--transfer-seconds N] [--max-clients N] [--count N]\n";
        return ExitCannotRun;
    };
    auto number = [](const std::string &text, long long &value) {
        char *end = nullptr;
        value = std::strtoll(text.c_str(), &end, 10);
        return !text.empty() && *end == '\0' && value >= 0;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        long long value = 0;
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--listen" && hasValue)
            listen = args[++i];
        else if (args[i] == "--root" && hasValue)
            options.root = args[++i];
        else if (args[i] == "--max-bytes" && hasValue && number(args[++i], value))
            options.maxBytes = static_cast<std::uintmax_t>(value);
        else if (args[i] == "--idle-seconds" && hasValue && number(args[++i], value) && value > 0)
            options.idleTimeout = std::chrono::seconds(value);
        else if (args[i] == "--transfer-seconds" && hasValue && number(args[++i], value) &&
                 value > 0)
            options.transferTimeout = std::chrono::seconds(value);
        else if (args[i] == "--max-clients" && hasValue && number(args[++i], value) && value > 0 &&
                 value <= 1024)
            options.maxConnections = static_cast<int>(value);
        else if (args[i] == "--count" && hasValue && number(args[++i], value))
            count = value;
        else
            return usage();
    }
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

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// The fields of a SendFax node, substituted.
struct FaxNode
{
    std::string phone;
    std::string faxFile;
    std::string coverFile;
    std::string body;
    std::string subject;
    std::string dateType;
    bool deleteFile = false;
};

// The side effects of action nodes: speech, databases, mail, fax, the registry, files, TCP
// and programs. Each returns whether it worked; the interpreter turns that into the node's
// branch label, and writes what was read into the node's variable.
class NodeActions
{
public:
    virtual ~NodeActions() = default;

    // The wave that speaks `text`, found in the speech cache or made now; none on failure.
    virtual std::optional<std::string> speak(std::string_view text, std::string_view engine) = 0;
    virtual bool runProgram(std::string_view command, std::string_view parameters) = 0;
    // `read` receives the first field of a query's result set (empty without a row); other
    // statements leave it unset.
    virtual bool queryDatabase(std::string_view source, std::string_view query,
                               std::optional<std::string> &read) = 0;
    virtual bool sendMail(std::string_view to, std::string_view subject, std::string_view body,
                          std::string_view attachment) = 0;
    virtual bool sendFax(const FaxNode &fax) = 0;
    // "Get Value" puts the value into `read`.
    virtual bool editRegistry(std::string_view hive, std::string_view keyPath,
                              std::string_view operation, std::string_view valueName,
                              std::string_view valueData, std::optional<std::string> &read) = 0;
    // "Open File" without writing puts the file's text into `read`.
    virtual bool accessFile(std::string_view path, std::string_view operation, bool write,
                            std::string_view text, std::optional<std::string> &read) = 0;
    virtual bool connect(std::string_view address, std::string_view port, bool sendFile,
                         std::string_view file, bool sendMessage, std::string_view message) = 0;
};

// Every action fails and says so in the log: what runs before those parts of the simulator exist.
class UnavailableActions : public NodeActions
{
public:
    using Log = std::function<void(std::string_view)>;
    explicit UnavailableActions(Log log = {})
        : m_log(std::move(log))
    {}

    std::optional<std::string> speak(std::string_view, std::string_view) override
    {
        say("speech");
        return std::nullopt;
    }
    bool runProgram(std::string_view, std::string_view) override { return say("programs"); }
    bool queryDatabase(std::string_view, std::string_view, std::optional<std::string> &) override
    {
        return say("databases");
    }
    bool sendMail(std::string_view, std::string_view, std::string_view, std::string_view) override
    {
        return say("mail");
    }
    bool sendFax(const FaxNode &) override { return say("fax"); }
    bool editRegistry(std::string_view, std::string_view, std::string_view, std::string_view,
                      std::string_view, std::optional<std::string> &) override
    {
        return say("the registry");
    }
    bool accessFile(std::string_view, std::string_view, bool, std::string_view,
                    std::optional<std::string> &) override
    {
        return say("file access");
    }
    bool connect(std::string_view, std::string_view, bool, std::string_view, bool,
                 std::string_view) override
    {
        return say("connections");
    }

private:
    bool say(std::string_view what)
    {
        if (m_log)
            m_log("NodeActions>> " + std::string(what) + " is not available");
        return false;
    }
    Log m_log;
};

} // namespace vocara

#pragma once

#include <string>

namespace vocara {

// One fax: a document, or a cover page only.
struct FaxJob
{
    std::string recipient;
    std::string document; // empty for a cover page only
    std::string coverFile;
    std::string note;
    std::string subject;
    std::string sender = "789";
};

struct FaxOutcome
{
    bool sent = false;
    unsigned long errorCode = 0; // the service's error number when not sent
    std::string errorText;       // the system's text for it
    int jobId = 0;
};

// The fax service of the machine. The default one has no fax modem.
class FaxService
{
public:
    static constexpr unsigned long NoFaxModem = 126;

    virtual ~FaxService() = default;
    // Submits the job and follows it until it ends.
    virtual FaxOutcome send(const FaxJob &job);
};

} // namespace vocara

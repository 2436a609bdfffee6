#include "platform/fax.h"

namespace vocara {

FaxOutcome FaxService::send(const FaxJob &)
{
    FaxOutcome outcome;
    outcome.errorCode = NoFaxModem;
    outcome.errorText = "No fax modem is installed on this machine";
    return outcome;
}

} // namespace vocara

#pragma once

#include <string_view>

// The texts the simulator's action nodes show and log.
namespace vocara::SimulatorText {

inline constexpr std::string_view UnsupportedEngine = "Upsupported Engine";
inline constexpr std::string_view SpeechEngine = "Microsoft Speech Engine";
inline constexpr std::string_view CanNotRead = "Can not read";

inline constexpr std::string_view OutOfMemory = "The system is out of memory or resources.";
inline constexpr std::string_view FileNotFound = "The specified file was not found.";
inline constexpr std::string_view PathNotFound = "The specified path was not found.";
inline constexpr std::string_view InvalidExe = "The .exe file is invalid.";

inline constexpr std::string_view OpenLocalFileFailed =
    "SendFileToRemoteRecipient encountered an error while opening the local file\n\tFile name = "
    "%s\n\tCause = %s\n\tm_cause = %d\n\tm_IOsError = %d\n";
inline constexpr std::string_view SendChunkFailed =
    "SendFileToRemoteRecipient returned a socket error while sending chunked file data\n\tNumber "
    "of Bytes sent = %d\n\tGetLastError = %d\n";

inline constexpr std::string_view FaxFailedStatus = "<b>Error:</b>&nbsp%s(0x%lx, %ld)";
inline constexpr std::string_view FaxFinishing = "Finishing Sending Fax";
inline constexpr std::string_view FaxUndefinedError = "Undefined Error";

struct FaxError
{
    unsigned long code;
    std::string_view message;
};
inline constexpr FaxError FaxErrors[] = {
    {1, "The FaxHandle parameter specifies a remote connection, but the CallHandle member of the "
        "FAX_JOB_PARAM structure is not NULL. "},
    {2, "The fax server cannot locate the file specified by the FileName or the CoverpageInfo "
        "parameter. "},
    {5, "Access is denied. FAX_JOB_SUBMIT access is required. "},
    {13, "The fax server cannot process the file specified by the FileName or the CoverpageInfo "
         "parameter. "},
    {50, "An attempt was made to hand off a voice call to send a fax, using the CallHandle member "
         "of the FAX_JOB_PARAM structure. This functionality is not supported."},
    {87, "One or all of the FaxHandle, JobParams, or FileName parameters are NULL; the call "
         "handle specified by the CallHandle member of the FAX_JOB_PARAM structure is invalid "
         "(should be NULL), or the RecipientNumber member in the FAX_JOB_PARAM structure is "
         "NULL. "},
    {126, "Could Not Find Any Fax Modem On This Machine"},
};

} // namespace vocara::SimulatorText

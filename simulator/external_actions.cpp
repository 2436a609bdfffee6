#include "simulator/external_actions.h"

#include "document/messages.h"
#include "document/text_util.h"
#include "platform/atomic_file.h"
#include "platform/client_socket.h"
#include "platform/clock.h"
#include "platform/fax.h"
#include "platform/folders.h"
#include "platform/odbc.h"
#include "platform/registry.h"
#include "platform/spawn.h"
#include "simulator/messages.h"
#include "simulator/simulator_host.h"
#include "simulator/wave_image.h"

#include <espeak-ng/speak_lib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <unistd.h>

namespace vocara {

namespace {

namespace Text = SimulatorText;
using namespace std::chrono_literals;

std::string printed(std::string_view pattern, auto... values)
{
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, std::string(pattern).c_str(), values...);
    return buffer;
}

bool startsWithSelect(std::string_view query)
{
    const size_t first = query.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && equalsIgnoringCase(query.substr(first, 6), "SELECT");
}

// espeak-ng keeps one engine per process: one caller at a time.
std::mutex &speechLock()
{
    static std::mutex lock;
    return lock;
}

int collectSamples(short *samples, int count, espeak_EVENT *events)
{
    if (samples && count > 0 && events && events->user_data) {
        auto *out = static_cast<std::vector<short> *>(events->user_data);
        out->insert(out->end(), samples, samples + count);
    }
    return 0;
}

} // namespace

SimulatorActions::SimulatorActions(SimulatorHost &host, Registry &registry, FaxService &fax,
                                   Clock &clock, CSMTPConnection::Trace mailTrace)
    : m_host(host)
    , m_registry(registry)
    , m_fax(fax)
    , m_clock(clock)
    , m_mail(
          clock, [&host](std::string_view line) { host.log(line); }, std::move(mailTrace))
{}

SimulatorActions::~SimulatorActions()
{
    for (const std::filesystem::path &file : m_madeFiles) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

bool SimulatorActions::queryDatabase(std::string_view source, std::string_view query,
                                     std::optional<std::string> &read)
{
    const std::string sql(query);
    const std::string connection = "DSN=" + std::string(source) + ";";
    m_host.log("CIVRHandler::DoDBTransaction>> IVRHandler: DB ConnectionString = " +
               std::string(source) + " with SQL = " + sql);
    OdbcConnection database;
    std::string error;
    if (!database.open(connection, error)) {
        m_host.log("CIVRHandler::DoDBTransaction>> FAILED to Open Data base with DSN=" +
                   connection + " and ErrorDes= " + error);
        return false;
    }
    bool ok = true;
    const OdbcConnection::Result result = database.execute(sql);
    if (startsWithSelect(sql)) {
        m_host.log("CIVRHandler::DoDBTransaction>> Succeeded to Open Data base with DSN=" +
                   connection);
        if (!result.ok) {
            m_host.log("CIVRHandler::DoDBTransaction>> Failed to Open Record Set with SQL=" + sql +
                       " and ErrorDes= " + result.error);
            ok = false;
        } else {
            m_host.log("CIVRHandler::DoDBTransaction>> Succeeded to Open Record Set with SQL=" +
                       sql);
            if (result.hasColumns) {
                m_host.log("CIVRHandler::DoDBTransaction>> Success:: Returning the first field "
                           "value in the Recordset with value = " +
                           result.first.value_or(""));
            } else {
                m_host.log("CIVRHandler::DoDBTransaction>> Failed:: There is no fields in the "
                           "Recordset");
                ok = false;
            }
            read = result.first.value_or(""); // a query without rows reads as empty
        }
    } else if (!result.ok) {
        // A statement that fails is a failure like a query that does.
        m_host.log("CIVRHandler::DoDBTransaction>> Failed to Open Record Set with SQL=" + sql +
                   " and ErrorDes= " + result.error);
        ok = false;
    }
    database.close();
    m_host.log(
        "CIVRHandler::DoDBTransaction>> Succeeded to Close Data base with DSN=" + connection + " ");
    return ok;
}

std::optional<std::string> SimulatorActions::cachedSpeech(std::string_view text)
{
    // A quote never matches: such texts are made afresh.
    if (m_speechCache.empty() || text.find('\'') != std::string_view::npos)
        return std::nullopt;
    OdbcConnection cache;
    std::string error;
    if (!cache.open("DSN=" + m_speechCache, error))
        return std::nullopt;
    const OdbcConnection::Result result =
        cache.execute("SELECT TTSFileName FROM TTSFiles WHERE TTSText = ?", {std::string(text)});
    if (!result.ok || !result.first)
        return std::nullopt;
    const size_t first = result.first->find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : result.first->substr(first);
}

std::optional<std::string> SimulatorActions::synthesise(std::string_view text)
{
    std::string error;
    const std::filesystem::path spool = privateTempFolder("TTSFiles", &error);
    if (spool.empty()) {
        m_host.log("CIVRHandler::DoTTS>> " + error);
        return std::nullopt;
    }
    std::vector<short> samples;
    {
        std::lock_guard lock(speechLock());
        static const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
        if (rate <= 0) {
            m_host.log("CIVRHandler::DoTTS>> the speech engine could not be started");
            return std::nullopt;
        }
        espeak_SetSynthCallback(collectSamples);
        espeak_SetParameter(espeakVOLUME, 100, 0);
        const std::string words(text);
        if (espeak_Synth(words.c_str(), words.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                         nullptr, &samples) != EE_OK)
            return std::nullopt;
    }
    // The engine speaks at 22,050 Hz; every two samples make one at 11,025 Hz.
    WaveImage wave;
    wave.sampleRate = 11025;
    wave.byteRate = 22050;
    wave.data.reserve(samples.size());
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        const auto sample = static_cast<std::uint16_t>((samples[i] + samples[i + 1]) / 2);
        wave.data += static_cast<char>(sample & 0xff);
        wave.data += static_cast<char>(sample >> 8);
    }
    std::string pattern = (spool / "TTSXXXXXX.wav").string();
    const int fd = ::mkstemps(pattern.data(), 4);
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    m_madeFiles.emplace_back(pattern);
    if (!SaveWave(wave, pattern, &error)) {
        m_host.log("CIVRHandler::DoTTS>> " + error);
        return std::nullopt;
    }
    return pattern;
}

std::optional<std::string> SimulatorActions::speak(std::string_view text, std::string_view engine)
{
    if (text.empty())
        return std::nullopt;
    if (const std::optional<std::string> cached = cachedSpeech(text)) {
        m_host.log("CIVRHandler::DoTTS>> DoTTS: Text Generated Before");
        std::error_code error;
        if (std::filesystem::is_regular_file(*cached, error))
            return cached;
        return std::nullopt;
    }
    if (engine != Text::SpeechEngine) {
        m_host.message(Text::UnsupportedEngine);
        return std::nullopt;
    }
    return synthesise(text);
}

bool SimulatorActions::runProgram(std::string_view command, std::string_view parameters)
{
    const std::vector<std::string> arguments =
        splitCommandLine(std::string(command) + " " + std::string(parameters));
    const int error = startDetached(arguments);
    if (error == 0)
        return true;
    std::string_view text = Text::InvalidExe;
    if (error == ENOENT)
        text =
            arguments.empty() || arguments[0].find('/') == std::string::npos ||
                    std::filesystem::is_directory(std::filesystem::path(arguments[0]).parent_path())
                ? Text::FileNotFound
                : Text::PathNotFound;
    else if (error == ENOTDIR)
        text = Text::PathNotFound;
    else if (error == ENOMEM || error == EAGAIN)
        text = Text::OutOfMemory;
    m_host.message(text);
    return false;
}

bool SimulatorActions::sendMail(std::string_view to, std::string_view subject,
                                std::string_view body, std::string_view attachment)
{
    if (to.empty())
        return false;
    m_host.log("CIVRHandler::DoSendMail>> Check for Pointer");
    m_mail.post(
        {std::string(subject), std::string(body), std::string(to), std::string(attachment)});
    return true;
}

bool SimulatorActions::sendFax(const FaxNode &node)
{
    FaxJob job;
    job.recipient = node.phone;
    const bool document = equalsIgnoringCase(node.dateType, "File");
    if (document) {
        job.document = node.faxFile;
    } else {
        job.coverFile = node.coverFile;
        job.note = node.body;
        job.subject = node.subject;
    }
    auto status = [&](std::string_view text) {
        m_host.log(printed("%s: \"%s\" ", job.sender.c_str(), std::string(text).c_str()));
    };
    m_host.log("CFax::Send>> Sending document...");
    const FaxOutcome outcome = m_fax.send(job);
    if (!outcome.sent) {
        std::string_view message = Text::FaxUndefinedError;
        for (const Text::FaxError &known : Text::FaxErrors)
            if (known.code == outcome.errorCode)
                message = known.message;
        m_host.message(message);
        status(printed(Text::FaxFailedStatus, outcome.errorText.c_str(), outcome.errorCode, 23L));
    } else {
        m_host.log("CFax::Send>> Document <" + (document ? job.document : job.coverFile) + "> to " +
                   job.recipient + " in queue(JobID = " + std::to_string(outcome.jobId) + ")");
        m_host.log("CFax::Send>> Document sent successfully!");
    }
    status(Text::FaxFinishing);
    m_clock.sleepFor(3000ms);
    // The document goes only once it has been sent.
    if (outcome.sent && document && node.deleteFile) {
        for (int tries = 0; tries < 50; ++tries) {
            std::error_code error;
            if (std::filesystem::remove(job.document, error) ||
                !std::filesystem::exists(job.document))
                break;
            m_clock.sleepFor(100ms);
        }
    }
    return outcome.sent;
}

bool SimulatorActions::editRegistry(std::string_view hive, std::string_view keyPath,
                                    std::string_view operation, std::string_view valueName,
                                    std::string_view valueData, std::optional<std::string> &read)
{
    if (equalsIgnoringCase(operation, "Delete Key"))
        return m_registry.deleteKey(hive, keyPath);
    if (!m_registry.createKey(hive, keyPath))
        return false;
    if (equalsIgnoringCase(operation, "Delete Value"))
        return m_registry.deleteValue(hive, keyPath, valueName);
    if (equalsIgnoringCase(operation, "Create Key"))
        return true;
    if (equalsIgnoringCase(operation, "Set Value"))
        return m_registry.setValue(hive, keyPath, valueName, valueData);
    if (equalsIgnoringCase(operation, "Get Value")) {
        read = m_registry.value(hive, keyPath, valueName);
        if (!read)
            m_host.message(Text::CanNotRead);
        return read.has_value();
    }
    return false;
}

bool SimulatorActions::accessFile(std::string_view path, std::string_view operation, bool write,
                                  std::string_view text, std::optional<std::string> &read)
{
    const std::string file(path);
    auto writeAll = [&](int fd) {
        std::string_view left = text;
        while (!left.empty()) {
            const ssize_t done = ::write(fd, left.data(), left.size());
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return false;
            left.remove_prefix(static_cast<size_t>(done));
        }
        return true;
    };
    if (equalsIgnoringCase(operation, "Create File")) {
        if (!write)
            return false;
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno != EEXIST)
                m_host.message(std::strerror(errno));
            return false;
        }
        const bool ok = writeAll(fd);
        return ::close(fd) == 0 && ok;
    }
    if (equalsIgnoringCase(operation, "Open File")) {
        // Created when absent, never cut short; writing appends.
        const int fd =
            ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (write ? O_APPEND : 0), 0666);
        if (fd < 0) {
            m_host.message(std::strerror(errno));
            return false;
        }
        if (write) {
            const bool ok = writeAll(fd);
            return ::close(fd) == 0 && ok;
        }
        ::close(fd);
        const std::optional<std::string> content = readWholeFile(file);
        if (!content)
            return false;
        read = *content;
        return true;
    }
    if (equalsIgnoringCase(operation, "Delete File")) {
        std::error_code error;
        return std::filesystem::remove(file, error);
    }
    return false;
}

bool SimulatorActions::connect(std::string_view address, std::string_view port, bool sendFile,
                               std::string_view file, bool sendMessage, std::string_view message)
{
    if (!sendMessage && !sendFile)
        return false;
    ClientSocket socket;
    if (!socket.connect(std::string(address), portFromText(port)))
        return false;
    if (sendMessage)
        return socket.sendAll(message);
    const std::string name(file);
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        const int error = errno;
        const int cause = error == ENOENT ? 2 : error == EACCES ? 5 : 1;
        m_host.message(
            Msg::fillIn(Text::OpenLocalFileFailed, {name, std::strerror(error),
                                                    std::to_string(cause), std::to_string(error)}));
        return false;
    }
    // The file in chunks, then one NUL.
    char chunk[64 * 1024];
    long long sent = 0;
    for (;;) {
        in.read(chunk, sizeof chunk);
        const std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        if (!socket.sendAll(std::string_view(chunk, static_cast<size_t>(got)))) {
            m_host.message(
                Msg::fillIn(Text::SendChunkFailed, {std::to_string(sent), std::to_string(errno)}));
            return false;
        }
        sent += got;
    }
    if (!socket.sendAll(std::string_view("\0", 1))) {
        m_host.message(
            Msg::fillIn(Text::SendChunkFailed, {std::to_string(sent), std::to_string(errno)}));
        return false;
    }
    return true;
}

} // namespace vocara

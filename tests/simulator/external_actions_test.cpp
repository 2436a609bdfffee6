#include "platform/clock.h"
#include "platform/fax.h"
#include "platform/registry.h"
#include "simulator/external_actions.h"
#include "simulator/simulator_host.h"
#include "simulator/wave_image.h"
#include "tests/support/odbc_source.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

using namespace vocara;
using namespace std::chrono_literals;

namespace {

struct ActionHost : SimulatorHost
{
    std::vector<std::string> messages;
    std::vector<std::string> logLines;
    void message(std::string_view text) override { messages.emplace_back(text); }
    void log(std::string_view line) override { logLines.emplace_back(line); }
    bool logged(std::string_view text) const
    {
        for (const std::string &line : logLines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};

class Actions : public ::testing::Test
{
protected:
    test::TempFolder temp;
    ActionHost host;
    Registry registry{temp / "registry"};
    FaxService fax;
    Clock clock{0.0};
    SimulatorActions actions{host, registry, fax, clock};
};

} // namespace

TEST_F(Actions, DatabaseStatementsAndQueriesThroughOdbc)
{
    test::OdbcSource source;
    std::optional<std::string> read;
    EXPECT_TRUE(actions.queryDatabase(source.Name, "CREATE TABLE t (name TEXT, n INTEGER)", read));
    EXPECT_TRUE(actions.queryDatabase(source.Name, "INSERT INTO t VALUES ('ann', 7)", read));
    EXPECT_FALSE(read); // statements read nothing
    EXPECT_TRUE(actions.queryDatabase(source.Name, "\n  select n from t where name = 'ann'", read));
    EXPECT_EQ(read, "7");
    EXPECT_TRUE(host.logged("Success:: Returning the first field value in the Recordset with "
                            "value = 7"));
    EXPECT_TRUE(actions.queryDatabase(source.Name, "SELECT name FROM t WHERE n = 0", read));
    EXPECT_EQ(read, ""); // no row reads as empty

    read.reset();
    EXPECT_FALSE(actions.queryDatabase(source.Name, "INSERT INTO missing VALUES (1)", read));
    EXPECT_TRUE(host.logged("Failed to Open Record Set with SQL=INSERT INTO missing VALUES (1) "
                            "and ErrorDes= "));
    EXPECT_FALSE(actions.queryDatabase(source.Name, "SELECT nothing FROM missing", read));
    EXPECT_FALSE(actions.queryDatabase("no_such_source", "SELECT 1", read));
    EXPECT_TRUE(
        host.logged("FAILED to Open Data base with DSN=DSN=no_such_source; and ErrorDes= "));
    EXPECT_TRUE(host.logged("Succeeded to Close Data base with DSN=DSN=vocara_test; "));
}

TEST_F(Actions, SpeechIsMadeByEspeakOrTakenFromTheCache)
{
    std::optional<std::string> made = actions.speak("Hello caller", "Microsoft Speech Engine");
    ASSERT_TRUE(made);
    std::optional<WaveImage> wave = LoadWave(*made);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleRate, 11025u);
    EXPECT_EQ(wave->bitsPerSample, 16);
    EXPECT_EQ(wave->channels, 1);
    EXPECT_GT(wave->data.size(), 11025u); // more than half a second of speech
    EXPECT_FALSE(actions.speak("Hello", "Another Engine"));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Upsupported Engine"});

    test::OdbcSource source;
    std::optional<std::string> ignored;
    actions.queryDatabase(source.Name, "CREATE TABLE TTSFiles (TTSText TEXT, TTSFileName TEXT)",
                          ignored);
    actions.queryDatabase(source.Name, "INSERT INTO TTSFiles VALUES ('welcome', '  " + *made + "')",
                          ignored);
    actions.queryDatabase(source.Name, "INSERT INTO TTSFiles VALUES ('it''s', '/nowhere.wav')",
                          ignored);
    actions.setSpeechCache(source.Name);
    EXPECT_EQ(actions.speak("welcome", "any engine"), made); // blanks before the name trimmed
    EXPECT_TRUE(host.logged("CIVRHandler::DoTTS>> DoTTS: Text Generated Before"));
    // A quote is never looked up: the text is spoken afresh.
    const std::optional<std::string> quoted = actions.speak("it's", "Microsoft Speech Engine");
    ASSERT_TRUE(quoted);
    EXPECT_NE(*quoted, "/nowhere.wav");

    // Speech files go with the simulator that made them.
    std::string own;
    {
        SimulatorActions shortLived(host, registry, fax, clock);
        own = shortLived.speak("Goodbye", "Microsoft Speech Engine").value_or("");
        EXPECT_TRUE(std::filesystem::exists(own));
    }
    EXPECT_FALSE(std::filesystem::exists(own));
}

TEST_F(Actions, RegistryOperationsOfTheNode)
{
    std::optional<std::string> read;
    const char *key = "Software\\Vocara\\Test";
    EXPECT_TRUE(actions.editRegistry("HKEY_CURRENT_USER", key, "set value", "Name", "Ann", read));
    EXPECT_TRUE(actions.editRegistry("HKEY_CURRENT_USER", key, "Get Value", "name", "$v$", read));
    EXPECT_EQ(read, "Ann");
    read.reset();
    EXPECT_FALSE(actions.editRegistry("HKEY_CURRENT_USER", key, "Get Value", "Absent", "", read));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Can not read"});
    EXPECT_FALSE(actions.editRegistry("HKEY_CURRENT_USER", "Software\\Vocara", "Delete Key", "", "",
                                      read)); // it has a subkey
    EXPECT_TRUE(actions.editRegistry("HKEY_CURRENT_USER", key, "Delete Value", "Name", "", read));
    EXPECT_TRUE(actions.editRegistry("HKEY_CURRENT_USER", key, "Delete Key", "", "", read));
    EXPECT_TRUE(actions.editRegistry("HKEY_USERS", "A\\B", "Create Key", "", "", read));
    EXPECT_FALSE(actions.editRegistry("HKEY_USERS", "A\\B", "Rename", "", "", read));
    EXPECT_FALSE(actions.editRegistry("HKEY_LOCAL", "A", "Create Key", "", "", read));
}

TEST_F(Actions, FilesAreCreatedOpenedAndDeleted)
{
    const std::string file = (temp / "notes.txt").string();
    std::optional<std::string> read;
    EXPECT_FALSE(actions.accessFile(file, "Create File", false, "x", read)); // only for writing
    EXPECT_TRUE(actions.accessFile(file, "create file", true, "first", read));
    EXPECT_FALSE(actions.accessFile(file, "Create File", true, "again", read));
    EXPECT_EQ(test::readText(file), "first"); // untouched
    EXPECT_TRUE(actions.accessFile(file, "Open File", true, " more", read));
    EXPECT_TRUE(actions.accessFile(file, "Open File", false, "", read));
    EXPECT_EQ(read, "first more");

    const std::string fresh = (temp / "fresh.txt").string();
    EXPECT_TRUE(actions.accessFile(fresh, "Open File", false, "", read));
    EXPECT_EQ(read, "");
    EXPECT_TRUE(std::filesystem::exists(fresh));
    EXPECT_TRUE(actions.accessFile(fresh, "Delete File", false, "", read));
    EXPECT_FALSE(actions.accessFile(fresh, "Delete File", false, "", read));
    EXPECT_FALSE(actions.accessFile(file, "Rename File", true, "", read));

    EXPECT_FALSE(actions.accessFile((temp / "no/dir/f.txt").string(), "Open File", true, "", read));
    EXPECT_EQ(host.messages, std::vector<std::string>{"No such file or directory"});
}

TEST_F(Actions, ConnectionsSendExactlyTheBytes)
{
    {
        test::Listener listener;
        EXPECT_TRUE(actions.connect("127.0.0.1", listener.port(), false, "", true, "HELLO;1"));
        EXPECT_EQ(listener.received(), "HELLO;1"); // no terminator
    }
    {
        // Larger than any one send, then one NUL.
        std::string content(300 * 1024, 'z');
        content[5] = '\0';
        test::writeText(temp / "payload.bin", content);
        test::Listener listener;
        EXPECT_TRUE(actions.connect("127.0.0.1", listener.port(), true,
                                    (temp / "payload.bin").string(), false, ""));
        EXPECT_EQ(listener.received(), content + std::string(1, '\0'));
    }
    {
        test::Listener listener;
        EXPECT_FALSE(actions.connect("127.0.0.1", listener.port(), true,
                                     (temp / "missing.bin").string(), false, ""));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0],
                  "SendFileToRemoteRecipient encountered an error while opening the local file\n"
                  "\tFile name = " +
                      (temp / "missing.bin").string() +
                      "\n\tCause = No such file or directory\n\tm_cause = 2\n\tm_IOsError = 2\n");
    }
    std::string port;
    {
        test::Listener closed;
        port = closed.port();
    }
    EXPECT_FALSE(actions.connect("127.0.0.1", port, false, "", true, "x")); // refused
    EXPECT_FALSE(actions.connect("127.0.0.1", "1", false, "", false, ""));  // nothing to send
}

TEST_F(Actions, ProgramsStartWithoutAShellAndAreReaped)
{
    const std::string folder = temp.path().string();
    EXPECT_TRUE(actions.runProgram("touch", "\"" + folder + "/a b.txt\" \"" + folder +
                                                "/c;d.txt\" \"" + folder + "/e\\\"f.txt\""));
    for (int i = 0; i < 200 && !std::filesystem::exists(temp / "e\"f.txt"); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(std::filesystem::exists(temp / "a b.txt"));
    EXPECT_TRUE(std::filesystem::exists(temp / "c;d.txt"));
    EXPECT_TRUE(std::filesystem::exists(temp / "e\"f.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp / "d.txt"));

    EXPECT_FALSE(actions.runProgram("no-such-program-here", "x"));
    EXPECT_FALSE(actions.runProgram("/no/such/folder/program", ""));
    test::writeText(temp / "not-a-program", "plain text");
    EXPECT_FALSE(actions.runProgram((temp / "not-a-program").string(), ""));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"The specified file was not found.",
                                                       "The specified path was not found.",
                                                       "The .exe file is invalid."}));

    // No child is left a zombie.
    std::this_thread::sleep_for(100ms);
    int zombies = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = test::readText(entry.path() / "stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 2));
        char state = 0;
        int parent = 0;
        fields >> state >> parent;
        zombies += parent == ::getpid() && state == 'Z';
    }
    EXPECT_EQ(zombies, 0);
}

TEST_F(Actions, FaxesFailWithoutAModemAndKeepTheDocument)
{
    test::writeText(temp / "doc.tif", "fax");
    EXPECT_FALSE(
        actions.sendFax({"5551234", (temp / "doc.tif").string(), "", "", "", "file", true}));
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Could Not Find Any Fax Modem On This Machine"});
    EXPECT_TRUE(host.logged("CFax::Send>> Sending document..."));
    EXPECT_TRUE(host.logged("789: \"<b>Error:</b>&nbsp"));
    EXPECT_TRUE(host.logged("(0x7e, 23)\" "));
    EXPECT_TRUE(host.logged("789: \"Finishing Sending Fax\" "));
    EXPECT_TRUE(std::filesystem::exists(temp / "doc.tif")); // nothing was sent
}

#include "tests/dialplan/export_fixture.h"

#include <cstdlib>

using namespace vocara;

namespace {

// A bank's phone menu: a welcome, a main menu with two sub-menus, a PIN entry checked against
// a database, a balance comparison, and a way back to the main menu from a sub-menu.
class WholeFlow : public test::ExportFixture
{
protected:
    void build()
    {
        DialplanSettings settings = doc.dialplanSettings();
        settings.SoundFilePath = "/var/lib/asterisk/sounds/bank/";
        settings.ContextDest = "[bank]";
        doc.setDialplanSettings(settings);
        doc.addOrUpdateVariable("pin", "", "entered PIN");
        doc.addOrUpdateVariable("balance", "0", "");

        const NodeId welcome = place(doc.startNode(), Kind::PlayWave, {1, 0}, "Welcome",
                                     {{"file", "welcome.wav"}, {"Tooltip", "greeting"}});
        const NodeId main = place(welcome, Kind::UserInput, {2, 0}, "Home(1)",
                                  {{"timeOut", "5"}, {"wavefile", "main.wav"}},
                                  {true, true, true, {1, 2, 0}, false});
        // Key 1: accounts menu.
        const NodeId accounts = place(branch(main, 0), Kind::UserInput, {4, 0}, "Accounts",
                                      {{"timeOut", "7"}, {"wavefile", "accounts.wav"}},
                                      {true, true, true, {1, 9}, false});
        const NodeId pin =
            place(branch(accounts, 0), Kind::MultiDTMF, {6, 0}, "Pin",
                  {{"file", "enter_pin.wav"}, {"timeOut", "10"}, {"retVar", "$pin$"}});
        const NodeId lookup = place(branch(pin, 0), Kind::DbTransaction, {8, 0}, "Lookup",
                                    {{"db", "bank"},
                                     {"username", "ivr"},
                                     {"query", "select balance from accounts where pin=$pin$"},
                                     {"retVar", "$balance$"}});
        doc.setNodeValue(lookup, PasswordSlot, "secret");
        const NodeId check = place(branch(lookup, 0), Kind::Compare, {10, 0}, "Check",
                                   {{"var1", "$balance$"}, {"op", ">"}, {"var2", "0"}});
        const NodeId say =
            place(branch(check, 0), Kind::PlayValue, {12, 0}, "SayBalance", {{"var", "$balance$"}});
        place(say, Kind::Hang, {13, 0}, "Bye");
        place(branch(check, 1), Kind::PlayWave, {12, 1}, "Empty", {{"file", "empty.wav"}});
        place(branch(lookup, 1), Kind::PlayWave, {10, 1}, "Sorry", {{"file", "sorry.wav"}});
        place(branch(pin, 1), Kind::Hang, {8, 1}, "TooSlow");
        // Key 9 of accounts goes back to the main menu.
        doc.linkUnchecked(branch(accounts, 1), main);
        // Key 2: operator; key 0: say goodbye.
        place(branch(main, 1), Kind::Transfer, {4, 1}, "Operator",
              {{"context", "operators"}, {"num", "$agent$"}});
        place(branch(main, 2), Kind::Hang, {4, 2}, "Zero");
    }

    void setModern()
    {
        DialplanSettings settings = doc.dialplanSettings();
        settings.Dialect = DialplanDialect::Modern;
        doc.setDialplanSettings(settings);
    }

    // The file as the golden copy holds it: the modern one whole, the commented flow too.
    void compare(const std::string &golden, bool whole = false)
    {
        const std::string text = exported("bank.conf");
        std::string dialplan = whole ? text : text.substr(0, text.find("[Qfl Structure]"));
        dialplan = test::maskTimes(dialplan);
        const std::string folder = temp.path().string();
        for (size_t at; (at = dialplan.find(folder)) != std::string::npos;)
            dialplan.replace(at, folder.size(), "FOLDER");
        const std::filesystem::path expected =
            std::filesystem::path(std::getenv("VOCARA_TEST_SOURCE_DIR")) / "tests/dialplan/golden" /
            golden;
        if (std::getenv("VOCARA_UPDATE_GOLDEN"))
            test::writeText(expected, dialplan);
        EXPECT_EQ(dialplan, test::readText(expected)) << "compare with " << expected;
    }
};

} // namespace

TEST_F(WholeFlow, WithoutCallTracking)
{
    build();
    compare("bank.conf");
}

TEST_F(WholeFlow, WithCallTracking)
{
    build();
    setTracking(true);
    compare("bank_tracking.conf");
}

TEST_F(WholeFlow, ForTodaysAsterisk)
{
    build();
    setModern();
    compare("bank_modern.conf", true);
}

TEST_F(WholeFlow, ForTodaysAsteriskWithTrackingAndMonitor)
{
    build();
    setModern();
    setTracking(true);
    DialplanSettings settings = doc.dialplanSettings();
    settings.AllowIVRMonitor = true;
    doc.setDialplanSettings(settings);
    compare("bank_modern_tracking.conf", true);
}

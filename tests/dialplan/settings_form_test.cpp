#include "dialplan/asterisk_settings_form.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <gtest/gtest.h>

using namespace vocara;

TEST(AsteriskSettingsForm, OpeningFillsEmptyPathsAndOkStoresEverything)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    doc.newDocument();
    DialplanSettings initial;
    initial.SoundFilePath = "/snd/";
    doc.setDialplanSettings(initial);
    doc.setModified(false);

    AsteriskSettingsForm form(doc);
    // Empty paths get their defaults in the document at once; the destination only on OK.
    EXPECT_EQ(doc.dialplanSettings().SoundFilePath, "/snd/");
    EXPECT_EQ(doc.dialplanSettings().RecordedPath, "/home/RecordedFiles/");
    EXPECT_EQ(doc.dialplanSettings().TTSFilesPath, "/home/TTSFiles/");
    EXPECT_EQ(doc.dialplanSettings().ContextDest, "");
    EXPECT_EQ(form.fields().ContextDest, "[context-setting]");
    EXPECT_FALSE(form.okEnabled());
    EXPECT_FALSE(form.serverFieldsEnabled());

    form.fields().CheckServerSave = true;
    form.fields().ServerIP = "127.0.0.1";
    form.fields().TTSFilesPath = "/tts/";
    form.fields().RecordedPath = "/rec/";
    form.edited();
    EXPECT_TRUE(form.okEnabled());
    EXPECT_TRUE(form.serverFieldsEnabled());
    form.accept();
    EXPECT_FALSE(form.okEnabled());
    EXPECT_EQ(doc.dialplanSettings().ContextDest, "[context-setting]");
    EXPECT_EQ(doc.dialplanSettings().ServerIP, "127.0.0.1");
    EXPECT_TRUE(doc.dialplanSettings().CheckServerSave);

    const VariableList &variables = doc.variables();
    const Variable &tts =
        variables.at(static_cast<size_t>(variables.indexOfIgnoringCase("ttspath")));
    EXPECT_EQ(tts.defaultValue, "/tts/");
    EXPECT_EQ(tts.description, "the path of the TTS Files");
    EXPECT_EQ(
        variables.at(static_cast<size_t>(variables.indexOfIgnoringCase("RecordPath"))).defaultValue,
        "/rec/");

    // A flow without the variables gets them.
    doc.removeVariable("TTSPath");
    AsteriskSettingsForm again(doc);
    again.accept();
    EXPECT_GE(doc.variables().indexOfIgnoringCase("TTSPath"), 0);
}

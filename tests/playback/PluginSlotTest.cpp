// The plug-in host against test plug-in libraries built next to this program: one with every
// export and entry (answers chosen by the test, calls recorded), one lacking an export, and one
// that fails to load.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "playback/HostAudio.h"
#include "playback/PluginSlot.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/playback/plugins/TestPluginControl.h"

namespace {

class PluginSlotTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The library stays loaded for the whole program, like the host's own plug-ins; each
        // test starts from the default answers.
        HMODULE library = LoadLibraryA(kTestPluginFile);
        ASSERT_NE(nullptr, library) << kTestPluginFile << " next to the test program";
        auto reset = reinterpret_cast<TestPluginResetFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "TestPluginReset")));
        auto block = reinterpret_cast<TestPluginControlBlockFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "TestPluginControlBlock")));
        ASSERT_NE(nullptr, reset);
        ASSERT_NE(nullptr, block);
        reset();
        control = block();
    }

    // Loads `slot` from the test plug-in with the current answers; the call record starts after
    // the load.
    void LoadSlot(PluginSlot& slot)
    {
        ASSERT_EQ(1, slot.Load(kTestPluginFile));
        ClearLog();
    }

    void ClearLog()
    {
        control->logLength = 0;
        control->log[0] = '\0';
    }

    std::string Log() const { return std::string(control->log, static_cast<size_t>(control->logLength)); }

    TestPluginControl* control = nullptr;
};

TEST_F(PluginSlotTest, NewSlotIsNotLoaded)
{
    PluginSlot slot;
    EXPECT_EQ(nullptr, slot.module);
    EXPECT_EQ(0, slot.loaded);
    EXPECT_EQ(0, slot.infoValid);
}

// Load binds the four exports, zeroes the record and fills the host's fields before Initialise,
// then copies the description; it never calls Shutdown or Configure.
TEST_F(PluginSlotTest, LoadBindsTheExportsAndFillsTheRecord)
{
    PluginSlot slot;
    std::memset(&slot.record, 0xA5, sizeof slot.record);  // to see the zeroing
    control->flags = 6;
    ASSERT_EQ(1, slot.Load(kTestPluginFile));

    EXPECT_EQ(1, slot.loaded);
    HMODULE library = GetModuleHandleA(kTestPluginFile);
    EXPECT_EQ(library, slot.module);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(library, "Query")), reinterpret_cast<void*>(slot.query));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(library, "Initialise")), reinterpret_cast<void*>(slot.initialise));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(library, "Shutdown")), reinterpret_cast<void*>(slot.shutdown));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(library, "Configure")), reinterpret_cast<void*>(slot.configure));
    EXPECT_EQ("IQ", Log()) << "Initialise, then Query, and nothing else";

    // The record as Initialise received it: host fields only, everything else zero.
    PluginRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.pluginModule = library;
    expected.hostContext = &slot;
    expected.HostAudioOpen = HostAudioOpen;
    expected.HostAudioWrite = HostAudioWrite;
    expected.HostAudioClose = HostAudioClose;
    expected.reserved20 = kHostFlagUtf8Titles | kHostFlagPlaysOutAfterClose;
    EXPECT_EQ(0, std::memcmp(&expected, &control->recordAtInitialise, sizeof expected));
    EXPECT_EQ(&slot.record, control->lastRecord) << "Initialise got the slot's own record";
    EXPECT_NE(nullptr, slot.record.OpenFile) << "the plug-in's entries stay in the record";

    EXPECT_STREQ(kTestPluginTitle, slot.description.title);
    EXPECT_EQ(6, slot.description.flags);
    EXPECT_EQ(5, slot.description.spare16);
    EXPECT_EQ(0, std::memcmp(kTestPluginExtensions, slot.description.extensions, sizeof kTestPluginExtensions));
    EXPECT_EQ(0, slot.infoValid);

    ClearLog();
    EXPECT_EQ(1, slot.Load(kTestPluginFile)) << "a second load";
    EXPECT_EQ("", Log()) << "a loaded slot is not loaded again";
}

// A library without "Shutdown": the message box, no Initialise, and a slot that stays not
// loaded and matches nothing.
TEST_F(PluginSlotTest, MissingExportShowsTheMessageBox)
{
    PluginSlot slot;
    MessageBoxWatcher watcher("Error!");
    EXPECT_EQ(0, slot.Load(kTestPluginMissingExportFile));
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Error!", seen[0].caption);
    EXPECT_EQ("Unable To Load Plugin!!", seen[0].text);
    EXPECT_EQ("OK", seen[0].buttons) << "a single OK button";

    EXPECT_EQ(0, slot.loaded);
    EXPECT_EQ(GetModuleHandleA(kTestPluginMissingExportFile), slot.module) << "the library stays loaded";
    EXPECT_NE(nullptr, slot.module);
    EXPECT_EQ(0, slot.record.reserved24) << "Initialise must not run";
    EXPECT_EQ(0, slot.MatchesExtension("Song.mp3"));
    EXPECT_EQ(0, slot.OpenFile("Song.mp3"));
}

// Libraries that do not load: silent, and nothing bound.
TEST_F(PluginSlotTest, LibraryThatDoesNotLoadIsSilent)
{
    for (const char* file : {kTestPluginFailingFile, "NoSuchPlugin.cvp"}) {
        SCOPED_TRACE(file);
        PluginSlot slot;
        MessageBoxWatcher watcher("Error!");
        EXPECT_EQ(0, slot.Load(file));
        EXPECT_TRUE(watcher.Seen().empty()) << "a message box was shown";
        EXPECT_EQ(nullptr, slot.module);
        EXPECT_EQ(0, slot.loaded);
        EXPECT_EQ(nullptr, slot.query);
        EXPECT_EQ(0, slot.MatchesExtension("Song.mp3"));
    }
}

TEST_F(PluginSlotTest, MatchesByExtension)
{
    PluginSlot slot;
    LoadSlot(slot);
    EXPECT_EQ(1, slot.MatchesExtension("C:\\Music\\Song.mp3"));
    EXPECT_EQ(1, slot.MatchesExtension("C:\\Music\\Song.MP3"));
    EXPECT_EQ(1, slot.MatchesExtension("Z:\\tmp\\Take.Wav")) << "the list's second entry";
    EXPECT_EQ(0, slot.MatchesExtension("C:\\My.Music\\Song")) << "a dot only in a folder name";
    EXPECT_EQ(0, slot.MatchesExtension("C:\\Music\\Song.")) << "a trailing dot";
    EXPECT_EQ(0, slot.MatchesExtension("C:\\Music\\Song"));
    EXPECT_EQ(0, slot.MatchesExtension("C:\\Music\\Song.ogg"));
    EXPECT_EQ(0, slot.MatchesExtension(("Song." + std::string(300, 'a')).c_str()));
    EXPECT_EQ(0, slot.MatchesExtension(nullptr));
    EXPECT_EQ("", Log()) << "matching asks the plug-in nothing";

    PluginSlot notLoaded;
    EXPECT_EQ(0, notLoaded.MatchesExtension("Song.mp3"));
}

// Every guarded operation on a slot that is not loaded answers its failure value.
TEST_F(PluginSlotTest, NotLoadedSlotAnswersFailure)
{
    PluginSlot slot;
    char buffer[kVisualDataBytes];
    char title[16] = "untouched";
    EXPECT_EQ(0, slot.OpenFile("Song.mp3"));
    EXPECT_EQ(0, slot.Start());
    EXPECT_EQ(-1, slot.GetPosition());
    EXPECT_EQ(-1, slot.GetLength());
    EXPECT_EQ(0, slot.StopAndClose());
    EXPECT_EQ(0, slot.PressButton());
    EXPECT_EQ(0, slot.SetVolume(static_cast<int32_t>(0x80008000u)));
    EXPECT_EQ(0, slot.IsPlaying());
    EXPECT_EQ(0, slot.Seek(1000));
    EXPECT_EQ(0, slot.GetVisualData(buffer, 1));
    EXPECT_EQ(nullptr, slot.CopyTitle(title, sizeof title));
    EXPECT_STREQ("untouched", title);
}

// IsPlaying, SetVolume and GetVisualData need flag bit 2; without it the plug-in is not asked.
TEST_F(PluginSlotTest, OptionalEntriesNeedFlagTwo)
{
    char buffer[kVisualDataBytes];
    control->isPlayingResult = 3;
    control->setVolumeResult = 4;
    control->getVisualDataResult = 5;
    for (int32_t flags : {0, 1, 4, 0x7FFFFFFD}) {
        SCOPED_TRACE("flags " + std::to_string(flags));
        control->flags = flags;
        PluginSlot slot;
        LoadSlot(slot);
        EXPECT_EQ(0, slot.IsPlaying());
        EXPECT_EQ(0, slot.SetVolume(0x40004000));
        EXPECT_EQ(0, slot.GetVisualData(buffer, 2));
        EXPECT_EQ("", Log());
    }

    control->flags = 2;
    PluginSlot slot;
    LoadSlot(slot);
    EXPECT_EQ(3, slot.IsPlaying());
    EXPECT_EQ(4, slot.SetVolume(0x40004000));
    EXPECT_EQ(0x40004000, control->lastVolume);
    EXPECT_EQ(5, slot.GetVisualData(buffer, 2));
    EXPECT_EQ(buffer, control->lastVisualBuffer);
    EXPECT_EQ(2, control->lastVisualMode);
    EXPECT_EQ("pvd", Log());
    EXPECT_EQ(&slot.record, control->lastRecord);
}

// An entry the plug-in left zero is never called; its operation answers failure.
TEST_F(PluginSlotTest, MissingEntriesAnswerFailure)
{
    control->provide = 0;
    control->flags = 2;
    PluginSlot slot;
    LoadSlot(slot);
    char buffer[kVisualDataBytes];
    EXPECT_EQ(0, slot.OpenFile("Song.mp3"));
    EXPECT_EQ(0, slot.Start());
    EXPECT_EQ(0, slot.PressButton());
    EXPECT_EQ(0, slot.IsPlaying());
    EXPECT_EQ(0, slot.SetVolume(1));
    EXPECT_EQ(0, slot.GetVisualData(buffer, 1));
    EXPECT_EQ(0, slot.Seek(5));
    EXPECT_EQ(-1, slot.GetPosition());
    EXPECT_EQ(1, slot.StopAndClose()) << "loaded, even with nothing to call";

    // Start without GetFileInfo: started, but there is no info to trust.
    control->provide = kEntryStart;
    PluginSlot startOnly;
    LoadSlot(startOnly);
    EXPECT_EQ(1, startOnly.Start());
    EXPECT_EQ(0, startOnly.infoValid);
    EXPECT_EQ("s", Log());
}

// Start: the plug-in's Start, then its GetFileInfo into the slot's info.
TEST_F(PluginSlotTest, StartFetchesTheSongInfo)
{
    PluginSlot slot;
    LoadSlot(slot);
    control->reportedInfo = {9, kTestPluginSongTitle, 240000, 1000, -1, -1};
    EXPECT_EQ(1, slot.OpenFile("C:\\Music\\Song.mp3"));
    EXPECT_STREQ("C:\\Music\\Song.mp3", control->lastPath);
    EXPECT_EQ(1, slot.Start());
    EXPECT_EQ("osg", Log());
    EXPECT_EQ(1, slot.infoValid);
    EXPECT_EQ(240000, slot.info.lengthA);

    char title[kPluginPathChars];
    EXPECT_EQ(title, slot.CopyTitle(title, kPluginPathChars));
    EXPECT_STREQ(kTestPluginSongTitle, title);

    // At most maxLength characters, the terminating zero included; nothing past them.
    char shortTitle[8];
    std::memset(shortTitle, '#', sizeof shortTitle);
    EXPECT_EQ(shortTitle, slot.CopyTitle(shortTitle, 5));
    EXPECT_EQ(std::string("Test\0###", 8), std::string(shortTitle, 8));
    EXPECT_EQ(nullptr, slot.CopyTitle(shortTitle, 0));
    EXPECT_EQ(nullptr, slot.CopyTitle(nullptr, 5));

    // A plug-in that gives no title.
    control->reportedInfo.title = nullptr;
    EXPECT_EQ(1, slot.Start());
    EXPECT_EQ(1, slot.infoValid);
    EXPECT_EQ(nullptr, slot.CopyTitle(title, kPluginPathChars));
}

TEST_F(PluginSlotTest, FailedInfoIsNotValid)
{
    PluginSlot slot;
    LoadSlot(slot);
    control->getFileInfoResult = 0;
    EXPECT_EQ(1, slot.Start());
    EXPECT_EQ(0, slot.infoValid);
    char title[32];
    EXPECT_EQ(nullptr, slot.CopyTitle(title, sizeof title));
    ClearLog();
    EXPECT_EQ(-1, slot.GetPosition());
    EXPECT_EQ(-1, slot.GetLength());
    EXPECT_EQ(0, slot.Seek(100));
    EXPECT_EQ("", Log()) << "nothing is asked while the info is not valid";
}

// Fault: a song's info stayed valid after StopAndClose, so a position reported past the length
// ended the halted song again at every frame, for ever.
TEST_F(PluginSlotTest, StopAndCloseEndsTheSongsInfo)
{
    PluginSlot slot;
    LoadSlot(slot);
    control->reportedInfo = {0, kTestPluginSongTitle, 1000, 1001, -1, -1};
    ASSERT_EQ(1, slot.Start());
    ASSERT_GT(slot.GetPosition(), slot.GetLength());
    EXPECT_EQ(1, slot.StopAndClose());
    EXPECT_EQ(0, slot.infoValid);
    EXPECT_EQ(-1, slot.GetPosition());
    EXPECT_EQ(-1, slot.GetLength());
}

// A failed open or start leaves infoValid as it was: the caller does not start after a failed
// open, and a failed start keeps the previous song's state.
TEST_F(PluginSlotTest, FailedOpenOrStartKeepsInfoValid)
{
    PluginSlot slot;
    LoadSlot(slot);
    ASSERT_EQ(1, slot.Start());
    ASSERT_EQ(1, slot.infoValid);
    ClearLog();

    control->openFileResult = 0;
    EXPECT_EQ(0, slot.OpenFile("Missing.mp3"));
    EXPECT_EQ(1, slot.infoValid);
    EXPECT_EQ(0, slot.OpenFile(nullptr));
    EXPECT_EQ("o", Log()) << "only the real path reaches the plug-in, and Start is not called";

    control->startResult = 0;
    EXPECT_EQ(0, slot.Start());
    EXPECT_EQ(1, slot.infoValid);
    EXPECT_EQ("os", Log()) << "no GetFileInfo after a failed start";

    PluginSlot neverStarted;
    LoadSlot(neverStarted);
    EXPECT_EQ(0, neverStarted.Start());
    EXPECT_EQ(0, neverStarted.infoValid);
}

// Position and length come in the first form when the plug-in gives a length in it, else in
// the second; each call fetches the info again.
TEST_F(PluginSlotTest, PositionAndLengthPickTheForm)
{
    PluginSlot slot;
    LoadSlot(slot);
    ASSERT_EQ(1, slot.Start());

    control->reportedInfo = {0, kTestPluginSongTitle, 180000, 2500, 900, 12};
    EXPECT_EQ(2500, slot.GetPosition());
    EXPECT_EQ(180000, slot.GetLength());

    control->reportedInfo = {0, kTestPluginSongTitle, -1, 2500, 900, 12};
    EXPECT_EQ(12, slot.GetPosition());
    EXPECT_EQ(900, slot.GetLength());

    control->reportedInfo = {0, kTestPluginSongTitle, -1, -1, -1, -1};
    EXPECT_EQ(-1, slot.GetPosition());
    EXPECT_EQ(-1, slot.GetLength());
    EXPECT_EQ("sggggggg", Log()) << "Start, then one GetFileInfo per call";

    // A refresh that fails answers -1 and leaves the info as it was.
    control->reportedInfo = {0, kTestPluginSongTitle, 5000, 40, -1, -1};
    ASSERT_EQ(40, slot.GetPosition());
    control->getFileInfoResult = 0;
    EXPECT_EQ(-1, slot.GetPosition());
    EXPECT_EQ(-1, slot.GetLength());
}

// Seek passes form 1 when the last fetched info has no first-form length, form 2 otherwise.
TEST_F(PluginSlotTest, SeekPicksTheFormFromTheLastInfo)
{
    control->seekResult = 7;
    PluginSlot slot;
    LoadSlot(slot);
    ASSERT_EQ(1, slot.Start());  // lengths -1, as the MP3 decoder reports them

    EXPECT_EQ(7, slot.Seek(1234));
    EXPECT_EQ(1234, control->lastSeekPosition);
    EXPECT_EQ(kSeekFormB, control->lastSeekForm);
    EXPECT_EQ(1, kSeekFormB);

    control->reportedInfo = {0, kTestPluginSongTitle, 60000, 0, -1, -1};
    EXPECT_EQ(7, slot.Seek(50)) << "before a refresh the old info still counts";
    EXPECT_EQ(kSeekFormB, control->lastSeekForm);
    ASSERT_EQ(60000, slot.GetLength());
    EXPECT_EQ(7, slot.Seek(30000));
    EXPECT_EQ(kSeekFormA, control->lastSeekForm);
    EXPECT_EQ(2, kSeekFormA);
    EXPECT_EQ(30000, control->lastSeekPosition);
}

TEST_F(PluginSlotTest, StopAndCloseStopsThenClosesTheFile)
{
    PluginSlot slot;
    LoadSlot(slot);
    EXPECT_EQ(1, slot.StopAndClose());
    EXPECT_EQ("tc", Log());
    EXPECT_EQ(&slot.record, control->lastRecord);
}

TEST_F(PluginSlotTest, PressButtonNeedsNoFlag)
{
    control->onButtonResult = 9;
    PluginSlot slot;
    LoadSlot(slot);
    EXPECT_EQ(9, slot.PressButton());
    EXPECT_EQ("b", Log());
}

// Two slots of the same library: each has its own record and context.
TEST_F(PluginSlotTest, EverySlotHasItsOwnRecord)
{
    PluginSlot first;
    PluginSlot second;
    LoadSlot(first);
    LoadSlot(second);
    EXPECT_EQ(&first, first.record.hostContext);
    EXPECT_EQ(&second, second.record.hostContext);
    EXPECT_EQ(1, second.OpenFile("Song.mp3"));
    EXPECT_EQ(&second.record, control->lastRecord);
}

}  // namespace

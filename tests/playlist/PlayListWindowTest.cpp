// The playlist window inside a whole player built in this process: the real main window, the
// plug-ins beside this program (Fluxdec plays the songs) and the playlist window opened by the
// main window's command. Input arrives as the window messages a user's clicks make; the
// player's own fields tell what the list and the playback became.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/PlayerApp.h"
#include "settings/Settings.h"
#include "skin/Surface.h"

// The program's globals, in the order the program defines them (app/Globals.cpp).
Surface gPrefsSkin;
Surface gAboutSkin;
Surface gAboutScroll;
PlayerApp gPlayerApp;
Settings gSettings;

namespace {

constexpr int32_t kRowHeight = 16;
const char* const kSongs[] = {"Morning Light.mp3", "Harbour.mp3", "Slow River.mp3",
                              "Night Train.mp3", "Paper Moon.mp3"};
constexpr POINT kAddButton = {377, 148};
constexpr POINT kClearButton = {377, 201};
constexpr POINT kRemoveButton = {377, 178};
constexpr POINT kDismissButton = {381, 285};
constexpr POINT kOkButton = {360, 310};
constexpr POINT kScrollDownButton = {329, 271};
constexpr POINT kScrollUpButton = {325, 238};

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The songs are made by the test fixture "make_playlist_songs" next to this program.
std::string SongFolder() { return ProgramFolder() + "playlist-songs\\"; }
std::string SongPath(int32_t song) { return SongFolder() + kSongs[song]; }

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LPARAM At(int32_t x, int32_t y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// Files dropped on `window` as the shell hands them over: a DROPFILES block with the paths.
void DropFiles(HWND window, const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + '\0';
    list += '\0';
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(drop);
    PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    Pump();
}

// Answers the player's open dialog from a thread of its own, as a user would: types `path` and
// presses Open, or cancels when `path` is empty.
class OpenDialogAnswer {
public:
    explicit OpenDialogAnswer(std::string path)
        : thread([path] {
              const DWORD start = GetTickCount();
              HWND dialog = nullptr;
              while (GetTickCount() - start < 10000) {
                  dialog = FindWindowA("#32770", "Open Corvane Media");
                  if (dialog != nullptr && IsWindowVisible(dialog))
                      break;
                  Sleep(20);
              }
              if (dialog == nullptr)
                  return;
              if (!path.empty())
                  SetDlgItemTextA(dialog, 0x47C, path.c_str());  // the file name box
              PostMessageA(dialog, WM_COMMAND, path.empty() ? IDCANCEL : IDOK, 0);
          })
    {
    }
    ~OpenDialogAnswer() { thread.join(); }

private:
    std::thread thread;
};

// Answers LB_INSERTSTRING as a list box that is out of memory would.
WNDPROC gListProc = nullptr;
LRESULT CALLBACK RefusingInsertions(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LB_INSERTSTRING)
        return LB_ERRSPACE;
    return CallWindowProcA(gListProc, window, message, wParam, lParam);
}

class PlayListWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, gPlayerApp.StartUp(GetModuleHandleA(nullptr), ""));
        ASSERT_GT(gPlayerApp.pluginCount, 0) << "Fluxdec.cvp beside the test program";
    }
    void TearDown() override
    {
        if (HWND main = gPlayerApp.window.load())
            DestroyWindow(main);
        Pump();
        gPlayerApp.CleanUp();
    }

    PlayListWindow& Window() { return gPlayerApp.playlistWindow; }
    CorvaneListCtrl& List() { return gPlayerApp.playlistWindow.listCtrl; }

    void AddSongs(std::initializer_list<int32_t> songs)
    {
        for (int32_t song : songs)
            gPlayerApp.AddToPlaylist(SongPath(song).c_str());
        Pump();  // the window rebuilds its rows once the change is handled
    }
    void Open()
    {
        gPlayerApp.ShowPlaylistWindow();
        ASSERT_EQ(1, Window().IsShown());
        Pump();
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        std::string text;
        for (int32_t i = 0; i < List().GetCount(); ++i)
            rows.push_back(List().GetText(i, text) != LB_ERR ? text : "?");
        return rows;
    }
    // The playlist's entries as the file names the rows should show.
    std::vector<std::string> Entries()
    {
        std::vector<std::string> names;
        PlaybackGuard guard(gPlayerApp.playback);
        for (PlayListNode* node = gPlayerApp.playlist.head; node != nullptr; node = node->next)
            names.push_back(std::string(node->filePath.text).substr(SongFolder().size()));
        return names;
    }
    static std::vector<std::string> Named(std::initializer_list<int32_t> songs)
    {
        std::vector<std::string> names;
        for (int32_t song : songs)
            names.push_back(kSongs[song]);
        return names;
    }

    // Mouse input on the list, at a row counted from the top row shown.
    void ListMouse(UINT message, WPARAM keys, int32_t row, bool upper)
    {
        SendMessageA(List().hwnd, message, keys, At(60, row * kRowHeight + (upper ? 3 : 12)));
    }
    void ClickRow(int32_t row)
    {
        ListMouse(WM_LBUTTONDOWN, MK_LBUTTON, row, true);
        ListMouse(WM_LBUTTONUP, 0, row, true);
    }
    void DoubleClickRow(int32_t row)
    {
        ClickRow(row);
        ListMouse(WM_LBUTTONDBLCLK, MK_LBUTTON, row, true);
        ListMouse(WM_LBUTTONUP, 0, row, true);
    }
    void DragRow(int32_t from, int32_t to, bool upper)
    {
        ListMouse(WM_LBUTTONDOWN, MK_LBUTTON, from, true);
        ListMouse(WM_MOUSEMOVE, MK_LBUTTON, to, upper);
        ListMouse(WM_LBUTTONUP, 0, to, upper);
        Pump();
    }
    void ClickButton(POINT button)
    {
        SendMessageA(Window().hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(button.x, button.y));
        SendMessageA(Window().hwnd, WM_LBUTTONUP, 0, At(button.x, button.y));
        Pump();
    }
    bool Playing() { return gPlayerApp.songLoaded == 1 && gPlayerApp.playButton.IsOn(); }
};

TEST_F(PlayListWindowTest, RowsFollowThePlaylistThroughMovesRemovalsDropsAndASecondInstance)
{
    AddSongs({0, 1, 2});
    Open();
    EXPECT_EQ(Named({0, 1, 2}), Rows());

    DragRow(0, 2, false);
    EXPECT_EQ(Named({1, 2, 0}), Entries()) << "the entry moved with its row";
    EXPECT_EQ(Entries(), Rows());
    EXPECT_EQ(2, List().GetCurSel());

    DropFiles(Window().hwnd, {SongPath(3), SongPath(4)});
    EXPECT_EQ(Named({1, 2, 0, 3, 4}), Entries());
    EXPECT_EQ(Entries(), Rows()) << "after files dropped on the playlist window";
    EXPECT_EQ(2, List().GetCurSel()) << "the selection survives the rebuild";

    DropFiles(gPlayerApp.window.load(), {SongPath(1)});
    EXPECT_EQ(Entries(), Rows()) << "after a file dropped on the main window";

    // A second start of the player hands its song to this one.
    std::string commandLine = "\"" + ProgramFolder() + "Corvane.exe\" \"" + SongPath(2) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION second = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               ProgramFolder().c_str(), &startup, &second));
    const DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &second.hProcess, FALSE, 200, QS_ALLINPUT) !=
               WAIT_OBJECT_0 &&
           GetTickCount() - start < 20000)
        Pump();
    CloseHandle(second.hThread);
    CloseHandle(second.hProcess);
    Pump();
    EXPECT_EQ(Named({1, 2, 0, 3, 4, 1, 2}), Entries());
    EXPECT_EQ(Entries(), Rows()) << "after a second instance's song";

    ClickRow(3);
    ClickButton(kRemoveButton);
    EXPECT_EQ(Named({1, 2, 0, 4, 1, 2}), Entries());
    EXPECT_EQ(Entries(), Rows()) << "after a removal";
}

TEST_F(PlayListWindowTest, MoveRefusedByTheListBoxRebuildsTheRowsAndLeavesTheList)
{
    AddSongs({0, 1, 2, 3});
    Open();
    gListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        List().hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingInsertions)));
    DragRow(0, 2, false);
    SetWindowLongPtrA(List().hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gListProc));
    Pump();
    EXPECT_EQ(Named({0, 1, 2, 3}), Entries());
    EXPECT_EQ(Entries(), Rows()) << "the lost row is back";
}

TEST_F(PlayListWindowTest, RemovingThePlayingRowStopsItAndAnyOtherRowLeavesItPlaying)
{
    AddSongs({0, 1, 2});
    Open();
    DoubleClickRow(1);
    ASSERT_TRUE(Playing()) << "a double-click plays the row";
    ASSERT_EQ(1, gPlayerApp.currentIndex);

    ClickRow(0);
    ClickButton(kRemoveButton);
    EXPECT_TRUE(Playing()) << "another row went";
    EXPECT_EQ(0, gPlayerApp.currentIndex) << "the index follows its entry";

    // Entry 0 is now the playing song; removing it stops the song.
    ClickRow(0);
    ClickButton(kRemoveButton);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(0, gPlayerApp.IsSongPlaying());
    EXPECT_EQ(Named({2}), Entries());
    EXPECT_EQ(Entries(), Rows());
}

TEST_F(PlayListWindowTest, ClearingStopsASongPlayedFromTheListButNotOneStartedElsewhere)
{
    AddSongs({0, 1});
    gPlayerApp.PlayCurrent();  // as the main window's play button does
    ASSERT_TRUE(Playing());
    Open();
    ClickButton(kClearButton);
    EXPECT_EQ(0, gPlayerApp.playlist.count);
    EXPECT_EQ(0, List().GetCount());
    EXPECT_TRUE(Playing()) << "nothing was played from the list yet";

    AddSongs({2, 3});
    EXPECT_EQ(Named({2, 3}), Rows());
    DoubleClickRow(1);
    ASSERT_EQ(1, gPlayerApp.currentIndex);
    ASSERT_TRUE(Playing());
    ClickButton(kClearButton);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(0, gPlayerApp.IsSongPlaying());
}

TEST_F(PlayListWindowTest, ClosingWithEitherButtonAndReopeningShowsTheSameList)
{
    AddSongs({0, 1, 2, 3, 4});
    Open();
    DragRow(4, 1, true);
    ClickRow(0);
    ClickButton(kRemoveButton);
    const std::vector<std::string> edited = Named({4, 1, 2, 3});
    ASSERT_EQ(edited, Rows());

    for (POINT button : {kOkButton, kDismissButton}) {
        ClickButton(button);
        EXPECT_EQ(0, Window().IsShown()) << "closed by the button at " << button.x;
        EXPECT_EQ(nullptr, Window().hwnd);
        EXPECT_EQ(nullptr, FindWindowA("CorvanePlayListDlg", nullptr));
        Open();
        EXPECT_EQ(edited, Rows());
        EXPECT_EQ(edited, Entries());
    }
}

TEST_F(PlayListWindowTest, AddButtonSelectsTheChosenSongAndACancelledDialogLeavesTheRows)
{
    AddSongs({0, 1});
    Open();
    ClickRow(0);
    {
        OpenDialogAnswer cancel("");
        ClickButton(kAddButton);
    }
    EXPECT_EQ(Named({0, 1}), Rows());
    EXPECT_EQ(LB_ERR, List().GetCurSel());
    {
        OpenDialogAnswer choose(SongPath(3));
        ClickButton(kAddButton);
    }
    EXPECT_EQ(Named({0, 1, 3}), Rows());
    EXPECT_EQ(Named({0, 1, 3}), Entries());
    EXPECT_EQ(2, List().GetCurSel()) << "the new row is selected";
}

TEST_F(PlayListWindowTest, ScrollButtonsMoveTheRowsOneAtATimeWithinTheList)
{
    for (int32_t i = 0; i < 8; ++i)
        AddSongs({0, 1, 2});
    Open();
    ClickButton(kScrollUpButton);
    EXPECT_EQ(0, List().GetTopIndex()) << "nothing above row 0";
    ClickButton(kScrollDownButton);
    ClickButton(kScrollDownButton);
    EXPECT_EQ(2, List().GetTopIndex());
    ClickButton(kScrollUpButton);
    EXPECT_EQ(1, List().GetTopIndex());

    // Rows scrolled with redraw off show the skin behind them, not a shifted copy of it.
    RECT box;
    GetRgnBox(Window().listRegion.Get(), &box);
    WindowDc screen(List().hwnd);
    for (int32_t y = 0; y < 10 * kRowHeight; y += 5)
        EXPECT_EQ(GetPixel(Window().normalSkin.dc, box.left + 250, box.top + y),
                  GetPixel(screen.Get(), 250, y)) << "at y " << y;

    // A song from elsewhere rebuilds the rows, keeping the top row and the selection.
    ClickRow(2);
    AddSongs({4});
    EXPECT_EQ(1, List().GetTopIndex());
    EXPECT_EQ(3, List().GetCurSel());
    EXPECT_EQ(Entries(), Rows());
}

TEST_F(PlayListWindowTest, RowsArePrintedOnTheSkinTheSelectedOneInTheSelectionColour)
{
    AddSongs({0, 1, 2, 3, 4});
    Open();
    ClickRow(2);
    RedrawWindow(Window().hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    RECT box;
    GetRgnBox(Window().listRegion.Get(), &box);
    const HDC skin = Window().normalSkin.dc;
    WindowDc screen(List().hwnd);
    const int32_t x = 220;  // right of every title, inside the list's shape
    auto rowY = [](int32_t row) { return row * kRowHeight + 8; };
    auto skinAt = [&](int32_t y) { return GetPixel(skin, box.left + x, box.top + y); };
    EXPECT_EQ(skinAt(rowY(0)), GetPixel(screen.Get(), x, rowY(0))) << "row 0 shows the skin";
    EXPECT_EQ(skinAt(rowY(3)), GetPixel(screen.Get(), x, rowY(3))) << "row 3 shows the skin";
    EXPECT_EQ(skinAt(rowY(8)), GetPixel(screen.Get(), x, rowY(8))) << "below the last row";
    EXPECT_EQ(List().selectedBackColour, GetPixel(screen.Get(), x, rowY(2)));

    int32_t titlePixels = 0;
    int32_t selectedTitlePixels = 0;
    for (int32_t px = 0; px < 80; ++px)
        for (int32_t py = 0; py < kRowHeight; ++py) {
            titlePixels += GetPixel(screen.Get(), px, py) == List().normalTextColour;
            selectedTitlePixels +=
                GetPixel(screen.Get(), px, 2 * kRowHeight + py) == List().selectedTextColour;
        }
    EXPECT_GT(titlePixels, 20) << "row 0's title in the row colour";
    EXPECT_GT(selectedTitlePixels, 20) << "row 2's title in the selected text colour";
}

}  // namespace

TEST_F(PlayListWindowTest, WindowCarriesTheProgramsIcon)
{
    // The class icon is the program's own icon resource; a system icon's number asked of the
    // program finds nothing, and the task switcher would show no icon.
    Open();
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrA(Window().hwnd, GCLP_HICON)),
                            &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

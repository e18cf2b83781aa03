#include "playlist/PlayListWindow.h"

#include <windowsx.h>

#include <string>
#include <vector>

#include "playlist/PlayList.h"
#include "playlist/PlayListOrder.h"
#include "playlist/FileDialogs.h"
#include "playlist/PlaylistPaths.h"
#include "resources/ResourceIds.h"
#include "skin/RegionFromBitmap.h"

namespace {

// Posted to itself when the rows must be rebuilt from the playlist: the list changed elsewhere,
// or the list box lost a row (posted, so the rebuild never runs inside its own processing).
constexpr UINT kRebuildRowsMessage = WM_APP + 0x203;

// A point inside each button's area of the region map, in PlayListButton order.
constexpr POINT kButtonSamples[kPlayListButtonCount] = {
    {377, 92}, {377, 119}, {377, 148}, {377, 178}, {377, 201}, {381, 285},
    {360, 310}, {170, 290}, {119, 290}, {71, 288}, {329, 271}, {325, 238}};
constexpr POINT kListSample = {219, 187};

// A row shows the song's title, or the file's name and extension without drive and directories.
std::string RowTextOf(const PlayListNode& node)
{
    return std::string(RowNameOf(node).substr(0, kListTextChars - 1));
}

}  // namespace

PlayListWindow::PlayListWindow(PlayerCommands& owner, PlayList& list)
    : player(owner), playlist(list)
{
    // The skin is loaded by the first ShowAt, not here: this object is built before the
    // program's entry runs, where a failing picture load could only show a message box.
}

PlayListWindow::~PlayListWindow()
{
    if (hwnd != nullptr && IsWindow(hwnd))
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

int32_t PlayListWindow::PrepareSkin()
{
    if (skinLoaded)
        return 1;
    if (!normalSkin.LoadJpegImage(kJpegPlaylistNormal) || !litSkin.LoadJpegImage(kJpegPlaylistLit))
        return 0;
    BITMAP size = {};
    if (GetObjectA(normalSkin.bitmap, sizeof size, &size) == 0)
        return 0;
    width = size.bmWidth;
    height = size.bmHeight;

    OwnedBitmap map(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kBitmapPlaylistMap)));
    if (!map)
        return 0;
    windowShape.Reset(RegionFromBitmap(map.Get(), 0, 0, 1, 0));
    listRegion.Reset(RegionFromBitmap(map.Get(), kListSample.x, kListSample.y, 0, 0));
    for (int32_t i = 0; i < kPlayListButtonCount; ++i)
        buttonRegions[i].Reset(
            RegionFromBitmap(map.Get(), kButtonSamples[i].x, kButtonSamples[i].y, 0, 1));
    skinLoaded = 1;
    return 1;
}

int32_t PlayListWindow::ShowAt(HWND owner, POINT topLeft)
{
    if (hwnd != nullptr && IsWindow(hwnd)) {
        ShowWindow(hwnd, SW_SHOW);
        return 1;
    }
    hwnd = nullptr;
    if (!PrepareSkin())
        return 0;

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = PlayListWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconMain));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszMenuName = "";
    windowClass.lpszClassName = kPlayListWindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly when an earlier window registered it

    HWND window = CreateWindowExA(WS_EX_ACCEPTFILES, kPlayListWindowClass, kPlayListWindowClass,
                                  WS_POPUP, topLeft.x, topLeft.y, width, height, owner, nullptr,
                                  instance, nullptr);
    if (window == nullptr)
        return 0;
    hwnd = window;
    // Before the list exists: its measure request comes here and must reach listCtrl.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    LayOut();

    OwnedRegion shape(CreateRectRgn(0, 0, 0, 0));
    if (shape && CombineRgn(shape.Get(), windowShape.Get(), nullptr, RGN_COPY) != ERROR &&
        SetWindowRgn(window, shape.Get(), FALSE))
        shape.Release();  // the window owns it now
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return 1;
}

void PlayListWindow::LayOut()
{
    RECT box = {};
    GetRgnBox(listRegion.Get(), &box);
    listCtrl.CreateControl(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, box, hwnd, kPlayListControlId);
    listCtrl.SetShape(listRegion.Get(), 1, 0);
    listCtrl.backgroundDc = normalSkin.dc;
    listCtrl.backgroundOriginX = box.left;
    listCtrl.backgroundOriginY = box.top;
    for (int32_t i = 0; i < kPlayListButtonCount; ++i) {
        SkinButton& button = buttons[i];
        // A press the last window lost when it closed must not carry over.
        button.tracking = 0;
        button.state = 0;
        button.SetRegion(buttonRegions[i].Get(), hwnd);
        button.SetImages(normalSkin.dc, litSkin.dc);
    }
    buttons[scrollUpButton].clipToRegion = 1;
    RefreshRows();
    listCtrl.SetTopIndex(0);
}

int32_t PlayListWindow::IsShown() const
{
    return hwnd != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) ? 1 : 0;
}

int32_t PlayListWindow::Place(POINT& topLeft) const
{
    RECT frame;
    if (hwnd != nullptr && GetWindowRect(hwnd, &frame)) {
        topLeft = POINT{frame.left, frame.top};
        return 1;
    }
    topLeft = lastPlace;
    return placeKnown;
}

void PlayListWindow::PlaylistChanged()
{
    if (IsShown())
        PostRebuild();
}

void PlayListWindow::PostRebuild()
{
    // One rebuild for a burst of changes (a drop of many files changes the list once per
    // file), run once the change is complete and its caller has given the playback lock back.
    // Posted messages come before the user's next input, so no command acts on stale rows.
    if (rebuildPosted)
        return;
    rebuildPosted = PostMessageA(hwnd, kRebuildRowsMessage, 0, 0) ? 1 : 0;
}

// ---- Rows ----------------------------------------------------------------------------------

void PlayListWindow::RefreshRows()
{
    // The walk holds the lock; the rows are added after it is given back, since adding them
    // sends messages.
    std::vector<std::string> rows;
    int32_t playing = -1;
    {
        PlaybackHold guard(player);
        rows.reserve(static_cast<size_t>(playlist.count > 0 ? playlist.count : 0));
        for (const PlayListNode* node = playlist.head; node != nullptr; node = node->next)
            // An entry without text still gets its row, or every later row would be off by one.
            rows.push_back(RowTextOf(*node));
        playing = player.PlayingIndex();
    }
    listCtrl.markedRow = playing;
    SendMessageA(listCtrl.hwnd, WM_SETREDRAW, FALSE, 0);
    listCtrl.ResetContent();
    for (const std::string& row : rows)
        listCtrl.AddString(row.c_str());
    SendMessageA(listCtrl.hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listCtrl.hwnd, nullptr, TRUE);
}

void PlayListWindow::SongChanged()
{
    if (!IsShown())
        return;
    int32_t playing = -1;
    std::string text;
    {
        PlaybackHold guard(player);
        playing = player.PlayingIndex();
        if (const PlayListNode* node = playlist.NodeAt(playing))
            text = RowTextOf(*node);
    }
    std::string shown;
    if (playing >= 0 && listCtrl.GetText(playing, shown) != LB_ERR && shown != text)
        listCtrl.SetRowText(playing, text.c_str());
    listCtrl.SetMarkedRow(playing);
}

void PlayListWindow::RebuildRows()
{
    const int32_t selected = static_cast<int32_t>(listCtrl.GetCurSel());
    const int32_t top = static_cast<int32_t>(listCtrl.GetTopIndex());
    RefreshRows();
    const int32_t count = static_cast<int32_t>(listCtrl.GetCount());
    if (top > 0 && top < count)
        listCtrl.SetTopIndex(top);
    if (selected >= 0 && selected < count)
        listCtrl.SetCurSel(selected);
}

// ---- Commands ------------------------------------------------------------------------------

void PlayListWindow::PlaySelected()
{
    const int32_t selected = static_cast<int32_t>(listCtrl.GetCurSel());
    if (selected < 0)
        return;
    player.SelectEntry(selected);
    startedFromList = 1;
}

void PlayListWindow::AddFiles()
{
    const int32_t rowsBefore = static_cast<int32_t>(listCtrl.GetCount());
    player.OpenMediaDialog();
    RefreshRows();
    // The first new row; when the dialog added nothing there is none and nothing is selected.
    listCtrl.SetCurSel(rowsBefore);
}

void PlayListWindow::RemoveSelected()
{
    const int32_t selected = static_cast<int32_t>(listCtrl.GetCurSel());
    if (selected < 0)
        return;
    {
        // One step: the paint thread's end-of-song advance could otherwise move on to the very
        // entry between the check and the removal, which would then go while it plays.
        PlaybackHold guard(player);
        const int32_t current = player.CurrentIndex();
        if (selected == current)
            player.StopSong();
        playlist.RemoveAt(selected);
        // The current entry keeps its song; when that was the removed one, the number now
        // designates the entry that followed.
        player.SetCurrentIndex(IndexAfterRemoval(current, selected));
    }
    listCtrl.DeleteString(selected);
    SongChanged();
}

void PlayListWindow::ClearAll()
{
    {
        PlaybackHold guard(player);
        playlist.Clear();
    }
    listCtrl.ResetContent();
    if (startedFromList) {
        player.SelectEntry(0);  // on the empty list this only halts the song
        player.StopSong();
    }
}

void PlayListWindow::ScrollRows(int32_t down)
{
    const int32_t top = static_cast<int32_t>(listCtrl.GetTopIndex()) + (down ? 1 : -1);
    if (top >= 0 && top < listCtrl.GetCount())
        listCtrl.SetTopIndex(top);
}

void PlayListWindow::LoadPlaylist()
{
    const std::string path = AskPlaylistToLoad(hwnd);
    if (path.empty())
        return;
    const int32_t rowsBefore = static_cast<int32_t>(listCtrl.GetCount());
    if (player.AddPlaylistFile(path.c_str()) > 0) {
        RefreshRows();
        listCtrl.SetCurSel(rowsBefore);
    }
}

void PlayListWindow::SavePlaylist()
{
    const std::string path = AskPlaylistToSave(hwnd);
    if (!path.empty() && !player.SavePlaylistFile(path.c_str()))
        MessageBoxW(hwnd, L"The playlist could not be saved.", L"Corvane", MB_OK | MB_ICONERROR);
}

void PlayListWindow::Rearrange(int32_t button)
{
    const int32_t selected = static_cast<int32_t>(listCtrl.GetCurSel());
    int32_t selectedNow = -1;
    {
        PlaybackHold guard(player);
        // The orders move entries, not nodes' contents: the selected node is found again
        // wherever its entry went.
        const PlayListNode* mark = playlist.NodeAt(selected);
        const int32_t current = player.CurrentIndex();
        int32_t moved = current;
        if (button == sortButton) {
            moved = SortPlayList(playlist, current);
        } else if (button == reverseButton) {
            moved = ReversePlayList(playlist, current);
        } else {
            if (shuffleSeed == 0)
                shuffleSeed = GetTickCount() | 1u;
            ShuffleRandom random(shuffleSeed++);
            moved = ShufflePlayList(playlist, current, random);
        }
        player.SetCurrentIndex(moved);
        int32_t index = 0;
        for (const PlayListNode* node = playlist.head; node != nullptr && mark != nullptr;
             node = node->next, ++index)
            if (node == mark) {
                selectedNow = index;
                break;
            }
    }
    RefreshRows();
    if (selectedNow >= 0)
        listCtrl.SetCurSel(selectedNow);
}

void PlayListWindow::MoveSelected(int32_t down)
{
    const int32_t selected = static_cast<int32_t>(listCtrl.GetCurSel());
    const int32_t target = selected + (down ? 1 : -1);
    if (selected < 0 || target < 0 || target >= listCtrl.GetCount())
        return;
    MoveEntry(selected, target);
    RebuildRows();
    listCtrl.SetCurSel(target);
}

void PlayListWindow::MoveEntry(int32_t from, int32_t to)
{
    {
        PlaybackHold guard(player);
        if (playlist.NodeAt(from) == nullptr || playlist.NodeAt(to) == nullptr)
            return;
        playlist.MoveEntry(from, to);
        player.SetCurrentIndex(IndexAfterMove(player.CurrentIndex(), from, to));
    }
    SongChanged();
}

int32_t PlayListWindow::OnKey(WPARAM key)
{
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_DELETE && !control)
        RemoveSelected();
    else if (key == VK_RETURN && !control)
        PlaySelected();
    else if ((key == VK_UP || key == VK_DOWN) && control)
        MoveSelected(key == VK_DOWN ? 1 : 0);
    else if ((control && (key == 'O' || key == 'L')) ||
             (key >= VK_MEDIA_NEXT_TRACK && key <= VK_MEDIA_PLAY_PAUSE))
        // The list has no use for these (its Space and arrows are its own): the player's keys
        // work here as in the main window.
        SendMessageA(GetWindow(hwnd, GW_OWNER), WM_KEYDOWN, key, 0);
    else
        return 0;
    return 1;
}

// ---- The window procedure -----------------------------------------------------------------

LRESULT CALLBACK PlayListWindow::PlayListWndProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam)
{
    auto* self = reinterpret_cast<PlayListWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_SETFOCUS:
        if (self->listCtrl.hwnd != nullptr)
            SetFocus(self->listCtrl.hwnd);
        return 0;
    case WM_PAINT:
        self->OnPaint();
        return 0;
    case WM_DRAWITEM:
        if (wParam == kPlayListControlId)
            return self->listCtrl.DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_MEASUREITEM:
        if (wParam == kPlayListControlId)
            return self->listCtrl.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_DBLCLK) {
            self->PlaySelected();
            return 0;
        }
        if (HIWORD(wParam) == static_cast<WORD>(LBN_ERRSPACE) &&
            LOWORD(wParam) == kPlayListControlId) {
            self->PostRebuild();
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        self->OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_LBUTTONDOWN:
        self->OnLeftButtonDown(lParam);
        break;
    case WM_LBUTTONUP:
        self->OnLeftButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_DROPFILES:
        // The player adds the paths, tells this window, and releases the drop.
        self->player.DropFiles(reinterpret_cast<HDROP>(wParam));
        break;
    case kEntryMovedMessage:
        self->MoveEntry(static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
        return 0;
    case kListKeyMessage:
        return self->OnKey(wParam);
    case WM_APPCOMMAND:
        // Media keys and remote controls mean the player, which owns this window.
        if (const HWND owner = GetWindow(window, GW_OWNER))
            return SendMessageA(owner, message, wParam, lParam);
        break;
    case kRebuildRowsMessage:
        self->rebuildPosted = 0;
        self->RebuildRows();
        return 0;
    case WM_DESTROY: {
        RECT frame;
        if (GetWindowRect(window, &frame)) {
            self->lastPlace = POINT{frame.left, frame.top};
            self->placeKnown = 1;
        }
        break;
    }
    case WM_NCDESTROY:
        // The list window went with this one; the object waits for the next ShowAt.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->hwnd = nullptr;
        self->rebuildPosted = 0;  // went with the window's queue
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PlayListWindow::OnPaint()
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd, &paint);
    // The list paints its own area, over the same picture.
    ExtSelectClipRgn(dc, listRegion.Get(), RGN_DIFF);
    BitBlt(dc, 0, 0, width, height, normalSkin.dc, 0, 0, SRCCOPY);
    EndPaint(hwnd, &paint);
}

void PlayListWindow::OnMouseMove(int32_t x, int32_t y)
{
    for (SkinButton& button : buttons)
        button.OnMouseMove(x, y);
}

void PlayListWindow::OnLeftButtonDown(LPARAM position)
{
    const int32_t x = GET_X_LPARAM(position);
    const int32_t y = GET_Y_LPARAM(position);
    int32_t taken = 0;
    for (SkinButton& button : buttons)
        taken |= button.OnMouseDown(x, y);
    if (taken)
        return;
    // A press on the bare skin drags the window, as a caption would. The platform's move loop
    // reads the point as a screen position.
    POINT screen = {x, y};
    ClientToScreen(hwnd, &screen);
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

void PlayListWindow::OnLeftButtonUp(int32_t x, int32_t y)
{
    for (int32_t i = 0; i < kPlayListButtonCount; ++i) {
        if (buttons[i].OnMouseUp(x, y)) {
            RunButton(i);
            return;
        }
    }
}

void PlayListWindow::RunButton(int32_t button)
{
    switch (button) {
    case addButton:
        AddFiles();
        break;
    case removeButton:
        RemoveSelected();
        break;
    case clearButton:
        ClearAll();
        break;
    case dismissButton:
    case okButton:
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case scrollDownButton:
        ScrollRows(1);
        break;
    case scrollUpButton:
        ScrollRows(0);
        break;
    case loadButton:
        LoadPlaylist();
        break;
    case saveButton:
        SavePlaylist();
        break;
    case sortButton:
    case reverseButton:
    case shuffleButton:
        Rearrange(button);
        break;
    default:
        break;
    }
}

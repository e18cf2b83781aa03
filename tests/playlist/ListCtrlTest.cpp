// The skinned list control in a shown owner window of its own: keys, clicks and drags arrive as
// the window messages a user's input makes, and the owner records what the control tells it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "playlist/CorvaneListCtrl.h"
#include "skin/GdiHandles.h"

namespace {

constexpr int32_t kId = 129;
constexpr int32_t kRowHeight = 16;
constexpr int32_t kVisibleRows = 5;
constexpr RECT kBox = {10, 10, 130, 10 + kVisibleRows * kRowHeight};  // 120 x 80
constexpr COLORREF kSkin = RGB(0x40, 0x20, 0x80);                     // the "skin" behind rows

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A shown popup owning one list control, as the playlist window does.
class ListOwner {
public:
    ListOwner()
    {
        static const ATOM registered = [] {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = OwnerProc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "ListCtrlTestOwner";
            return RegisterClassA(&windowClass);
        }();
        (void)registered;
        window = CreateWindowExA(0, "ListCtrlTestOwner", "owner", WS_POPUP, 40, 40, 200, 140,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        skin.Reset(CreateCompatibleBitmap(ScreenDc().Get(), 300, 300));
        skinDc = CreateCompatibleDC(nullptr);
        priorBitmap = SelectObject(skinDc, skin.Get());
        GdiObject<HBRUSH> brush(CreateSolidBrush(kSkin));
        RECT all = {0, 0, 300, 300};
        FillRect(skinDc, &all, brush.Get());
        ShowWindow(window, SW_SHOW);
        ctrl.CreateControl(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, kBox, window, kId);
        ctrl.backgroundDc = skinDc;
        ctrl.backgroundOriginX = kBox.left;
        ctrl.backgroundOriginY = kBox.top;
    }
    ~ListOwner()
    {
        DestroyWindow(window);
        SelectObject(skinDc, priorBitmap);
        DeleteDC(skinDc);
    }

    void Fill(int32_t rows)
    {
        for (int32_t i = 0; i < rows; ++i)
            ctrl.AddString(("row " + std::to_string(i)).c_str());
        Pump();
        notices.clear();
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        std::string text;
        for (int32_t i = 0; i < ctrl.GetCount(); ++i)
            rows.push_back(ctrl.GetText(i, text) != LB_ERR ? text : "?");
        return rows;
    }
    int32_t Count(UINT message, WPARAM wParam) const
    {
        int32_t n = 0;
        for (const Notice& notice : notices)
            n += notice.message == message && notice.wParam == wParam;
        return n;
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    // Mouse input in the control's client coordinates, as the control receives it.
    void Press(int32_t x, int32_t y) { Mouse(WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
    void Drag(int32_t x, int32_t y) { Mouse(WM_MOUSEMOVE, MK_LBUTTON, x, y); }
    void Release(int32_t x, int32_t y) { Mouse(WM_LBUTTONUP, 0, x, y); }
    void Mouse(UINT message, WPARAM keys, int32_t x, int32_t y)
    {
        SendMessageA(ctrl.hwnd, message, keys,
                     MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    // A point in row `row` (counted from the top row shown), in its upper or lower half.
    static int32_t RowY(int32_t row, bool upper) { return row * kRowHeight + (upper ? 3 : 12); }
    void DragRow(int32_t from, int32_t to, bool upper)
    {
        Press(50, RowY(from, true));
        Drag(50, RowY(to, upper));
        Release(50, RowY(to, upper));
    }
    COLORREF Pixel(int32_t x, int32_t y)
    {
        WindowDc dc(ctrl.hwnd);
        return GetPixel(dc.Get(), x, y);
    }

    HWND window = nullptr;
    CorvaneListCtrl ctrl;
    std::vector<Notice> notices;
    OwnedBitmap skin;
    HDC skinDc = nullptr;
    HGDIOBJ priorBitmap = nullptr;
};

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* owner = reinterpret_cast<ListOwner*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_DRAWITEM:
        return owner->ctrl.DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:
        return owner->ctrl.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        owner->notices.push_back({message, HIWORD(wParam), lParam});
        return 0;
    case kEntryMovedMessage:
        owner->notices.push_back({message, wParam, lParam});
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

std::vector<std::string> Named(std::initializer_list<int> order)
{
    std::vector<std::string> rows;
    for (int i : order)
        rows.push_back("row " + std::to_string(i));
    return rows;
}

TEST(ListCtrlTest, NavigationKeysOnTenRowsSelectWithinTheList)
{
    ListOwner owner;
    owner.Fill(10);
    struct Case {
        int32_t from;
        WPARAM key;
        int32_t expected;
    } cases[] = {
        {5, VK_NEXT, 9},  {5, VK_PRIOR, 0}, {5, VK_END, 9},  {5, VK_HOME, 0},
        {5, VK_UP, 4},    {5, VK_LEFT, 4},  {5, VK_DOWN, 6}, {5, VK_RIGHT, 6},
        {-1, VK_DOWN, 0}, {-1, VK_UP, 0},   {9, VK_DOWN, 9}, {0, VK_UP, 0},
    };
    for (const Case& c : cases) {
        owner.ctrl.SetCurSel(c.from);
        SendMessageA(owner.ctrl.hwnd, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(c.expected, owner.ctrl.GetCurSel()) << "key " << c.key << " from " << c.from;
    }
    // Row 9 was selected with End: the list scrolled so that it is wholly in view.
    owner.ctrl.SetCurSel(0);
    SendMessageA(owner.ctrl.hwnd, WM_KEYDOWN, VK_END, 0);
    RECT row;
    owner.ctrl.GetItemRect(9, &row);
    EXPECT_LE(row.bottom, kBox.bottom - kBox.top);

    ListOwner empty;
    for (WPARAM key : {VK_DOWN, VK_UP, VK_END, VK_HOME, VK_NEXT, VK_PRIOR}) {
        SendMessageA(empty.ctrl.hwnd, WM_KEYDOWN, key, 0);
        EXPECT_EQ(LB_ERR, empty.ctrl.GetCurSel()) << "key " << key << " on no rows";
    }
}

TEST(ListCtrlTest, DraggingRowsMovesThemAndTellsTheOwnerOldAndNewIndex)
{
    ListOwner owner;
    owner.Fill(6);
    // Row 0 dropped on the lower half of row 3 ends at index 3.
    owner.DragRow(0, 3, false);
    ASSERT_EQ(1, owner.Count(kEntryMovedMessage, 0));
    EXPECT_EQ(3, owner.notices.back().lParam);
    EXPECT_EQ(Named({1, 2, 3, 0, 4, 5}), owner.Rows());
    EXPECT_EQ(3, owner.ctrl.GetCurSel());
    EXPECT_EQ(0, owner.ctrl.dropLineShown) << "the line goes before the move";

    // Row 4 dropped on the upper half of row 1 ends at index 1.
    owner.notices.clear();
    owner.DragRow(4, 1, true);
    ASSERT_EQ(1, owner.Count(kEntryMovedMessage, 4));
    EXPECT_EQ(1, owner.notices.back().lParam);
    EXPECT_EQ(Named({1, 4, 2, 3, 0, 5}), owner.Rows());
    EXPECT_EQ(nullptr, GetCapture()) << "the release gives the mouse back";
}

TEST(ListCtrlTest, DragsThatWouldLeaveTheRowWhereItIsShowNoLineAndMoveNothing)
{
    ListOwner owner;
    owner.Fill(4);
    struct Case {
        int32_t from, to;
        bool upper;
    } cases[] = {{0, 1, true}, {0, 0, false}, {0, 0, true}, {2, 1, false}, {2, 3, true}};
    for (const Case& c : cases) {
        owner.Press(50, ListOwner::RowY(c.from, true));
        owner.Drag(50, ListOwner::RowY(c.to, c.upper));
        EXPECT_EQ(0, owner.ctrl.dropLineShown) << c.from << " onto " << c.to << " " << c.upper;
        owner.Release(50, ListOwner::RowY(c.to, c.upper));
    }
    EXPECT_EQ(0, owner.Count(kEntryMovedMessage, 0) + owner.Count(kEntryMovedMessage, 2));
    EXPECT_EQ(Named({0, 1, 2, 3}), owner.Rows());
}

TEST(ListCtrlTest, ClickSelectsAndASecondClickOnTheSameRowDeselects)
{
    ListOwner owner;
    owner.Fill(4);
    owner.Press(50, ListOwner::RowY(2, true));
    owner.Release(50, ListOwner::RowY(2, true));
    EXPECT_EQ(2, owner.ctrl.GetCurSel());
    EXPECT_EQ(1, owner.Count(WM_COMMAND, LBN_SELCHANGE));

    owner.Press(50, ListOwner::RowY(2, false));
    owner.Release(50, ListOwner::RowY(2, false));
    EXPECT_EQ(LB_ERR, owner.ctrl.GetCurSel());
    EXPECT_EQ(3, owner.Count(WM_COMMAND, LBN_SELCHANGE)) << "the press, then the deselection";
}

TEST(ListCtrlTest, TypingALetterSelectsTheNextRowStartingWithIt)
{
    ListOwner owner;
    for (const char* name : {"apple", "banana", "blueberry", "cherry"})
        owner.ctrl.AddString(name);
    for (auto [letter, expected] : {std::pair{'b', 1}, {'b', 2}, {'c', 3}, {'a', 0}}) {
        SendMessageA(owner.ctrl.hwnd, WM_CHAR, static_cast<WPARAM>(letter), 0);
        EXPECT_EQ(expected, owner.ctrl.GetCurSel()) << "after '" << letter << "'";
    }
    EXPECT_EQ(0, owner.Count(WM_COMMAND, LBN_DBLCLK)) << "only the space plays";
}

TEST(ListCtrlTest, SpaceAsksTheOwnerToPlayEvenWithNothingSelected)
{
    ListOwner owner;
    owner.Fill(3);
    SendMessageA(owner.ctrl.hwnd, WM_CHAR, ' ', 0);
    EXPECT_EQ(1, owner.Count(WM_COMMAND, LBN_DBLCLK));
    owner.ctrl.SetCurSel(1);
    SendMessageA(owner.ctrl.hwnd, WM_CHAR, ' ', 0);
    EXPECT_EQ(2, owner.Count(WM_COMMAND, LBN_DBLCLK));
}

TEST(ListCtrlTest, DoubleClickLeavesTheClickedRowSelectedForTheOwnersPlay)
{
    ListOwner owner;
    owner.Fill(3);
    for (int32_t selectedBefore : {1, -1}) {
        owner.ctrl.SetCurSel(selectedBefore);
        owner.notices.clear();
        owner.Press(50, ListOwner::RowY(1, true));  // deselects row 1 when it was selected
        owner.Release(50, ListOwner::RowY(1, true));
        owner.Mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, 50, ListOwner::RowY(1, true));
        owner.Release(50, ListOwner::RowY(1, true));
        EXPECT_EQ(1, owner.Count(WM_COMMAND, LBN_DBLCLK)) << "selected before: " << selectedBefore;
        EXPECT_EQ(1, owner.ctrl.GetCurSel()) << "selected before: " << selectedBefore;
    }
}

TEST(ListCtrlTest, HoldingThePointerBeyondAnEdgeScrollsOneRowPerMove)
{
    ListOwner owner;
    owner.Fill(10);
    owner.ctrl.SetTopIndex(3);
    owner.Press(50, ListOwner::RowY(0, true));  // row 3
    const int32_t above = -25;                  // more than 20 pixels above the top row
    for (int32_t expectedTop : {2, 1, 0, 0}) {
        owner.Drag(50, above);
        EXPECT_EQ(expectedTop, owner.ctrl.GetTopIndex());
    }
    // Still within 20 pixels: no scroll.
    owner.Drag(50, kVisibleRows * kRowHeight + 15);
    EXPECT_EQ(0, owner.ctrl.GetTopIndex());
    // Beyond the bottom: rows 5 ... follow one per move.
    for (int32_t expectedTop : {1, 2}) {
        owner.Drag(50, kVisibleRows * kRowHeight + 40);
        EXPECT_EQ(expectedTop, owner.ctrl.GetTopIndex());
    }
    owner.Release(50, kVisibleRows * kRowHeight + 40);
    EXPECT_EQ(Named({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), owner.Rows()) << "dropped outside the rows";
}

// Answers LB_INSERTSTRING as a list box that is out of memory would.
WNDPROC gCtrlProc = nullptr;
LRESULT CALLBACK RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LB_INSERTSTRING)
        return LB_ERRSPACE;
    return CallWindowProcA(gCtrlProc, window, message, wParam, lParam);
}

TEST(ListCtrlTest, RefusedInsertionDuringAMoveSendsNoMoveButReportsTheLostRow)
{
    ListOwner owner;
    owner.Fill(4);
    gCtrlProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        owner.ctrl.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingProc)));
    owner.DragRow(0, 2, false);
    EXPECT_EQ(0, owner.Count(kEntryMovedMessage, 0));
    EXPECT_EQ(1, owner.Count(WM_COMMAND, static_cast<WORD>(LBN_ERRSPACE)));
    SetWindowLongPtrA(owner.ctrl.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gCtrlProc));
}

TEST(ListCtrlTest, DropLineIsXorDrawnAtTheTargetEdgeAndErasedOnRelease)
{
    ListOwner owner;
    owner.Fill(4);
    RedrawWindow(owner.ctrl.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const int32_t x = 100;
    const int32_t edge = 3 * kRowHeight;  // lower edge of row 2, where row 0 would go
    const COLORREF before = owner.Pixel(x, edge);
    ASSERT_EQ(kSkin, before);

    owner.Press(50, ListOwner::RowY(0, true));
    owner.Drag(50, ListOwner::RowY(2, false));
    EXPECT_EQ(1, owner.ctrl.dropLineShown);
    EXPECT_EQ(before ^ owner.ctrl.selectedBackColour, owner.Pixel(x, edge));
    EXPECT_EQ(kSkin, owner.Pixel(x, edge - 6)) << "the line is 4 pixels thick";

    // Over the upper half of row 2 the line moves to row 2's top edge.
    owner.Drag(50, ListOwner::RowY(2, true));
    EXPECT_EQ(before, owner.Pixel(x, edge));
    EXPECT_EQ(kSkin ^ owner.ctrl.selectedBackColour, owner.Pixel(x, 2 * kRowHeight));

    owner.Release(50, ListOwner::RowY(2, true));
    EXPECT_EQ(0, owner.ctrl.dropLineShown);
    EXPECT_EQ(Named({1, 0, 2, 3}), owner.Rows());
    EXPECT_EQ(kSkin, owner.Pixel(x, 2 * kRowHeight)) << "no trace of the line on row 2";
}

TEST(ListCtrlTest, EmptyControlShowsOnlyTheSkin)
{
    ListOwner owner;
    RedrawWindow(owner.ctrl.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    for (POINT p : {POINT{0, 0}, POINT{60, 40}, POINT{119, 79}})
        EXPECT_EQ(kSkin, owner.Pixel(p.x, p.y)) << p.x << "," << p.y;
}

}  // namespace

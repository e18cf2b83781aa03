#include "playlist/CorvaneListCtrl.h"

#include <windowsx.h>

#include <initializer_list>
#include <utility>

#include "playlist/WideText.h"

namespace {

// A pointer held this many pixels beyond the first or last visible row scrolls the list by one
// row per mouse move.
constexpr int32_t kAutoScrollMargin = 20;
constexpr int32_t kDropLineWidth = 4;
// The playing row's bar at the right end of its row, pixels.
constexpr int32_t kMarkBarWidth = 6;

bool RectInside(const RECT& inner, const RECT& outer)
{
    RECT both;
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

}  // namespace

CorvaneListCtrl::CorvaneListCtrl()
    : font(CreateFontA(12, 6, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                       "Arial"))
{
    // The colours are declared after the brushes: made here, once they are set.
    normalBrush.Reset(CreateSolidBrush(normalBackColour));
    selectedBrush.Reset(CreateSolidBrush(selectedBackColour));
}

CorvaneListCtrl::~CorvaneListCtrl()
{
    // A window that outlives its object must not call into it any more.
    if (hwnd != nullptr && IsWindow(hwnd))
        OnDetach();
}

int32_t CorvaneListCtrl::CreateControl(DWORD style, const RECT& box, HWND owner,
                                       int32_t controlId)
{
    const DWORD fullStyle =
        style | WS_CHILD | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED;
    // A UTF-16 list box: an 8-bit one would turn every letter outside the code page into '?'.
    HWND window = CreateWindowExW(0, L"LISTBOX", L"CorvaneListCtrl", fullStyle, box.left, box.top,
                                  box.right - box.left, box.bottom - box.top, owner,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr)
        return 0;
    hwnd = window;
    pressedWasSelected = 0;
    dragSource = -1;
    dropLineShown = 0;
    // The object first, so that the subclass finds it from its very first message.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    baseWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListCtrlProc)));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return 1;
}

void CorvaneListCtrl::SetShape(HRGN region, int32_t inParentCoordinates, int32_t redraw)
{
    if (clipRegion || region == nullptr || hwnd == nullptr)
        return;
    OwnedRegion shape(CreateRectRgn(0, 0, 0, 0));
    if (!shape || CombineRgn(shape.Get(), region, nullptr, RGN_COPY) == ERROR)
        return;
    if (inParentCoordinates) {
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        ScreenToClient(GetParent(hwnd), &origin);
        OffsetRgn(shape.Get(), -origin.x, -origin.y);
    }
    OwnedRegion windowShape(CreateRectRgn(0, 0, 0, 0));
    if (windowShape && CombineRgn(windowShape.Get(), shape.Get(), nullptr, RGN_COPY) != ERROR &&
        SetWindowRgn(hwnd, windowShape.Get(), redraw))
        windowShape.Release();  // the window owns it now
    clipRegion = std::move(shape);
}

int32_t CorvaneListCtrl::ContainsPoint(int32_t x, int32_t y) const
{
    if (clipRegion)
        return PtInRegion(clipRegion.Get(), x, y) ? 1 : 0;
    RECT client;
    GetClientRect(hwnd, &client);
    return PtInRect(&client, POINT{x, y}) ? 1 : 0;
}

// ---- Drawing ------------------------------------------------------------------------------

int32_t CorvaneListCtrl::DrawItem(const DRAWITEMSTRUCT* item)
{
    if (item == nullptr)
        return 1;
    const HDC dc = item->hDC;
    RECT row = item->rcItem;
    if (clipRegion)
        ExtSelectClipRgn(dc, clipRegion.Get(), RGN_AND);
    if (item->itemState & ODS_SELECTED) {
        SetTextColor(dc, selectedTextColour);
        SetBkColor(dc, selectedBackColour);
        FillRect(dc, &row, selectedBrush.Get());
    } else {
        SetTextColor(dc, normalTextColour);
        if (backgroundDc != nullptr) {
            SetBkMode(dc, TRANSPARENT);
            BitBlt(dc, row.left, row.top, row.right - row.left, row.bottom - row.top,
                   backgroundDc, row.left + backgroundOriginX, row.top + backgroundOriginY,
                   SRCCOPY);
        } else {
            SetBkColor(dc, normalBackColour);
            FillRect(dc, &row, normalBrush.Get());
        }
    }
    const bool marked = static_cast<int32_t>(item->itemID) == markedRow;
    if (marked) {
        if (!(item->itemState & ODS_SELECTED))
            SetTextColor(dc, markedColour);
        GdiObject<HBRUSH> bar(CreateSolidBrush(markedColour));
        RECT end = row;
        end.left = row.right > kMarkBarWidth ? row.right - kMarkBarWidth : row.left;
        FillRect(dc, &end, bar.Get());
        row.right = end.left;
    }
    SelectedObject selectedFont(dc, font.Get());
    if (GetWideText(static_cast<int32_t>(item->itemID)) != LB_ERR)
        // No prefix: an ampersand in a file name is a character, not an underline.
        DrawTextW(dc, itemText, -1, &row, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    return 1;
}

int32_t CorvaneListCtrl::MeasureItem(MEASUREITEMSTRUCT* item)
{
    if (item != nullptr)
        item->itemHeight = static_cast<UINT>(itemHeight);
    return 1;
}

int32_t CorvaneListCtrl::EraseBackground(HDC dc)
{
    if (clipRegion)
        ExtSelectClipRgn(dc, clipRegion.Get(), RGN_AND);
    RECT below;
    GetClientRect(hwnd, &below);
    const LRESULT rowsShown = GetCount() - GetTopIndex();
    below.top = static_cast<LONG>(rowsShown > 0 ? rowsShown * itemHeight : 0);
    if (below.top >= below.bottom)
        return 1;
    if (backgroundDc != nullptr) {
        SetBkMode(dc, TRANSPARENT);
        BitBlt(dc, below.left, below.top, below.right - below.left, below.bottom - below.top,
               backgroundDc, below.left + backgroundOriginX, below.top + backgroundOriginY,
               SRCCOPY);
    } else {
        GdiObject<HBRUSH> brush(CreateSolidBrush(normalBackColour));
        FillRect(dc, &below, brush.Get());
    }
    return 1;
}

void CorvaneListCtrl::RepaintAll(BOOL erase)
{
    InvalidateRect(hwnd, nullptr, erase);
    UpdateWindow(hwnd);
}

// ---- List-box messages --------------------------------------------------------------------

LRESULT CorvaneListCtrl::AddString(const char* text)
{
    const std::wstring wide = WideFromUtf8(text);
    return SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

LRESULT CorvaneListCtrl::SetRowText(int32_t index, const char* text)
{
    if (index < 0 || index >= GetCount())
        return LB_ERR;
    const LRESULT selected = GetCurSel();
    const LRESULT top = GetTopIndex();
    const std::wstring wide = WideFromUtf8(text);
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    DeleteString(index);
    const LRESULT result = InsertWide(index, wide.c_str());
    if (selected == index)
        SetCurSel(index);
    SetTopIndex(static_cast<int32_t>(top));
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    RECT box;
    if (GetItemRect(index, &box) != LB_ERR)
        InvalidateRect(hwnd, &box, TRUE);
    return result;
}

void CorvaneListCtrl::SetMarkedRow(int32_t row)
{
    if (row == markedRow)
        return;
    const int32_t previous = markedRow;
    markedRow = row;
    for (const int32_t changed : {previous, row}) {
        RECT box;
        if (changed >= 0 && hwnd != nullptr && GetItemRect(changed, &box) != LB_ERR)
            InvalidateRect(hwnd, &box, TRUE);
    }
}

LRESULT CorvaneListCtrl::DeleteString(int32_t index)
{
    return SendMessageA(hwnd, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

LRESULT CorvaneListCtrl::InsertWide(int32_t index, const wchar_t* text)
{
    return SendMessageW(hwnd, LB_INSERTSTRING, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(text));
}

LRESULT CorvaneListCtrl::GetItemRect(int32_t index, RECT* rect)
{
    return SendMessageA(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(rect));
}

LRESULT CorvaneListCtrl::SetCurSel(int32_t index)
{
    return SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT CorvaneListCtrl::GetTopIndex() { return SendMessageA(hwnd, LB_GETTOPINDEX, 0, 0); }

LRESULT CorvaneListCtrl::SetTopIndex(int32_t index)
{
    return SendMessageA(hwnd, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

LRESULT CorvaneListCtrl::GetCount() { return SendMessageA(hwnd, LB_GETCOUNT, 0, 0); }

LRESULT CorvaneListCtrl::GetCurSel() { return SendMessageA(hwnd, LB_GETCURSEL, 0, 0); }

LRESULT CorvaneListCtrl::ResetContent() { return SendMessageA(hwnd, LB_RESETCONTENT, 0, 0); }

LRESULT CorvaneListCtrl::GetWideText(int32_t index)
{
    // LB_GETTEXT knows no buffer size: a row too long for the scratch buffer is not read.
    const LRESULT length = SendMessageW(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length >= kListTextChars)
        return LB_ERR;
    return SendMessageW(hwnd, LB_GETTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(itemText));
}

LRESULT CorvaneListCtrl::GetText(int32_t index, std::string& text)
{
    const LRESULT length = GetWideText(index);
    text = length != LB_ERR ? Utf8FromWide(itemText, static_cast<int>(length)) : std::string();
    return length;
}

// ---- The subclass --------------------------------------------------------------------------

LRESULT CALLBACK CorvaneListCtrl::ListCtrlProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    auto* ctrl = reinterpret_cast<CorvaneListCtrl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (ctrl == nullptr || ctrl->hwnd != window)
        return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        ctrl->clipRegion.Reset();
        return ctrl->CallBase(message, wParam, lParam);
    case WM_NCDESTROY: {
        const WNDPROC base = ctrl->baseWndProc;
        ctrl->OnDetach();
        return CallWindowProcW(base, window, message, wParam, lParam);
    }
    case WM_PAINT:
        return ctrl->OnPaint(wParam, lParam);
    case WM_ERASEBKGND:
        return ctrl->EraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_KEYDOWN:
        // The owner's commands (remove, play, move a row) come before the list's own moves.
        if (!SendMessageW(GetParent(window), kListKeyMessage, wParam, 0))
            ctrl->OnKeyDown(wParam, lParam);
        return 0;
    case WM_CHAR:
        ctrl->OnChar(wParam, lParam);
        return 0;
    case LB_SETCURSEL:
        return ctrl->OnSetCurSel(wParam, lParam);
    case LB_SETTOPINDEX:
        return ctrl->OnSetTopIndex(wParam, lParam);
    case WM_MOUSEWHEEL:
        // Scrolling by the list box would shift the skin behind the rows along with them.
        return ctrl->WithoutRedraw(message, wParam, lParam);
    case WM_MOUSEMOVE:
        ctrl->OnDrag(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 1;
    case WM_LBUTTONDOWN:
        ctrl->OnPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 1;
    case WM_LBUTTONDBLCLK:
        // The first click of a double click on the selected row deselected it: select the row
        // again so that the list box's LBN_DBLCLK plays the row that was clicked. The release
        // that follows never deselects.
        ctrl->OnPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ctrl->pressedWasSelected = 0;
        return ctrl->CallBase(message, wParam, lParam);
    case WM_LBUTTONUP:
        ctrl->OnRelease(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 1;
    case WM_CAPTURECHANGED:
        // A drag cut short by another window leaves no line behind.
        ctrl->DrawDropLine(-1, false);
        return ctrl->CallBase(message, wParam, lParam);
    default:
        return ctrl->CallBase(message, wParam, lParam);
    }
}

LRESULT CorvaneListCtrl::CallBase(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(baseWndProc, hwnd, message, wParam, lParam);
}

LRESULT CorvaneListCtrl::WithoutRedraw(UINT message, WPARAM wParam, LPARAM lParam)
{
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    const LRESULT result = CallBase(message, wParam, lParam);
    SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    RepaintAll(TRUE);
    return result;
}

void CorvaneListCtrl::OnDetach()
{
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseWndProc));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd = nullptr;
    dropLineShown = 0;
}

LRESULT CorvaneListCtrl::OnSetCurSel(WPARAM wParam, LPARAM lParam)
{
    // A row in full view repaints itself alone; anything else may scroll.
    const int32_t index = static_cast<int32_t>(wParam);
    if (index >= 0 && index < GetCount() && RowFullyVisible(index))
        return CallBase(LB_SETCURSEL, wParam, lParam);
    return WithoutRedraw(LB_SETCURSEL, wParam, lParam);
}

LRESULT CorvaneListCtrl::OnSetTopIndex(WPARAM wParam, LPARAM lParam)
{
    if (static_cast<LRESULT>(wParam) == GetTopIndex())
        return CallBase(LB_SETTOPINDEX, wParam, lParam);
    return WithoutRedraw(LB_SETTOPINDEX, wParam, lParam);
}

LRESULT CorvaneListCtrl::OnPaint(WPARAM wParam, LPARAM lParam)
{
    // The drop line is XOR-drawn: take it off what is still on screen before painting and put
    // it back on the fresh picture, or the next erase would leave a stripe behind.
    const bool lineShown = dropLineShown != 0;
    const RECT line = dropLine;
    if (lineShown)
        DrawDropLine(-1, false);

    LRESULT result = 1;
    if (GetCount() > 0) {
        result = CallBase(WM_PAINT, wParam, lParam);
    } else {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
    }

    if (lineShown) {
        XorDropLines(nullptr, &line);
        dropLine = line;
        dropLineShown = 1;
    }
    return result;
}

// ---- Keyboard ------------------------------------------------------------------------------

void CorvaneListCtrl::OnKeyDown(WPARAM key, LPARAM lParam)
{
    const int32_t selected = static_cast<int32_t>(GetCurSel());
    const int32_t count = static_cast<int32_t>(GetCount());
    int32_t target;
    switch (key) {
    case VK_PRIOR:
        target = selected - 10;
        break;
    case VK_NEXT:
        target = selected + 10;
        break;
    case VK_END:
        target = count;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_LEFT:
    case VK_UP:
        target = selected - 1;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        target = selected + 1;
        break;
    default:
        SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
        CallBase(WM_KEYDOWN, key, lParam);
        SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
        if (GetCurSel() != selected)
            RepaintAll(TRUE);
        return;
    }
    if (target < 0)
        target = 0;
    if (target >= count)
        target = count - 1;  // -1 in an empty list, which is no change
    if (target != selected)
        SetCurSel(target);
}

void CorvaneListCtrl::OnChar(WPARAM character, LPARAM lParam)
{
    const int32_t selected = static_cast<int32_t>(GetCurSel());
    const LRESULT top = GetTopIndex();
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    CallBase(WM_CHAR, character, lParam);  // the list box's type-ahead
    SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);

    const int32_t nowSelected = static_cast<int32_t>(GetCurSel());
    if (GetTopIndex() != top) {
        RepaintAll(TRUE);
    } else if (nowSelected != selected) {
        RECT row;
        if (GetItemRect(selected, &row) != LB_ERR)
            InvalidateRect(hwnd, &row, TRUE);
        if (GetItemRect(nowSelected, &row) != LB_ERR)
            InvalidateRect(hwnd, &row, TRUE);
    }
    if (character == ' ')
        Notify(LBN_DBLCLK);
}

// ---- Mouse ---------------------------------------------------------------------------------

int32_t CorvaneListCtrl::RowAt(int32_t x, int32_t y)
{
    // Rows are itemHeight apart from the top row, above and below the view as well.
    const int32_t count = static_cast<int32_t>(GetCount());
    if (count <= 0 || itemHeight <= 0)
        return -1;
    const int32_t rowsDown = y >= 0 ? y / itemHeight : -((itemHeight - 1 - y) / itemHeight);
    const int32_t row = static_cast<int32_t>(GetTopIndex()) + rowsDown;
    RECT rect;
    if (row < 0 || row >= count || GetItemRect(row, &rect) == LB_ERR)
        return -1;
    return PtInRect(&rect, POINT{x, y}) ? row : -1;
}

bool CorvaneListCtrl::RowFullyVisible(int32_t index)
{
    RECT row;
    RECT client;
    if (GetItemRect(index, &row) == LB_ERR)
        return false;
    GetClientRect(hwnd, &client);
    return RectInside(row, client);
}

bool CorvaneListCtrl::IsNoOpDrop(int32_t row, bool upper) const
{
    return row == dragSource || (row == dragSource + 1 && upper) ||
           (row == dragSource - 1 && !upper);
}

void CorvaneListCtrl::OnPress(int32_t x, int32_t y)
{
    if (!ContainsPoint(x, y))
        return;
    SetCapture(hwnd);
    SetFocus(hwnd);
    const int32_t row = RowAt(x, y);
    if (row < 0) {
        dragSource = -1;
        pressedWasSelected = 0;
        return;
    }
    pressedWasSelected = row == GetCurSel() ? 1 : 0;
    SetCurSel(row);
    dragSource = row;
    Notify(LBN_SELCHANGE);
}

void CorvaneListCtrl::OnDrag(WPARAM keyState, int32_t x, int32_t y)
{
    // Only a press made in this control drags: a button held down elsewhere and moved over
    // the rows moves nothing.
    if (!(keyState & MK_LBUTTON) || GetCapture() != hwnd || dragSource < 0)
        return;
    int32_t row = -1;
    bool upper = false;
    if (!FindDropTarget(x, y, true, row, upper) || IsNoOpDrop(row, upper))
        DrawDropLine(-1, false);
    else
        DrawDropLine(row, upper);
}

bool CorvaneListCtrl::FindDropTarget(int32_t x, int32_t y, bool autoScroll, int32_t& row,
                                     bool& upper)
{
    RECT client;
    GetClientRect(hwnd, &client);
    if (autoScroll) {
        const int32_t top = static_cast<int32_t>(GetTopIndex());
        RECT topRow;
        RECT belowRow;
        const int32_t firstHidden = top + (client.bottom - client.top) / itemHeight;
        if (GetItemRect(top, &topRow) != LB_ERR && topRow.top - y > kAutoScrollMargin) {
            if (top > 0)
                ScrollTo(top - 1);
        } else if (firstHidden < GetCount() && GetItemRect(firstHidden, &belowRow) != LB_ERR &&
                   y - belowRow.bottom > kAutoScrollMargin) {
            ScrollTo(top + 1);
        }
    }
    row = RowAt(x, y);
    RECT rect;
    RECT shown;
    if (row < 0 || GetItemRect(row, &rect) == LB_ERR || !IntersectRect(&shown, &rect, &client))
        return false;
    upper = y < (rect.top + rect.bottom) / 2.0;
    return true;
}

void CorvaneListCtrl::ScrollTo(int32_t newTop)
{
    // The repaints below would leave a half-erased XOR line; OnDrag draws it again.
    DrawDropLine(-1, false);
    SetCurSel(-1);
    SetTopIndex(newTop);
    if (dragSource >= 0 && dragSource < GetCount() && RowFullyVisible(dragSource))
        SetCurSel(dragSource);
    RepaintAll(FALSE);
}

void CorvaneListCtrl::OnRelease(int32_t x, int32_t y)
{
    if (GetCapture() != hwnd)
        return;  // no press of ours to finish
    if (dropLineShown) {
        DrawDropLine(-1, false);
        int32_t row = -1;
        bool upper = false;
        if (FindDropTarget(x, y, false, row, upper))
            MoveDraggedEntry(row, upper);
    } else {
        const int32_t selected = static_cast<int32_t>(GetCurSel());
        RECT rect;
        if (pressedWasSelected && selected >= 0 && GetItemRect(selected, &rect) != LB_ERR &&
            PtInRect(&rect, POINT{x, y})) {
            SetCurSel(-1);
            dragSource = -1;
            Notify(LBN_SELCHANGE);
        }
    }
    ReleaseCapture();
}

void CorvaneListCtrl::MoveDraggedEntry(int32_t row, bool upper)
{
    if (dragSource < 0 || row < 0 || IsNoOpDrop(row, upper))
        return;
    if (GetWideText(dragSource) == LB_ERR)
        return;
    DeleteString(dragSource);
    const int32_t at = row - (dragSource < row ? 1 : 0) + (upper ? 0 : 1);
    const LRESULT newIndex = InsertWide(at, itemText);
    if (newIndex < 0) {
        // The row is gone from the list box but not from what the owner keeps.
        Notify(LBN_ERRSPACE);
        return;
    }
    SetCurSel(static_cast<int32_t>(newIndex));
    SendMessageA(GetParent(hwnd), kEntryMovedMessage, static_cast<WPARAM>(dragSource),
                 static_cast<LPARAM>(newIndex));
}

void CorvaneListCtrl::DrawDropLine(int32_t row, bool upper)
{
    RECT line = {};
    if (row >= 0) {
        if (GetItemRect(row, &line) == LB_ERR)
            row = -1;
        else if (!upper)
            line.top = line.bottom;
    }
    if (row < 0 && !dropLineShown)
        return;
    if (row >= 0 && dropLineShown && EqualRect(&line, &dropLine))
        return;

    XorDropLines(dropLineShown ? &dropLine : nullptr, row >= 0 ? &line : nullptr);
    dropLineShown = row >= 0 ? 1 : 0;
    if (row >= 0)
        dropLine = line;
}

void CorvaneListCtrl::XorDropLines(const RECT* erase, const RECT* draw)
{
    WindowDc dc(hwnd);
    if (!dc)
        return;
    if (clipRegion)
        ExtSelectClipRgn(dc.Get(), clipRegion.Get(), RGN_AND);
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, kDropLineWidth, selectedBackColour));
    SelectedObject selectedPen(dc.Get(), pen.Get());
    SetROP2(dc.Get(), R2_XORPEN);  // drawing the same line twice takes it away
    for (const RECT* line : {erase, draw}) {
        if (line == nullptr)
            continue;
        MoveToEx(dc.Get(), line->left, line->top, nullptr);
        LineTo(dc.Get(), line->right, line->top);
    }
}

void CorvaneListCtrl::Notify(WORD code)
{
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code),
                 reinterpret_cast<LPARAM>(hwnd));
}

// The skinned list inside the playlist window: the platform's list box ("LISTBOX"), owner-drawn
// with strings and subclassed. Rows look printed on the owner's skin, the shape follows a
// region, and the mouse selects, deselects and drags rows to new places with an XOR drop line.
//
// One row may be marked as the playing one. The control knows nothing about playlists. It tells
// its owner what happened:
//   WM_COMMAND LBN_SELCHANGE  a press selected a row, or a click deselected the selected one;
//   WM_COMMAND LBN_DBLCLK     a row was double-clicked, or the space bar typed;
//   WM_COMMAND LBN_ERRSPACE   a drag lost its row because the list box refused to insert it
//                             again: the rows no longer mirror what the owner keeps;
//   kEntryMovedMessage        a row was dragged from index wParam to index lParam;
//   kListKeyMessage           key wParam went down: a nonzero answer means the owner took it.
// The owner forwards WM_DRAWITEM and WM_MEASUREITEM for the control's id to DrawItem and
// MeasureItem.
//
// Default list-box processing that may scroll runs with redraw switched off, followed by one
// whole repaint, so rows never flicker over the skin.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "skin/GdiHandles.h"

inline constexpr UINT kEntryMovedMessage = WM_APP + 0x202;  // 0x8202
inline constexpr UINT kListKeyMessage = WM_APP + 0x204;
inline constexpr int kListTextChars = 2048;

class CorvaneListCtrl {
public:
    wchar_t itemText[kListTextChars] = {};  // scratch for a row's text while drawing or moving it
    GdiObject<HBRUSH> normalBrush;       // owned, normalBackColour
    GdiObject<HBRUSH> selectedBrush;     // owned, selectedBackColour
    int32_t backgroundOriginX = 0;       // the control's top-left inside backgroundDc's image
    int32_t backgroundOriginY = 0;
    HDC backgroundDc = nullptr;          // borrowed from the owner; none: plain normalBackColour
    GdiObject<HFONT> font;               // owned: thin Arial, 12 pixels high
    OwnedRegion clipRegion;              // the shape in the control's client coordinates
    int32_t pressedWasSelected = 0;      // the row under the last press was already selected
    int32_t dragSource = 0;              // row pressed last, -1 for none
    int32_t dropLineShown = 0;           // the XOR drop line is on screen
    RECT dropLine = {};                  // the drop line as last drawn (left, y, right, bottom)
    WNDPROC baseWndProc = nullptr;       // the list box's own procedure
    COLORREF normalBackColour = RGB(0x00, 0x33, 0x00);
    COLORREF normalTextColour = RGB(0x00, 0xFF, 0x00);
    COLORREF selectedBackColour = RGB(0x00, 0x9C, 0xD6);
    COLORREF selectedTextColour = RGB(0x00, 0x00, 0x00);
    COLORREF markedColour = RGB(0xFF, 0xD0, 0x00);  // the marked row's text and its bar
    int32_t markedRow = -1;              // the row drawn as playing, -1 for none
    int32_t itemHeight = 16;
    HWND hwnd = nullptr;                 // the control's window; destroyed with its owner

    CorvaneListCtrl();
    virtual ~CorvaneListCtrl();
    CorvaneListCtrl(const CorvaneListCtrl&) = delete;
    CorvaneListCtrl& operator=(const CorvaneListCtrl&) = delete;

    // Creates the list box at `box` (owner client coordinates) with `style` plus the owner-draw
    // styles, and subclasses it. 1 on success, 0 when no window could be made.
    int32_t CreateControl(DWORD style, const RECT& box, HWND owner, int32_t controlId);
    // Gives the control its shape once (later calls while a shape is set do nothing). With
    // `inParentCoordinates` the region is in the owner's client coordinates. The caller keeps
    // `region`.
    void SetShape(HRGN region, int32_t inParentCoordinates, int32_t redraw);
    int32_t ContainsPoint(int32_t x, int32_t y) const;

    // Owner-draw requests, forwarded by the owner. Both return 1.
    int32_t DrawItem(const DRAWITEMSTRUCT* item);
    int32_t MeasureItem(MEASUREITEMSTRUCT* item);
    int32_t EraseBackground(HDC dc);

    // List-box messages, sent to the control itself. Rows are kept in UTF-16, so that any name
    // shows as it is; the texts given here are UTF-8.
    LRESULT AddString(const char* text);
    LRESULT DeleteString(int32_t index);
    LRESULT GetItemRect(int32_t index, RECT* rect);
    LRESULT SetCurSel(int32_t index);
    LRESULT GetTopIndex();
    LRESULT SetTopIndex(int32_t index);
    LRESULT GetCount();
    LRESULT GetCurSel();
    LRESULT ResetContent();
    // Row `index` in UTF-8; LB_ERR when there is no such row.
    LRESULT GetText(int32_t index, std::string& text);
    // Replaces row `index`'s text, keeping the selection; LB_ERR when there is no such row.
    LRESULT SetRowText(int32_t index, const char* text);
    // Marks row `row` as the playing one (its text in markedColour and a bar of that colour at
    // its right end); -1 marks none. Repaints the rows whose mark changed.
    void SetMarkedRow(int32_t row);

private:
    static LRESULT CALLBACK ListCtrlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallBase(UINT message, WPARAM wParam, LPARAM lParam);
    // Row `index` into itemText; LB_ERR when there is none or it does not fit.
    LRESULT GetWideText(int32_t index);
    LRESULT InsertWide(int32_t index, const wchar_t* text);
    LRESULT WithoutRedraw(UINT message, WPARAM wParam, LPARAM lParam);
    void RepaintAll(BOOL erase);
    LRESULT OnSetCurSel(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetTopIndex(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(WPARAM key, LPARAM lParam);
    void OnChar(WPARAM character, LPARAM lParam);
    void OnPress(int32_t x, int32_t y);
    void OnDrag(WPARAM keyState, int32_t x, int32_t y);
    void OnRelease(int32_t x, int32_t y);
    void OnDetach();

    // The row at (x, y) and whether the point is in its upper half; false when no visible row
    // is there. With `autoScroll`, a pointer held beyond the top or bottom first scrolls a row.
    bool FindDropTarget(int32_t x, int32_t y, bool autoScroll, int32_t& row, bool& upper);
    // The row whose rectangle holds (x, y), or -1; rows above or below the view count too.
    int32_t RowAt(int32_t x, int32_t y);
    bool RowFullyVisible(int32_t index);
    // Dropping the dragged row at (row, upper) would leave it where it is.
    bool IsNoOpDrop(int32_t row, bool upper) const;
    void ScrollTo(int32_t newTop);
    void MoveDraggedEntry(int32_t row, bool upper);
    // Shows the drop line on the top (upper) or bottom edge of `row`; row -1 removes it.
    void DrawDropLine(int32_t row, bool upper);
    // XOR-draws `erase` and then `draw` (either may be null) with the drop line's pen.
    void XorDropLines(const RECT* erase, const RECT* draw);
    void Notify(WORD code);
};

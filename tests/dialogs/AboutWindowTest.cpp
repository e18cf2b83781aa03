// The About window as its user meets it: the credits rising inside the skin (read back from the
// window), real pointer drags and key presses (through the X server), and closing it while the credits scroll.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/AboutWindow.h"
#include "dialogs/CreditsScroller.h"
#include "dialogs/CreditsText.h"
#include "skin/GdiHandles.h"
#include "skin/Surface.h"
#include "tests/dialogs/DesktopInput.h"
#include "tests/support/PixelCapture.h"

namespace {

constexpr int kWindowWidth = 403;
constexpr int kWindowHeight = 418;
// A rectangle wholly inside the text area (the white of the region map): the window's view of
// the credits.
constexpr int kViewLeft = 80;
constexpr int kViewTop = 56;
constexpr int kViewWidth = 190;
constexpr int kViewHeight = 209;
constexpr POINT kTextPoint = {176, 160};
constexpr POINT kBadgePoint = {310, 350};
constexpr POINT kSkinPoint = {200, 20};

HWND FindAboutWindow()
{
    return FindWindowA(kAboutWindowClass, kAboutWindowTitle);
}

uint32_t Background()
{
    return Rgb(kCreditsBackground);
}

uint32_t HashPixels(const uint32_t* pixels, int count)
{
    uint32_t hash = 2166136261u;
    for (int i = 0; i < count; ++i)
        hash = (hash ^ pixels[i]) * 16777619u;
    return hash;
}

// Finds which band position a view of the text area shows, by comparing its rows with the
// credits surface's.
class BandMatcher {
public:
    explicit BandMatcher(const std::vector<uint32_t>& surface)
    {
        const std::vector<uint32_t> blank(kViewWidth, Background());
        blankRow_ = HashPixels(blank.data(), kViewWidth);
        for (int row = 0; row < kCreditsSurfaceHeight; ++row)
            rows_.push_back(HashPixels(&surface[row * kCreditsWidth + kViewLeft - kBandLeft],
                                       kViewWidth));
    }

    // The first surface row that is not all background.
    int32_t FirstInkedRow() const
    {
        int32_t row = 0;
        while (row < kCreditsSurfaceHeight && rows_[row] == blankRow_)
            ++row;
        return row;
    }

    // Every position whose band would show exactly `view`; empty when none would.
    std::vector<int32_t> Positions(const std::vector<uint32_t>& view) const
    {
        std::vector<uint32_t> seen;
        for (int y = 0; y < kViewHeight; ++y)
            seen.push_back(HashPixels(&view[y * kViewWidth], kViewWidth));
        std::vector<int32_t> found;
        for (int32_t position = kFirstScrollPos; position < kCreditsSurfaceHeight; ++position) {
            bool same = true;
            for (int y = 0; y < kViewHeight && same; ++y) {
                const int32_t row = position + kViewTop + y - kBandTop;
                const uint32_t expected =
                    row >= 0 && row < kCreditsSurfaceHeight ? rows_[row] : blankRow_;
                same = seen[y] == expected;
            }
            if (same)
                found.push_back(position);
        }
        return found;
    }

private:
    std::vector<uint32_t> rows_;
    uint32_t blankRow_ = 0;
};

int ThreadsOfThisProcess()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

bool TextAreaDrawn(HWND about)
{
    return CaptureWindow(about, kTextPoint.x, kTextPoint.y, 1, 1)[0] == Background();
}

std::string Describe(const RECT& rect)
{
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ")";
}

class AboutWindowTest : public testing::Test {
protected:
    void TearDown() override
    {
        if (HWND about = FindAboutWindow())
            DestroyWindow(about);
    }
};

// Every pixel of a 403 x 418 target after one band is drawn: the band's rectangle holds surface
// rows (scrollPos + y - 40) where the surface has them and the background where it does not;
// nothing outside the band is touched.
TEST(CreditsBand, ShowsTheSurfaceRowsAtTheirPositionAndTheBackgroundWhereTheSurfaceEnds)
{
    Surface credits;
    ASSERT_TRUE(credits.CreateBlank(kCreditsWidth, kCreditsSurfaceHeight));
    const int32_t textHeight = DrawCreditsText(credits.dc);
    ASSERT_GT(textHeight, 200) << "the credits are several paragraphs";
    ASSERT_LT(textHeight, kCreditsSurfaceHeight - kBandHeight) << "the credits fit the surface";
    const std::vector<uint32_t> surface =
        CapturePixels(credits.dc, 0, 0, kCreditsWidth, kCreditsSurfaceHeight);
    int inkPixels = 0;
    for (uint32_t pixel : surface)
        inkPixels += pixel == Rgb(kCreditsInk);
    EXPECT_GT(inkPixels, 1000) << "the text is drawn in the credits' ink";

    Surface target;
    ASSERT_TRUE(target.CreateBlank(kWindowWidth, kWindowHeight));
    const GdiObject<HBRUSH> sentinel(CreateSolidBrush(RGB(0xFF, 0x00, 0xFF)));
    const GdiObject<HBRUSH> background(CreateSolidBrush(kCreditsBackground));
    // The first frame of a cycle (the text's top row on the band's last-but-one row), frames
    // just before and at the text's top, one in the middle, and bands that reach past the
    // surface's end or lie wholly beyond it.
    for (int32_t scrollPos : {kFirstScrollPos, -1, 0, 300, kCreditsSurfaceHeight - 100,
                              kCreditsSurfaceHeight + 5}) {
        SCOPED_TRACE("scrollPos " + std::to_string(scrollPos));
        const RECT whole = {0, 0, kWindowWidth, kWindowHeight};
        FillRect(target.dc, &whole, sentinel.Get());
        DrawCreditsBand(target.dc, credits.dc, background.Get(), scrollPos);
        const std::vector<uint32_t> drawn =
            CapturePixels(target.dc, 0, 0, kWindowWidth, kWindowHeight);
        int wrong = 0;
        for (int y = 0; y < kWindowHeight; ++y) {
            for (int x = 0; x < kWindowWidth; ++x) {
                uint32_t expected = 0xFF00FF;
                if (x >= kBandLeft && x < kBandLeft + kCreditsWidth && y >= kBandTop &&
                    y < kBandTop + kBandHeight) {
                    const int32_t row = scrollPos + y - kBandTop;
                    expected = row >= 0 && row < kCreditsSurfaceHeight
                                   ? surface[row * kCreditsWidth + x - kBandLeft]
                                   : Background();
                }
                const uint32_t actual = drawn[y * kWindowWidth + x];
                if (actual != expected && ++wrong <= 3)
                    ADD_FAILURE() << "at (" << x << ", " << y << ") expected " << std::hex
                                  << expected << ", drawn " << actual;
            }
        }
        EXPECT_EQ(0, wrong) << "pixels drawn wrong";
    }
}

TEST(CreditsBand, RisesOneRowPerFrameAndStartsAgainAfterTheTextHeight)
{
    const int32_t textHeight = 700;
    EXPECT_EQ(kFirstScrollPos, NextScrollPos(textHeight, textHeight)) << "the thread's first step";
    int32_t position = kFirstScrollPos;
    int frames = 0;
    do {
        const int32_t next = NextScrollPos(position, textHeight);
        if (next != kFirstScrollPos) {
            ASSERT_EQ(position + 1, next);
        }
        position = next;
        ++frames;
    } while (position != kFirstScrollPos && frames < 5000);
    EXPECT_EQ(textHeight + 269, frames) << "one cycle runs from -268 to the text height";
}

// Watches the text area from the moment the window shows: it starts empty, the text enters at
// the bottom and rises by at most one row per 33 ms, always an exact band of the credits.
TEST_F(AboutWindowTest, TheCreditsEnterFromBelowAndRiseOneRowPerFrame)
{
    ShowAboutWindow(nullptr);
    const DWORD shown = GetTickCount();
    const HWND about = FindAboutWindow();
    ASSERT_NE(nullptr, about);
    const BandMatcher matcher(
        CapturePixels(gAboutScroll.dc, 0, 0, kCreditsWidth, kCreditsSurfaceHeight));

    struct Look {
        DWORD tick;
        std::vector<int32_t> positions;
    };
    std::vector<Look> looks;
    int32_t firstText = INT32_MIN;
    DWORD firstTextTick = 0;
    PumpUntil(
        [&] {
            const DWORD tick = GetTickCount();
            looks.push_back({tick, matcher.Positions(CaptureWindow(
                                       about, kViewLeft, kViewTop, kViewWidth, kViewHeight))});
            if (firstText == INT32_MIN && looks.back().positions.size() == 1) {
                firstText = looks.back().positions[0];
                firstTextTick = tick;
            }
            return firstText != INT32_MIN && tick - firstTextTick > 1500;
        },
        15000);
    ASSERT_NE(INT32_MIN, firstText) << "no text seen in 15 s";

    // Before the text: frames of the empty band, which only positions below the text explain.
    size_t firstTextLook = 0;
    while (looks[firstTextLook].positions.size() != 1)
        ++firstTextLook;
    ASSERT_GT(firstTextLook, 0u) << "text showed at once, " << GetTickCount() - shown << " ms";
    const Look& before = looks[firstTextLook - 1];
    EXPECT_FALSE(before.positions.empty()) << "the look before the text showed no band";
    if (!before.positions.empty()) {
        EXPECT_EQ(kFirstScrollPos, before.positions.front()) << "an empty band";
    }
    // The text enters at the bottom: its first inked row is the view's last.
    const int32_t entering = kBandTop - (kViewTop + kViewHeight - 1) + matcher.FirstInkedRow();
    const int32_t allowed = entering + static_cast<int32_t>(firstTextTick - before.tick) / 33 + 2;
    EXPECT_GE(firstText, entering);
    EXPECT_LE(firstText, allowed) << "the text appeared higher than the bottom of the area";

    int32_t last = firstText;
    DWORD lastTick = firstTextTick;
    for (size_t i = firstTextLook + 1; i < looks.size(); ++i) {
        ASSERT_EQ(1u, looks[i].positions.size())
            << "look " << i << " is not one band of the credits (" << looks[i].positions.size()
            << " positions fit)";
        const int32_t now = looks[i].positions[0];
        const int32_t mostRows = static_cast<int32_t>(looks[i].tick - lastTick) / 33 + 2;
        EXPECT_GE(now, last) << "the text moved down";
        EXPECT_LE(now - last, mostRows) << "more than one row per frame";
        last = now;
        lastTick = looks[i].tick;
    }
    EXPECT_GE(last - firstText, 10) << "the text hardly moved in 1.5 s";

    // Outside the text area the skin shows, and the window is cut to the map's outline.
    const std::vector<uint32_t> skin = CapturePixels(gAboutSkin.dc, kSkinPoint.x, kSkinPoint.y, 1, 1);
    EXPECT_EQ(skin[0], CaptureWindow(about, kSkinPoint.x, kSkinPoint.y, 1, 1)[0]);
    const OwnedRegion shape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, GetWindowRgn(about, shape.Get()));
    EXPECT_FALSE(PtInRegion(shape.Get(), 0, 0)) << "the corner is cut away";
    EXPECT_TRUE(PtInRegion(shape.Get(), kSkinPoint.x, kSkinPoint.y));
}

TEST_F(AboutWindowTest, MovesWhenItsSkinIsDraggedNotItsTextOrBadgeAndAnyKeyClosesIt)
{
    ShowAboutWindow(nullptr);
    const HWND about = FindAboutWindow();
    ASSERT_NE(nullptr, about);
    ASSERT_TRUE(PumpUntil([&] { return TextAreaDrawn(about); }, 5000));
    RECT start;
    GetWindowRect(about, &start);

    for (const POINT& point : {kTextPoint, kBadgePoint}) {
        SCOPED_TRACE("drag from (" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")");
        ASSERT_TRUE(DragFrom(about, point.x, point.y, 40, 25));
        PumpFor(300);
        ASSERT_TRUE(IsWindow(about)) << "a press closed the window";
        RECT now;
        GetWindowRect(about, &now);
        EXPECT_EQ(Describe(start), Describe(now)) << "the window moved";
    }

    ASSERT_TRUE(DragFrom(about, kSkinPoint.x, kSkinPoint.y, 60, 35));
    RECT moved = {};
    const bool arrived = PumpUntil(
        [&] {
            GetWindowRect(about, &moved);
            return moved.left == start.left + 60 && moved.top == start.top + 35;
        },
        3000);
    EXPECT_TRUE(arrived) << "from " << Describe(start) << " to " << Describe(moved);

    ASSERT_TRUE(PressKey("x"));
    EXPECT_TRUE(PumpUntil([] { return FindAboutWindow() == nullptr; }, 3000))
        << "a key left the window open";
}

// Each close must wait for the scroller: its last frame clips to a region that the close
// deletes. Once DestroyWindow returns, no thread of the window may be left. (Ten rounds: without
// a window manager, Wine spends 2 s destroying each shown popup, waiting for one to withdraw it.)
TEST_F(AboutWindowTest, ClosingWhileTheCreditsScrollEndsTheScrollerFirst)
{
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int threadsBefore = ThreadsOfThisProcess();
        ShowAboutWindow(nullptr);
        const HWND about = FindAboutWindow();
        ASSERT_NE(nullptr, about);
        ASSERT_TRUE(PumpUntil([&] { return TextAreaDrawn(about); }, 5000)) << "no frame drawn";
        DestroyWindow(about);
        ASSERT_EQ(threadsBefore, ThreadsOfThisProcess()) << "the scroller outlived its window";
        ASSERT_EQ(nullptr, FindAboutWindow());
    }
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The splash is still scrolling when a player's main window closes; the process must then end
// at once and cleanly, its static surfaces going after the scroller has stopped.
TEST(AboutWindowAtExit, AProgramEndingWithTheCreditsScrollingEndsCleanly100Times)
{
    const std::string probe = ProgramFolder() + "about_exit_probe.exe";
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string commandLine = "\"" + probe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process))
            << probe;
        const DWORD waited = WaitForSingleObject(process.hProcess, 20000);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        if (waited != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        ASSERT_EQ(WAIT_OBJECT_0, waited) << "the program hung at its end";
        ASSERT_EQ(0u, code) << "the program failed at its end";
    }
}

}  // namespace

// The compiled resources as the program finds them through the platform's loaders: every bitmap
// of the inventory at its size, region maps that keep their areas apart when read at 8 bits per
// pixel, the cursor's hot spot, the icon's three sizes, the JPEG pictures and the two dialog
// templates of the preferences window.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/ResourceIds.h"

namespace {

struct BitmapSize {
  int id;
  int width;
  int height;
};

const BitmapSize kBitmaps[] = {
    {kBitmapMainMap, 177, 292},     {kBitmapVolumeDot, 3, 3},
    {kBitmapGlyphStrip, 1331, 13},  {kBitmapPlaylistMap, 426, 350},
    {kBitmapAboutMap, 403, 420},
};

HBITMAP LoadResourceBitmap(int id) {
  return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

SIZE BitmapDimensions(HBITMAP bitmap) {
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

// The map's pixels converted the way the region cutter reads them: `bits` per pixel through the
// screen context, rows top-down, each row padded to 32 bits. 8 bits give palette indices of the
// default palette, 32 bits the colours.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int bits, SIZE size) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info = {};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = size.cx;
  info.header.biHeight = -size.cy;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  const int rowBytes = (size.cx * bits / 8 + 3) / 4 * 4;
  std::vector<uint8_t> raw(static_cast<size_t>(rowBytes) * size.cy);
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, size.cy, raw.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(lines, size.cy);
  std::vector<uint32_t> out;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      const uint8_t* p = raw.data() + static_cast<size_t>(y) * rowBytes;
      if (bits == 8) {
        out.push_back(p[x]);
      } else {
        uint32_t v;
        std::memcpy(&v, p + 4 * x, 4);
        out.push_back(v & 0xFFFFFFu);
      }
    }
  }
  return out;
}

TEST(Resources, EveryBitmapLoadsAtItsInventorySize) {
  std::vector<BitmapSize> all(std::begin(kBitmaps), std::end(kBitmaps));
  for (int k = 0; k < kSeekFrameCount; ++k) all.push_back({kBitmapSeekFrameFirst + k, 49, 49});
  for (const BitmapSize& expected : all) {
    SCOPED_TRACE("bitmap " + std::to_string(expected.id));
    HBITMAP bitmap = LoadResourceBitmap(expected.id);
    ASSERT_NE(bitmap, nullptr);
    const SIZE size = BitmapDimensions(bitmap);
    EXPECT_EQ(size.cx, expected.width);
    EXPECT_EQ(size.cy, expected.height);
    DeleteObject(bitmap);
  }
}

// Reading a map at 8 bits per pixel must not merge two of its colours: every distinct colour
// stays a distinct index, and the same colour always gets the same index.
TEST(Resources, RegionMapsKeepTheirColoursApartAtEightBits) {
  for (int id : {kBitmapMainMap, kBitmapPlaylistMap, kBitmapAboutMap}) {
    SCOPED_TRACE("map " + std::to_string(id));
    HBITMAP bitmap = LoadResourceBitmap(id);
    ASSERT_NE(bitmap, nullptr);
    const SIZE size = BitmapDimensions(bitmap);
    const std::vector<uint32_t> colours = ReadPixels(bitmap, 32, size);
    const std::vector<uint32_t> indices = ReadPixels(bitmap, 8, size);
    DeleteObject(bitmap);
    ASSERT_EQ(colours.size(), indices.size());
    std::set<uint32_t> pairs, distinctColours, distinctIndices;
    for (size_t i = 0; i < colours.size(); ++i) {
      pairs.insert(colours[i] << 8 | indices[i]);
      distinctColours.insert(colours[i]);
      distinctIndices.insert(indices[i]);
    }
    EXPECT_GE(distinctColours.size(), 3u);
    EXPECT_EQ(pairs.size(), distinctColours.size()) << "a colour maps to two indices";
    EXPECT_EQ(distinctIndices.size(), distinctColours.size()) << "two colours share an index";
  }
}

TEST(Resources, KnobCursorHasItsHotSpotAtTheArrowTip) {
  HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCursorKnob));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 8u);
  EXPECT_EQ(info.yHotspot, 5u);
  // Monochrome: no colour bitmap, a mask of twice the height (AND over XOR).
  EXPECT_EQ(info.hbmColor, nullptr);
  const SIZE mask = BitmapDimensions(info.hbmMask);
  EXPECT_EQ(mask.cx, 32);
  EXPECT_EQ(mask.cy, 64);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST(Resources, IconGroupHoldsSmallLargeAndExtraLarge) {
  for (int size : {16, 32, 48}) {
    SCOPED_TRACE("icon size " + std::to_string(size));
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(kIconMain), IMAGE_ICON, size,
                                               size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    ASSERT_NE(info.hbmColor, nullptr);
    const SIZE colour = BitmapDimensions(info.hbmColor);
    EXPECT_EQ(colour.cx, size);
    EXPECT_EQ(colour.cy, size);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
  }
}

// Width and height from the first start-of-frame marker, which must be baseline (SOF0) with
// three components sampled 1x1.
bool JpegFrame(const uint8_t* data, DWORD length, int* width, int* height) {
  DWORD i = 2;
  while (i + 9 < length && data[i] == 0xFF) {
    const uint8_t marker = data[i + 1];
    const DWORD size = static_cast<DWORD>(data[i + 2] << 8 | data[i + 3]);
    if (marker == 0xC0) {
      *height = data[i + 5] << 8 | data[i + 6];
      *width = data[i + 7] << 8 | data[i + 8];
      if (data[i + 9] != 3) return false;
      for (int c = 0; c < 3; ++c) {
        if (data[i + 11 + 3 * c] != 0x11) return false;
      }
      return true;
    }
    if (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      return false;  // progressive or another non-baseline frame
    }
    i += 2 + size;
  }
  return false;
}

TEST(Resources, JpegPicturesAreBaselineJfifOfTheirSizes) {
  const struct {
    int id, width, height;
  } pictures[] = {{kJpegSkinNormal, 177, 292},     {kJpegSkinLit, 177, 292},
                  {kJpegPlaylistLit, 426, 350},    {kJpegPlaylistNormal, 426, 350},
                  {kJpegPrefsSkin, 401, 330},      {kJpegAboutSkin, 403, 420}};
  for (const auto& picture : pictures) {
    SCOPED_TRACE("JPEG " + std::to_string(picture.id));
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(picture.id), kJpegResourceType);
    ASSERT_NE(found, nullptr);
    const DWORD length = SizeofResource(nullptr, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(data, nullptr);
    ASSERT_GT(length, 20u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xD8);
    EXPECT_EQ(std::memcmp(data + 6, "JFIF", 5), 0);
    int width = 0, height = 0;
    EXPECT_TRUE(JpegFrame(data, length, &width, &height));
    EXPECT_EQ(width, picture.width);
    EXPECT_EQ(height, picture.height);
  }
}

INT_PTR CALLBACK QuietPageProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// The pages are child dialogs: they need a parent, as the tab control is in the program.
class PageHost {
 public:
  PageHost()
      : parent_(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr)) {}
  ~PageHost() {
    if (parent_) DestroyWindow(parent_);
  }
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  HWND Create(int dialogId) const {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), parent_,
                              QuietPageProc, 0);
  }

 private:
  HWND parent_;  // owned
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(Resources, GeneralPageHasTheFourSettingsCheckBoxes) {
  PageHost host;
  HWND page = host.Create(kDialogGeneralPage);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(GetWindowLongA(page, GWL_STYLE) & WS_CHILD);
  const struct {
    int id;
    const char* text;
  } boxes[] = {{kIdcImmediatePlay, "Immediate Play"},
               {kIdcMultipleInstances, "Multiple Instances"},
               {kIdcMinimizeToSystemTray, "Minimize to System Tray"},
               {kIdcRealisticKnobRotation, "\"Realistic\" Knob Rotation Control"}};
  for (const auto& box : boxes) {
    SCOPED_TRACE("control " + std::to_string(box.id));
    HWND control = GetDlgItem(page, box.id);
    ASSERT_NE(control, nullptr);
    EXPECT_STRCASEEQ(ClassOf(control).c_str(), "Button");
    EXPECT_EQ(TextOf(control), box.text);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(style & 0x0F, BS_AUTOCHECKBOX);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE(style & WS_VISIBLE);
  }
  DestroyWindow(page);
}

TEST(Resources, AboutPageShowsIconNameVersionAndCredits) {
  PageHost host;
  HWND page = host.Create(kDialogAboutPage);
  ASSERT_NE(page, nullptr);
  std::vector<HWND> children;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  ASSERT_EQ(children.size(), 4u);
  for (HWND child : children) {
    EXPECT_STRCASEEQ(ClassOf(child).c_str(), "Static");
    EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, 0xFFFF);
  }
  EXPECT_EQ(GetWindowLongA(children[0], GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(SendMessageA(children[0], STM_GETICON, 0, 0), 0) << "the icon did not load";
  EXPECT_EQ(TextOf(children[1]), "Corvane");
  EXPECT_EQ(TextOf(children[2]), "0.40");
  EXPECT_NE(TextOf(children[3]).find("MP3 decoding engine"), std::string::npos);
  DestroyWindow(page);
}

}  // namespace

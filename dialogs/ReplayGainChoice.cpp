#include "dialogs/ReplayGainChoice.h"

#include "resources/ResourceIds.h"
#include "settings/Settings.h"

namespace {

constexpr const char* kChoices[] = {"Off", "Track", "Album"};  // the setting's values 0, 1, 2
constexpr int kChoiceCount = 3;

}  // namespace

void ShowReplayGainChoice(HWND page)
{
    for (const char* choice : kChoices)
        SendDlgItemMessageA(page, kIdcReplayGain, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    const int32_t value = gSettings.replayGain;
    SendDlgItemMessageA(page, kIdcReplayGain, CB_SETCURSEL, value >= 0 && value < kChoiceCount ? value : 0, 0);
}

void StoreReplayGainChoice(HWND page, WPARAM wParam)
{
    if (LOWORD(wParam) != kIdcReplayGain || HIWORD(wParam) != CBN_SELCHANGE)
        return;
    const LRESULT selected = SendDlgItemMessageA(page, kIdcReplayGain, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < kChoiceCount)
        gSettings.replayGain = static_cast<int32_t>(selected);
}

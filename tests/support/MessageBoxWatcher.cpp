#include "tests/support/MessageBoxWatcher.h"

#include <algorithm>

namespace {

void Append(std::string& collected, const char* text)
{
    if (!collected.empty())
        collected += '\n';
    collected += text;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM param)
{
    SeenMessageBox& box = *reinterpret_cast<SeenMessageBox*>(param);
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    const bool isStatic = lstrcmpiA(className, "Static") == 0;
    if (isStatic && SendMessageA(child, STM_GETICON, 0, 0) != 0)
        box.stopIcon = true;
    if (isStatic && text[0] != '\0')
        Append(box.text, text);
    else if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child))
        Append(box.buttons, text);
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(const char* boxCaption, std::chrono::milliseconds limit)
    : caption(boxCaption), thread([this, limit] { Watch(limit); })
{
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    stop = true;
    thread.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen()
{
    std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

void MessageBoxWatcher::Watch(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<HWND> closed;
    while (!stop && std::chrono::steady_clock::now() < deadline) {
        HWND box = FindWindowA("#32770", caption.c_str());
        DWORD process = 0;
        if (box != nullptr)
            GetWindowThreadProcessId(box, &process);
        const bool ours = box != nullptr && process == GetCurrentProcessId();
        // A box already told to close may linger for a moment; read each one once.
        if (ours && std::find(closed.begin(), closed.end(), box) == closed.end()) {
            SeenMessageBox found;
            char text[256] = {};
            GetWindowTextA(box, text, sizeof text);
            found.caption = text;
            EnumChildWindows(box, CollectTexts, reinterpret_cast<LPARAM>(&found));
            {
                std::lock_guard<std::mutex> lock(mutex);
                seen.push_back(found);
            }
            closed.push_back(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(10);
    }
}

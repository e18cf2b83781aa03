#include "tests/dialogs/DesktopInput.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::string Number(LONG value)
{
    return std::to_string(value);
}

POINT ScreenPoint(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
}

std::string ReadFile(const std::string& path)
{
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[256];
        const size_t length = std::fread(buffer, 1, sizeof buffer, file);
        text.assign(buffer, length);
        std::fclose(file);
    }
    return text;
}

}  // namespace

bool SendXInput(const std::string& commands, std::string* failure)
{
    // Wine shows the Unix root as drive Z:, so both sides can name the same file.
    static int sent = 0;
    const std::string unixDone =
        "/tmp/corvane-x-input-" + Number(GetCurrentProcessId()) + "-" + Number(++sent);
    std::string windowsDone = "Z:" + unixDone;
    std::replace(windowsDone.begin(), windowsDone.end(), '/', '\\');
    DeleteFileA(windowsDone.c_str());

    std::string commandLine = "/usr/bin/python3 " CORVANE_X_INPUT_SCRIPT " " + unixDone + " " + commands;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        if (failure)
            *failure = "cannot start python3";
        return false;
    }
    // A Unix process comes without handles; close any that Wine gives all the same.
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);

    // The windows under test belong to this thread: keep them answering while the input comes.
    const bool done = PumpUntil(
        [&] { return GetFileAttributesA(windowsDone.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    const std::string outcome = done ? ReadFile(windowsDone) : "no answer from x_input.py";
    DeleteFileA(windowsDone.c_str());
    if (outcome != "ok" && failure)
        *failure = outcome;
    return outcome == "ok";
}

bool ClickAt(HWND window, int x, int y)
{
    const POINT at = ScreenPoint(window, x, y);
    return SendXInput("move " + Number(at.x) + " " + Number(at.y) + " click 1");
}

bool DragFrom(HWND window, int x, int y, int dx, int dy)
{
    const POINT at = ScreenPoint(window, x, y);
    // Apart in time, so that the window has taken the press before the pointer moves.
    return SendXInput("move " + Number(at.x) + " " + Number(at.y) + " wait 50 down 1 wait 100 move " +
                      Number(at.x + dx) + " " + Number(at.y + dy) + " wait 100 up 1");
}

bool PressKey(const std::string& keysym)
{
    return SendXInput("key " + keysym);
}

bool PumpUntil(const std::function<bool()>& done, DWORD millis)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        const DWORD spent = GetTickCount() - start;
        if (spent >= millis)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(10, millis - spent),
                                  QS_ALLINPUT);
    }
}

void PumpFor(DWORD millis)
{
    PumpUntil([] { return false; }, millis);
}

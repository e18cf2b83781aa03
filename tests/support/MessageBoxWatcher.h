// Reads and dismisses message boxes from a thread of its own, so that a test can call code that
// shows one on the test's thread. A box is modal: when the call that showed it returns, Seen()
// already holds it.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    std::string caption;
    std::string text;     // the box's static texts, joined by '\n'
    std::string buttons;  // the texts of its buttons, joined by '\n'
    bool stopIcon = false;  // it shows an icon (the program's boxes show only the stop icon)
};

class MessageBoxWatcher {
public:
    // Watches for dialog-class ("#32770") windows of this process with caption `caption`, for at
    // most `limit`; each one found is read and closed with IDOK.
    explicit MessageBoxWatcher(const char* caption,
                               std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Stops watching (and joins the thread).
    ~MessageBoxWatcher();

    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> Seen();

private:
    void Watch(std::chrono::milliseconds limit);

    std::string caption;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<SeenMessageBox> seen;
    std::thread thread;
};

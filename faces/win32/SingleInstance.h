#pragma once
#include <string>
#include <windows.h>

namespace zrm58::win32face {

// One strip per settings file: the first start owns a named mutex made from the file's path and,
// once its strip shows, marks the window with the same path and signals a named event. A later
// start waits for that event (or for the mutex, when the first start ends without a strip: then
// it is the first itself) and asks the marked window to come forward.
class SingleInstance {
public:
    enum class Role {
        First,      // this process is the strip for the file (or there is no guard at all)
        HandedOver, // the running strip was asked to come forward: end with 0
        NoAnswer,   // a start on the file showed no strip in time: end with 1 (problem())
    };
    // A later start's patience with a first start that has not shown its strip yet, in ms.
    static constexpr DWORD kWaitMs = 60000;

    explicit SingleInstance(const std::string& settingsPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Decides this process's role; a later start waits at most kWaitMs in all.
    Role claim();
    // For NoAnswer: what happened, in a sentence.
    const std::wstring& problem() const { return problem_; }
    // The first start's strip shows: marks its window as the one for this settings file and lets
    // the later starts hand over to it.
    void ready(HWND strip);

private:
    bool takeOwnership(DWORD status);
    HWND findStrip() const;

    std::wstring key_;
    HANDLE mutex_ = nullptr;
    HANDLE shown_ = nullptr; // manual-reset: set while the first start's strip shows
    bool owner_ = false;
    std::wstring problem_;
};

} // namespace zrm58::win32face

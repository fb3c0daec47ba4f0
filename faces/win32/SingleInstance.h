#pragma once
#include <string>
#include <windows.h>

namespace zrm58::win32face {

// One strip per settings file: the first start owns a named mutex made from the file's path; a
// later start finds the strip window marked with the same path and asks it to come forward.
class SingleInstance {
public:
    explicit SingleInstance(const std::string& settingsPath);
    ~SingleInstance();
    // True for the first start (or when no mutex could be made: then no guard at all).
    bool first() const { return first_; }
    // A later start: brings the running strip forward; false when no strip window was found.
    bool handOver() const;
    // Marks the strip window as the one for this settings file.
    void mark(HWND strip) const;

private:
    std::wstring key_;
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

} // namespace zrm58::win32face

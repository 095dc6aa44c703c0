#pragma once
// Owners for the GDI and USER handles the layer creates; each frees its handle exactly once.
#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

#include "ui/SystemLibraries.h"

struct GdiObjectDeleter {
    void operator()(void* h) const noexcept {
        if (h) DeleteObject(static_cast<HGDIOBJ>(h));
    }
};
struct IconDeleter {
    void operator()(HICON h) const noexcept {
        if (h) DestroyIcon(h);
    }
};
struct MenuDeleter {
    void operator()(HMENU h) const noexcept {
        if (h) DestroyMenu(h);
    }
};

using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using BrushHandle = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

// A window DC for the span of one scope.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A memory DC compatible with another, for the span of one scope.
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back at the end of the scope.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectScope() { SelectObject(dc_, previous_); }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The registration for suspend and resume notifications of one window, where the system has it.
class PowerNotification {
public:
    PowerNotification() = default;
    explicit PowerNotification(HWND hwnd) : notification_(RegisterSuspendResumeLate(hwnd)) {}
    ~PowerNotification() { Reset(); }
    PowerNotification(const PowerNotification&) = delete;
    PowerNotification& operator=(const PowerNotification&) = delete;
    PowerNotification& operator=(PowerNotification&& other) noexcept {
        Reset();
        notification_ = std::exchange(other.notification_, nullptr);
        return *this;
    }
    void Reset() {
        if (notification_) UnregisterSuspendResumeLate(std::exchange(notification_, nullptr));
    }

private:
    HPOWERNOTIFY notification_ = nullptr;
};

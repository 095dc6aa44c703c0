// The driver checked against a window of known shape that the test itself runs on a second thread, so
// every observation has a known right answer.
// One file: every check shares the one window of known shape that it sets up.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "core/Os.h"
#include "tools/driver/Driver.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr COLORREF ProbeColour = RGB(0x12, 0x34, 0x56);
constexpr wchar_t ProbeClass[] = L"HorvaneDriverProbe";
constexpr wchar_t ProbeCaption[] = L"試験窓";
constexpr wchar_t LabelText[] = L"表示ラベル";
constexpr RECT ProbeRect{200, 150, 520, 390};
constexpr UINT AnswerMessage = WM_APP + 1;  // answers 42 + wParam
constexpr UINT BlockMessage = WM_APP + 2;   // keeps the window's thread busy until released

struct Event {
    UINT message;
    int x;
    int y;
    WPARAM wParam;
    bool ctrlDown;
};

// A top-most popup with a label, painted in one colour, that records the input it gets.
class ProbeWindow {
public:
    ProbeWindow() {
        thread_ = std::thread([this] { Run(); });
        Driver::WaitUntil([this] { return ready_.load(); }, Driver::DefaultTimeoutMs);
    }
    ~ProbeWindow() {
        Release();
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;

    HWND Window() const { return window_; }
    HWND Label() const { return label_; }
    HWND Owned() const { return owned_; }
    void Release() { released_ = true; }
    // Returns once the window's thread is busy, or false when it never gets there.
    bool Block() {
        released_ = false;
        blocked_ = false;
        Driver::Post(window_, BlockMessage);
        return Driver::WaitUntil([this] { return blocked_.load(); }, Driver::DefaultTimeoutMs);
    }

    std::vector<Event> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<Event> EventsOf(UINT message) {
        std::vector<Event> matching;
        for (const auto& e : Events()) {
            if (e.message == message) matching.push_back(e);
        }
        return matching;
    }
    bool WaitFor(UINT message, size_t count = 1) {
        return Driver::WaitUntil([&] { return EventsOf(message).size() >= count; }, Driver::DefaultTimeoutMs);
    }

private:
    void Run() {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = ProbeClass;
        RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOPMOST, ProbeClass, ProbeCaption, WS_POPUP, ProbeRect.left, ProbeRect.top,
                                  ProbeRect.right - ProbeRect.left, ProbeRect.bottom - ProbeRect.top, nullptr, nullptr,
                                  wc.hInstance, this);
        label_ = CreateWindowExW(0, L"STATIC", LabelText, WS_CHILD | WS_VISIBLE, 10, 200, 150, 20, window_, nullptr,
                                 wc.hInstance, nullptr);
        owned_ =
            CreateWindowExW(0, L"STATIC", L"owned", WS_POPUP, 0, 0, 10, 10, window_, nullptr, wc.hInstance, nullptr);
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
        ready_ = true;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        UnregisterClassW(ProbeClass, wc.hInstance);
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
                SetCapture(window);
                [[fallthrough]];
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_MOUSEMOVE:
            case WM_KEYDOWN:
            case WM_CHAR: {
                if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) ReleaseCapture();
                // Moves without a button add nothing but noise from wherever the cursor was left.
                if (message == WM_MOUSEMOVE && GetCapture() != window) return 0;
                std::lock_guard lock(self->mutex_);
                self->events_.push_back({message, static_cast<short>(LOWORD(lParam)),
                                         static_cast<short>(HIWORD(lParam)), wParam, GetKeyState(VK_CONTROL) < 0});
                return 0;
            }
            case WM_ERASEBKGND: {
                RECT client;
                GetClientRect(window, &client);
                const HBRUSH brush = CreateSolidBrush(ProbeColour);
                FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
                DeleteObject(brush);
                return 1;
            }
            case AnswerMessage:
                return 42 + static_cast<LRESULT>(wParam);
            case BlockMessage:
                self->blocked_ = true;
                while (!self->released_) Sleep(1);
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> released_{true};
    std::atomic<bool> blocked_{false};
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    HWND owned_ = nullptr;
    std::mutex mutex_;
    std::vector<Event> events_;
};

POINT ClientToScreenPoint(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

class DriverWindow : public testing::Test {
protected:
    static void SetUpTestSuite() { Driver::MakeProcessDpiAware(); }
    ProbeWindow probe_;
};

// ---------------------------------------------------------------------------------------------------------

TEST_F(DriverWindow, FindsTheWindowByProcessAndClass) {
    const DWORD self = GetCurrentProcessId();
    const auto windows = Driver::TopWindows(self, L"horvanedriverprobe");
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0], probe_.Window());
    EXPECT_TRUE(Driver::TopWindows(self + 4, ProbeClass).empty());
    EXPECT_EQ(Driver::WaitForWindow(self, ProbeClass, 1000), probe_.Window());
    EXPECT_EQ(Driver::FindDialog(self, ProbeCaption, 1000), probe_.Window());
    // The owned popup exists but is hidden: only a search that allows hidden windows finds it.
    EXPECT_EQ(Driver::WaitForWindow(self, L"Static", 50), nullptr);
    EXPECT_EQ(Driver::WaitForWindow(self, L"Static", 50, false), probe_.Owned());
}

TEST_F(DriverWindow, ReadsTextGeometryStylesAndOwnership) {
    EXPECT_EQ(Driver::Text(probe_.Window()), ProbeCaption);
    EXPECT_EQ(Driver::Text(probe_.Label()), LabelText);
    EXPECT_EQ(Driver::Children(probe_.Window()), std::vector<HWND>{probe_.Label()});
    EXPECT_EQ(Driver::FindChild(probe_.Window(), L"Static", LabelText), probe_.Label());
    EXPECT_EQ(Driver::FindChild(probe_.Window(), L"Button", LabelText), nullptr);

    const RECT window = Driver::WindowRect(probe_.Window());
    EXPECT_EQ(window.left, ProbeRect.left);
    EXPECT_EQ(window.top, ProbeRect.top);
    EXPECT_EQ(window.right, ProbeRect.right);
    EXPECT_EQ(window.bottom, ProbeRect.bottom);
    // A popup without a border: the client area is the whole window.
    const RECT label = Driver::WindowRect(probe_.Label());
    EXPECT_EQ(label.left, ProbeRect.left + 10);
    EXPECT_EQ(label.top, ProbeRect.top + 200);
    EXPECT_EQ(label.right - label.left, 150);

    EXPECT_TRUE(Driver::Style(probe_.Window()) & WS_POPUP);
    EXPECT_TRUE(Driver::ExStyle(probe_.Window()) & WS_EX_TOPMOST);
    EXPECT_EQ(Driver::Owner(probe_.Window()), nullptr);
    EXPECT_EQ(Driver::Owner(probe_.Owned()), probe_.Window());
    EXPECT_EQ(Driver::ClassName(probe_.Label()), L"Static");
    EXPECT_EQ(Driver::ProcessOf(probe_.Window()), GetCurrentProcessId());
}

TEST_F(DriverWindow, AHungWindowAnswersNothingWithinTheTimeOutNeverAnEmptyText) {
    EXPECT_EQ(Driver::Send(probe_.Window(), AnswerMessage, 8, 0), 50);
    ASSERT_TRUE(probe_.Block());
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Driver::Text(probe_.Window(), 200), std::nullopt);
    EXPECT_EQ(Driver::Send(probe_.Window(), AnswerMessage, 0, 0, 200), std::nullopt);
    EXPECT_LT(GetTickCount64() - start, 3000u);
    // Searches read the stored caption, so a hung window is still found at once.
    EXPECT_EQ(Driver::StoredText(probe_.Window()), ProbeCaption);
    EXPECT_EQ(Driver::FindDialog(GetCurrentProcessId(), ProbeCaption, 0), probe_.Window());
    probe_.Release();
    EXPECT_EQ(Driver::Send(probe_.Window(), AnswerMessage, 0, 0), 42);
}

TEST(DriverGoneWindow, ReadsAsNothing) {
    HWND gone;
    {
        ProbeWindow probe;
        gone = probe.Window();
    }
    EXPECT_EQ(Driver::Text(gone), std::nullopt);
    EXPECT_EQ(Driver::Send(gone, WM_NULL, 0, 0), std::nullopt);
    EXPECT_FALSE(Driver::Post(gone, WM_NULL));
    EXPECT_EQ(Driver::WindowRect(gone).right, 0);
}

TEST_F(DriverWindow, ScreenPixelShowsThePaintedColour) {
    const POINT inside = ClientToScreenPoint(probe_.Window(), 30, 20);
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::ScreenPixel(inside.x, inside.y) == ProbeColour; }, 3000));
}

TEST(DriverInput, MouseMoveReachesEveryPixelOfTheVirtualScreen) {
    Driver::MakeProcessDpiAware();
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // Every pixel of a long run at each end of both axes: a rounding fault repeats within a few pixels. The
    // position may lag behind the move under load, so only a pixel the pointer never reaches is a miss.
    int misses = 0;
    for (int i = 0; i < 2 * 160; ++i) {
        const int x = i < 160 ? left + i : left + width - 320 + i;
        const int y = i < 160 ? top + i : top + height - 320 + i;
        POINT p{};
        if (!Driver::MouseMove(x, y) ||
            !Driver::WaitUntil([&] { return GetCursorPos(&p) && p.x == x && p.y == y; }, 200, 1)) {
            ++misses;
        }
    }
    EXPECT_EQ(misses, 0);
}

TEST_F(DriverWindow, ClicksAndDoubleClicksArriveAtTheirPoints) {
    const POINT a = ClientToScreenPoint(probe_.Window(), 40, 30);
    ASSERT_TRUE(Driver::Click(a.x, a.y));
    ASSERT_TRUE(probe_.WaitFor(WM_LBUTTONUP));
    const POINT b = ClientToScreenPoint(probe_.Window(), 90, 60);
    ASSERT_TRUE(Driver::DoubleClick(b.x, b.y));
    ASSERT_TRUE(probe_.WaitFor(WM_LBUTTONUP, 3));
    ASSERT_TRUE(Driver::Click(a.x, a.y, Driver::Button::Right));
    ASSERT_TRUE(probe_.WaitFor(WM_RBUTTONUP));

    // The second press of a double-click arrives as WM_LBUTTONDBLCLK, not as a third press.
    const UINT expected[] = {WM_LBUTTONDOWN,   WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                             WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
    const POINT at[] = {{40, 30}, {40, 30}, {90, 60}, {90, 60}, {90, 60}, {90, 60}, {40, 30}, {40, 30}};
    std::vector<Event> events;
    for (const auto& e : probe_.Events()) {
        if (e.message != WM_MOUSEMOVE) events.push_back(e);
    }
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].message, expected[i]) << "event " << i;
        EXPECT_EQ(events[i].x, at[i].x) << "event " << i;
        EXPECT_EQ(events[i].y, at[i].y) << "event " << i;
    }
}

TEST_F(DriverWindow, ADragPressesMovesInStepsAndReleasesAtTheEnd) {
    const POINT from = ClientToScreenPoint(probe_.Window(), 20, 20);
    ASSERT_TRUE(Driver::Drag(Driver::Button::Left, from.x, from.y, from.x + 350, from.y + 100, 5));
    ASSERT_TRUE(probe_.WaitFor(WM_LBUTTONUP));
    const auto down = probe_.EventsOf(WM_LBUTTONDOWN);
    const auto moves = probe_.EventsOf(WM_MOUSEMOVE);
    const auto up = probe_.EventsOf(WM_LBUTTONUP);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].x, 20);
    EXPECT_EQ(down[0].y, 20);
    // Capture carries the moves past the window's right edge; every step arrives.
    ASSERT_GE(moves.size(), 5u);
    EXPECT_EQ(moves.back().x, 370);
    EXPECT_EQ(moves.back().y, 120);
    EXPECT_EQ(up[0].x, 370);
    EXPECT_EQ(up[0].y, 120);
}

TEST_F(DriverWindow, KeysReachTheActiveWindowWithTheirModifiersHeld) {
    ASSERT_TRUE(Driver::Activate(probe_.Window()));
    ASSERT_TRUE(Driver::KeyChord({VK_CONTROL, 'T'}));
    ASSERT_TRUE(Driver::Key(VK_ESCAPE));
    ASSERT_TRUE(Driver::WaitUntil(
        [&] {
            const auto keys = probe_.EventsOf(WM_KEYDOWN);
            return !keys.empty() && keys.back().wParam == VK_ESCAPE;
        },
        Driver::DefaultTimeoutMs));

    bool sawCtrlT = false;
    bool sawEscapeWithoutCtrl = false;
    for (const auto& e : probe_.EventsOf(WM_KEYDOWN)) {
        if (e.wParam == 'T') sawCtrlT = e.ctrlDown;
        if (e.wParam == VK_ESCAPE) sawEscapeWithoutCtrl = !e.ctrlDown;
    }
    EXPECT_TRUE(sawCtrlT);
    EXPECT_TRUE(sawEscapeWithoutCtrl);
}

// ---------------------------------------------------------------------------------------------------------

TEST(DriverWait, StopsAtTheFirstSuccessOrAtTheTimeOut) {
    int calls = 0;
    EXPECT_TRUE(Driver::WaitUntil([&] { return ++calls == 3; }, 5000, 1));
    EXPECT_EQ(calls, 3);

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(Driver::WaitUntil([] { return false; }, 150));
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 150u);
    EXPECT_LT(waited, 1500u);
}

TEST(DriverWait, KeepsTheCallersOwnWindowsAnswering) {
    // A window of this thread, sent a message from another thread while this one waits: without
    // dispatching, the sender would hang until the wait ends.
    const HWND own = CreateWindowExW(0, L"STATIC", L"own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    std::atomic<bool> answered{false};
    std::thread sender([&] { answered = Driver::Send(own, WM_NULL, 0, 0, 3000).has_value(); });
    EXPECT_TRUE(Driver::WaitUntil([&] { return answered.load(); }, 2000));
    sender.join();
    DestroyWindow(own);
}

// ---------------------------------------------------------------------------------------------------------

std::wstring SystemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

TEST(DriverProgram, StartsWaitsAndReportsTheExitCode) {
    auto program = Driver::Program::Start(SystemProgram(L"cmd.exe"), Driver::ExeFolder(), SW_HIDE, L"/c exit 7");
    ASSERT_TRUE(program);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(program.Running());

    const auto missing = Driver::Program::Start(Driver::ExeFolder() + L"\\no-such-program.exe", L"");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(DriverProgram, ARunningProgramIsFoundByNameAndEndsWithItsOwner) {
    HANDLE watch = nullptr;
    DWORD pid = 0;
    {
        auto program = Driver::Program::Start(SystemProgram(L"ping.exe"), L"", SW_HIDE, L"-n 60 127.0.0.1");
        ASSERT_TRUE(program);
        pid = program.Pid();
        EXPECT_TRUE(program.Running());
        const auto pids = Driver::ProcessesByExe(L"C:\\anywhere\\PING.EXE");
        EXPECT_NE(std::find(pids.begin(), pids.end(), pid), pids.end());
        watch = OpenProcess(SYNCHRONIZE, FALSE, pid);
        ASSERT_NE(watch, nullptr);
        Driver::Program moved = std::move(program);
        EXPECT_EQ(program.Pid(), 0u);
        EXPECT_EQ(moved.Pid(), pid);
    }
    EXPECT_EQ(WaitForSingleObject(watch, 5000), WAIT_OBJECT_0);
    CloseHandle(watch);
}

// ---------------------------------------------------------------------------------------------------------

TEST(DriverFiles, WrittenBytesReadBackExactly) {
    const TempFolder folder("hvfiles");
    const std::string bytes("[Clock]\r\nA=\x95\x5C\x83\x5C\x00\xFF\n", 17);
    ASSERT_TRUE(Driver::WriteBytes(folder.File("a.ini"), bytes));
    EXPECT_EQ(Os::ReadFileBytes(folder.File("a.ini")), bytes);
    ASSERT_TRUE(Driver::WriteBytes(folder.File("a.ini"), ""));
    EXPECT_EQ(Os::ReadFileBytes(folder.File("a.ini")), "");  // empty, which is not missing
}

TEST(DriverText, ConvertsUtf16ToUtf8AndCodePage932ToUtf16) {
    EXPECT_EQ(Driver::Utf8(L""), "");
    EXPECT_EQ(Driver::Utf8(L"睡眠"), "\xE7\x9D\xA1\xE7\x9C\xA0");
    EXPECT_EQ(Driver::Utf8(L"\U00020BB7"), "\xF0\xA0\xAE\xB7");  // outside the basic plane: a surrogate pair
    // Trail byte 0x5C is part of the character, never a backslash.
    EXPECT_EQ(Driver::FromCodePage("\x95\x5C\x83\x5C", 932), L"表ソ");
}

}  // namespace

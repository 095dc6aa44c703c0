#pragma once
// One run of the real clock in a fresh folder of its own (its settings file and event log live beside
// it), for end-to-end tests.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"

class ClockRun {
public:
    // Starts the clock with the given settings file content (none when empty).
    explicit ClockRun(const std::string& settings = "", int showCmd = SW_SHOWNORMAL, bool waitForClock = true) {
        folder_ = Driver::MakeTempFolder(L"hv");
        exe_ = folder_ + L"\\Horvane2010.exe";
        EXPECT_TRUE(Driver::CopyFileTo(Driver::ExeFolder() + L"\\Horvane2010.exe", exe_));
        if (!settings.empty()) {
            EXPECT_TRUE(Driver::WriteBytes(IniPath(), settings));
        }
        program_ = Driver::Program::Start(exe_, folder_, showCmd);
        EXPECT_NE(program_.Pid(), 0u);
        app_ = Driver::WaitForWindow(program_.Pid(), L"Horvane2010.Application", 15000, false);
        if (waitForClock) {
            clock_ = Driver::WaitForWindow(program_.Pid(), L"TMainForm", 15000);
            EXPECT_NE(clock_, nullptr);
        }
    }
    ~ClockRun() {
        program_.Kill();
        Driver::RemoveTree(folder_);
    }
    ClockRun(const ClockRun&) = delete;
    ClockRun& operator=(const ClockRun&) = delete;

    Driver::Program& Program() { return program_; }
    HWND Clock() {
        if (!clock_) clock_ = Driver::WaitForWindow(program_.Pid(), L"TMainForm", 15000, false);
        return clock_;
    }
    HWND App() const { return app_; }
    HWND Label() {
        const auto children = Driver::Children(Clock());
        return children.empty() ? nullptr : children.front();
    }
    std::wstring Title() const { return Driver::Text(app_).value_or(L"?"); }
    std::wstring IniPath() const { return folder_ + L"\\Horvane2010.ini"; }
    std::wstring LogPath() const { return folder_ + L"\\Horvane2010.log"; }
    const std::wstring& Folder() const { return folder_; }
    std::string Ini() const { return Driver::ReadBytes(IniPath()).value_or("<no file>"); }
    std::string Log() const { return Driver::ReadBytes(LogPath()).value_or(""); }

    // Closes the clock as the menu's end command does, and waits for the process to end.
    bool Close() {
        Driver::Post(Clock(), WM_CLOSE);
        return program_.WaitForExit(15000);
    }

    // The event texts of the log, each line checked for its timestamp prefix and CR LF.
    std::vector<std::string> LogTexts() const {
        static const std::regex line(R"((\d{4})/(\d{2})/(\d{2}) (\d{2}):(\d{2}):(\d{2}) ([^\r\n]*)\r\n)");
        std::vector<std::string> texts;
        const std::string log = Log();
        auto begin = std::sregex_iterator(log.begin(), log.end(), line);
        size_t consumed = 0;
        for (auto it = begin; it != std::sregex_iterator(); ++it) {
            EXPECT_EQ(static_cast<size_t>(it->position()), consumed) << "malformed bytes in the log";
            consumed = static_cast<size_t>(it->position() + it->length());
            texts.push_back((*it)[7].str());
        }
        EXPECT_EQ(consumed, log.size()) << "the log ends with a partial line";
        return texts;
    }

private:
    std::wstring folder_;
    std::wstring exe_;
    Driver::Program program_;
    HWND app_ = nullptr;
    HWND clock_ = nullptr;
};

inline bool IsClockText(const std::wstring& text) {
    static const std::wregex time(LR"(\d\d:\d\d:\d\d)");
    return std::regex_match(text, time);
}

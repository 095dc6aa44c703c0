#pragma once
// The application's events for a form that wants them: told after the application as a whole was minimised
// or restored (whoever caused it: the program, the task bar, another program), and shown first the messages
// that reach the task-bar window. Subscribed for its whole life; several may exist, each is told in turn.
#include <windows.h>

#include <functional>

class TApplicationEvents {
public:
    TApplicationEvents();
    ~TApplicationEvents();
    TApplicationEvents(const TApplicationEvents&) = delete;
    TApplicationEvents& operator=(const TApplicationEvents&) = delete;

    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;
    // True when the message was answered (result set); the task-bar window then does nothing more with it.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> OnMessage;
};

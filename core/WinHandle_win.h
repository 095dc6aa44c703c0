#pragma once
// Owners of the kernel objects the file layer opens: each closes its object once, and none can be copied.
#include <windows.h>

#include <utility>

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;  // never INVALID_HANDLE_VALUE: CreateFileW's failure is stored as nullptr
};

class UniqueFind {
public:
    explicit UniqueFind(HANDLE h) : h_(h) {}
    ~UniqueFind() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// Memory the system allocated with LocalAlloc for the caller (a security descriptor).
class LocalMemory {
public:
    LocalMemory() = default;
    ~LocalMemory() {
        if (p_) LocalFree(p_);
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    PSECURITY_DESCRIPTOR* out() { return &p_; }
    PSECURITY_DESCRIPTOR get() const { return p_; }

private:
    PSECURITY_DESCRIPTOR p_ = nullptr;
};

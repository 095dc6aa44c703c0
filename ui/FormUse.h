#pragma once
// A dialog for one use: made, stored in its global for as long as it lives (the name the rest of the program
// knows it by), and destroyed with the scope, which clears the global again.
#include <memory>
#include <utility>

template <typename Dialog>
class FormUse {
public:
    template <typename... Args>
    explicit FormUse(Dialog*& global, Args&&... args)
        : global_(global), dialog_(std::make_unique<Dialog>(std::forward<Args>(args)...)) {
        global_ = dialog_.get();
    }
    ~FormUse() {
        // The dialog's destructor runs its FormDestroy while the global still names it.
        dialog_.reset();
        global_ = nullptr;
    }
    FormUse(const FormUse&) = delete;
    FormUse& operator=(const FormUse&) = delete;
    Dialog* operator->() const { return dialog_.get(); }
    Dialog& operator*() const { return *dialog_; }

private:
    Dialog*& global_;
    std::unique_ptr<Dialog> dialog_;
};

#pragma once
// What a start-up step undoes at shutdown, run when its scope ends.
#include <functional>
#include <utility>

namespace pellaro {

class ScopeGuard {
public:
    ScopeGuard() = default;
    explicit ScopeGuard(std::function<void()> undo) : undo_(std::move(undo)) {}
    ScopeGuard(ScopeGuard&& other) noexcept : undo_(std::exchange(other.undo_, nullptr)) {}
    ScopeGuard& operator=(ScopeGuard&& other) noexcept {
        if (this != &other) {
            Release();
            undo_ = std::exchange(other.undo_, nullptr);
        }
        return *this;
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard() { Release(); }

    // Undoes now instead of at the end of the scope.
    void Release() {
        if (auto undo = std::exchange(undo_, nullptr)) undo();
    }
    // Leaves the undoing to the end of the process (or to someone else).
    void Dismiss() { undo_ = nullptr; }

private:
    std::function<void()> undo_;
};

}  // namespace pellaro

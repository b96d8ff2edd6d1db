#pragma once
// One owner for one OS handle: closed exactly once, when the owner ends or is
// reset, never when it holds its traits' invalid value. No OS here; the
// traits (Windows: platform/scoped_handles_win.h) name the type, the invalid
// value and the close call.
#include <utility>

namespace pellaro {

namespace handle_traits {

// The common case: a pointer-like handle whose null means none; the
// deriving traits add Close.
template <typename H>
struct NullIsInvalid {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
};

}  // namespace handle_traits

// Traits: `using Handle = ...;`, `static Handle Invalid()`, `static bool IsValid(Handle)`,
// `static void Close(Handle)`.
template <typename Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() noexcept = default;
    explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    bool valid() const noexcept { return Traits::IsValid(handle_); }
    explicit operator bool() const noexcept { return valid(); }

    // Closes what is held (unless it is the new value) and takes the new value.
    void reset(Handle handle = Traits::Invalid()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != handle && Traits::IsValid(old)) Traits::Close(old);
    }
    // Gives the handle up without closing it.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    // For an API that writes the handle through an out-parameter: closes what
    // is held first.
    Handle* receive() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

}  // namespace pellaro

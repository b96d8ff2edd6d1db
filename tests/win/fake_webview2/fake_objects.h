#pragma once
// Small COM building blocks of the recording runtime: reference counting that
// reports each object's end, and the message-queue hop every completion takes.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>

#include "fake_script.h"

namespace fake {

// Takes over the one reference of a new object (MinGW's ComPtr::Attach adds one).
template <class T>
Microsoft::WRL::ComPtr<T> Adopt(T* fresh) {
    Microsoft::WRL::ComPtr<T> owner;
    *owner.ReleaseAndGetAddressOf() = fresh;
    return owner;
}

// Runs the task later from the calling thread's message loop, as the runtime
// delivers its completions and events.
void Later(std::function<void()> task);
// The same, held back for the given time first.
void LaterAfter(int delayMs, std::function<void()> task);

// Reference counting for one object; the last Release is recorded when named.
#define FAKE_REFCOUNT(recordName)                                                             \
    ULONG refs_ = 1;                                                                          \
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }                             \
    ULONG STDMETHODCALLTYPE Release() override {                                              \
        const ULONG left = --refs_;                                                           \
        if (left == 0) {                                                                      \
            if (*(recordName)) fake::Record({{"call", "Destroyed"}, {"object", recordName}}); \
            delete this;                                                                      \
        }                                                                                     \
        return left;                                                                          \
    }

}  // namespace fake

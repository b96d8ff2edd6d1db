// Our WebView2 declarations against the slot order and IIDs read from the
// public SDK header (webview2_abi.txt): one slot off crashes a real machine.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "shell/webview2_api_win.h"

namespace {

// The Itanium C++ ABI (GCC and Clang, also for MinGW) stores a pointer to a
// virtual member function as 1 + the slot's byte offset in the vtable.
template <class C, class F>
long SlotOf(F C::*member) {
    struct Raw {
        std::uintptr_t ptr;
        std::ptrdiff_t adjust;
    } raw;
    static_assert(sizeof(member) == sizeof(raw));
    std::memcpy(&raw, &member, sizeof raw);
    if ((raw.ptr & 1) == 0) return -1;  // not virtual
    return static_cast<long>((raw.ptr - 1) / sizeof(void*));
}

// One virtual function past the interface's own: its slot is the vtable size.
template <class T>
struct SlotProbe : T {
    virtual void PellaroSentinel();
};
template <class T>
long SlotCount() {
    return SlotOf(&SlotProbe<T>::PellaroSentinel);
}

struct AbiSlot {
    const char* interfaceName;
    const char* method;
    long expected;
    long actual;
};
struct AbiIid {
    const char* interfaceName;
    const char* text;
    IID iid;
};
struct AbiSize {
    const char* interfaceName;
    long expected;
    long actual;
};

#include "webview2_abi_table.inc"

std::string IidText(const IID& iid) {
    char text[40];
    std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(iid.Data1), iid.Data2, iid.Data3, iid.Data4[0], iid.Data4[1], iid.Data4[2],
                  iid.Data4[3], iid.Data4[4], iid.Data4[5], iid.Data4[6], iid.Data4[7]);
    return text;
}

TEST(WebView2Abi, EveryDeclaredMethodSitsInTheSdkSlot) {
    ASSERT_GT(std::size(kAbiSlots), 300u);  // the whole table, not an empty one
    for (const AbiSlot& slot : kAbiSlots)
        EXPECT_EQ(slot.actual, slot.expected) << slot.interfaceName << "::" << slot.method;
}

TEST(WebView2Abi, NoInterfaceHasExtraSlots) {
    for (const AbiSize& size : kAbiSizes) EXPECT_EQ(size.actual, size.expected) << size.interfaceName;
}

TEST(WebView2Abi, EveryDeclaredIidMatchesTheSdk) {
    for (const AbiIid& iid : kAbiIids) EXPECT_EQ(IidText(iid.iid), iid.text) << iid.interfaceName;
}

// The checker itself: a moved slot and a missing slot are seen.
struct Shifted : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE First() = 0;
    virtual HRESULT STDMETHODCALLTYPE Second() = 0;
};
struct ShiftedAgain : Shifted {
    virtual HRESULT STDMETHODCALLTYPE Third() = 0;
};

TEST(WebView2Abi, CheckerSeesSlotsAndSizes) {
    EXPECT_EQ(SlotOf(&Shifted::First), 3);
    EXPECT_EQ(SlotOf(&ShiftedAgain::Third), 5);
    EXPECT_EQ(SlotCount<Shifted>(), 5);
    EXPECT_EQ(SlotCount<ShiftedAgain>(), 6);
}

}  // namespace

#include "core/scoped_handle.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace pellaro {
namespace {

// Handles are ints; -1 and 0 are both "no handle", as null and
// INVALID_HANDLE_VALUE are for Win32 kernel objects. Every close is recorded.
std::vector<int> g_closed;

struct CountingTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static bool IsValid(Handle handle) { return handle != -1 && handle != 0; }
    static void Close(Handle handle) { g_closed.push_back(handle); }
};
using Owned = ScopedHandle<CountingTraits>;

class ScopedHandleTest : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(ScopedHandleTest, ClosesOnceWhenTheOwnerEnds) {
    { const Owned owned(7); }
    EXPECT_EQ(g_closed, std::vector<int>{7});
}

TEST_F(ScopedHandleTest, NeverClosesAnInvalidValue) {
    for (const int invalid : {-1, 0}) {
        {
            Owned owned(invalid);
            EXPECT_FALSE(owned) << invalid;
            owned.reset();
            owned.reset(invalid);
        }
        {
            Owned defaulted;
            EXPECT_EQ(defaulted.get(), -1);
        }
    }
    EXPECT_TRUE(g_closed.empty());
}

TEST_F(ScopedHandleTest, MoveHandsOverWithoutClosing) {
    Owned first(3);
    Owned second(std::move(first));
    EXPECT_EQ(first.get(), -1);
    EXPECT_EQ(second.get(), 3);
    EXPECT_TRUE(g_closed.empty());

    Owned third(4);
    third = std::move(second);  // the handle third held is closed, the moved one kept
    EXPECT_EQ(g_closed, std::vector<int>{4});
    EXPECT_EQ(third.get(), 3);
    auto& self = third;
    third = std::move(self);
    EXPECT_EQ(third.get(), 3);
    EXPECT_EQ(g_closed, std::vector<int>{4});
}

TEST_F(ScopedHandleTest, ResetClosesTheOldValueButNotTheSameOne) {
    Owned owned(5);
    owned.reset(6);
    EXPECT_EQ(g_closed, std::vector<int>{5});
    owned.reset(6);
    EXPECT_EQ(g_closed, std::vector<int>{5});
    owned.reset();
    EXPECT_EQ(g_closed, (std::vector<int>{5, 6}));
    EXPECT_FALSE(owned);
}

TEST_F(ScopedHandleTest, ReleaseGivesTheHandleUpUnclosed) {
    int released = 0;
    {
        Owned owned(8);
        released = owned.release();
        EXPECT_FALSE(owned);
    }
    EXPECT_EQ(released, 8);
    EXPECT_TRUE(g_closed.empty());
}

TEST_F(ScopedHandleTest, ReceiveClosesWhatIsHeldAndTakesTheWrittenHandle) {
    Owned owned(9);
    *owned.receive() = 10;
    EXPECT_EQ(g_closed, std::vector<int>{9});
    EXPECT_EQ(owned.get(), 10);
}

}  // namespace
}  // namespace pellaro

#include "browser/accelerator_keys.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

constexpr unsigned Key(char letter) { return static_cast<unsigned>(letter); }

TEST(BrowserAccelerators, BrowserChordsAreSwallowedAndTypingPassesOn) {
    using V = AcceleratorVerdict;
    const struct {
        KeyChord chord;
        V verdict;
        const char* what;
    } cases[] = {
        {{Key('P'), true, false, false}, V::Print, "Ctrl+P"},
        {{Key('S'), true, false, false}, V::Swallow, "Ctrl+S save"},
        {{Key('U'), true, false, false}, V::Swallow, "Ctrl+U view source"},
        {{Key('O'), true, false, false}, V::Swallow, "Ctrl+O open"},
        {{Key('F'), true, false, false}, V::Swallow, "Ctrl+F find"},
        {{Key('R'), true, false, false}, V::Swallow, "Ctrl+R reload"},
        {{0xBB, true, false, false}, V::Swallow, "Ctrl+plus zoom"},
        {{Key('0'), true, false, false}, V::Swallow, "Ctrl+0 zoom"},
        {{Key('I'), true, true, false}, V::Swallow, "Ctrl+Shift+I developer tools"},
        {{Key('J'), true, true, false}, V::Swallow, "Ctrl+Shift+J console"},
        {{Key('C'), true, true, false}, V::Swallow, "Ctrl+Shift+C inspector"},
        {{0x7B, false, false, false}, V::Swallow, "F12"},
        {{0x74, false, false, false}, V::Swallow, "F5"},
        {{0x74, true, false, false}, V::Swallow, "Ctrl+F5"},
        {{0x72, false, true, false}, V::Swallow, "Shift+F3"},
        {{0x25, false, false, true}, V::Swallow, "Alt+Left back"},
        {{0xA6, false, false, false}, V::Swallow, "browser Back key"},
        {{Key('C'), true, false, false}, V::PassOn, "Ctrl+C copy"},
        {{Key('V'), true, false, false}, V::PassOn, "Ctrl+V paste"},
        {{Key('X'), true, false, false}, V::PassOn, "Ctrl+X cut"},
        {{Key('A'), true, false, false}, V::PassOn, "Ctrl+A select all"},
        {{Key('Z'), true, true, false}, V::PassOn, "Ctrl+Shift+Z redo"},
        {{Key('B'), true, false, false}, V::PassOn, "Ctrl+B bold in an editor"},
        {{0x24, true, false, false}, V::PassOn, "Ctrl+Home"},
        {{Key('P'), true, false, true}, V::PassOn, "AltGr+P types a character"},
        {{0x73, false, false, true}, V::PassOn, "Alt+F4 closes the window"},
        {{0x71, false, false, false}, V::PassOn, "F2"},
        {{Key('P'), false, false, false}, V::PassOn, "p"},
    };
    for (const auto& c : cases) EXPECT_EQ(BrowserAcceleratorVerdict(c.chord), c.verdict) << c.what;
}

}  // namespace
}  // namespace pellaro

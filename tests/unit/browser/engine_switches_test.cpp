#include "browser/engine_switches.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/build_constants.h"

namespace pellaro {
namespace {

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The engine takes the road of the program's own client and the pin
// pre-check: no proxy. The profile's switches come first, each once.
TEST(EngineSwitches, ProfileSwitchesThenWebSecurityOffAndNoProxy) {
    std::vector<std::string> expected = ConstantList(ConstantKey::browserSwitches);
    for (const char* fixed : {"--disable-web-security", "--disable-site-isolation-trials", "--no-proxy-server"})
        expected.emplace_back(fixed);
    EXPECT_EQ(Words(EngineSwitches()), expected);
}

}  // namespace
}  // namespace pellaro

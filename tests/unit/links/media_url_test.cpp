#include "links/media_url.h"

#include <gtest/gtest.h>

#include "core/app_record.h"
#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {
namespace {

// Host texts come from the build profile, so the tables hold placeholders:
// {short} {main} {meet} and {embed} (the embed prefix).
std::wstring Expand(std::wstring text) {
    const std::pair<std::wstring, ConstantKey> names[] = {{L"{short}", ConstantKey::videoShortDomain},
                                                          {L"{main}", ConstantKey::videoMainDomain},
                                                          {L"{meet}", ConstantKey::meetingDomain},
                                                          {L"{embed}", ConstantKey::videoEmbedPrefix}};
    for (const auto& [name, key] : names)
        for (std::size_t at; (at = text.find(name)) != std::wstring::npos;)
            text.replace(at, name.size(), WideConstant(key));
    return text;
}

class MediaUrl : public ::testing::Test {
protected:
    std::wstring baseAddress = L"https://www.tovrel.localhost";
};

TEST_F(MediaUrl, NormalizeVideoUrlRules) {
    const wchar_t kOrigin[] = L"?origin=https%3a%2f%2fwww.tovrel.localhost";
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"https://{short}/AbC?t=42", L"{embed}AbC" + std::wstring(kOrigin)},
        {L"https://{short}/AbC/", L"{embed}AbC" + std::wstring(kOrigin)},
        {L"HTTPS://{short}/XyZ", L"{embed}XyZ" + std::wstring(kOrigin)},
        {L"https://www.{main}/watch?v=Id_1&list=L", L"{embed}Id_1" + std::wstring(kOrigin)},
        {L"https://www.{main}/watch?feature=x&v=Id2", L"{embed}Id2" + std::wstring(kOrigin)},
        {L"https://www.{main}/shorts/Sh1?feature=share", L"{embed}Sh1" + std::wstring(kOrigin)},
        {L"https://www.{main}/shorts/Sh1/extra", L"{embed}Sh1" + std::wstring(kOrigin)},
        {L"https://www.{main}/SHORTS/MiXeD", L"{embed}MiXeD" + std::wstring(kOrigin)},
        {L"https://www.{main}/live/Lv9?si=1", L"{embed}Lv9" + std::wstring(kOrigin)},
        {L"https://www.{main}/embed/E1?origin=https://a", L"https://www.{main}/embed/E1?origin=https://a"},
        {L"https://www.{main}/embed/E1", L"https://www.{main}/embed/E1" + std::wstring(kOrigin)},
        {L"https://www.{main}/embed/E1?rel=0",
         L"https://www.{main}/embed/E1?rel=0&origin=https%3a%2f%2fwww.tovrel.localhost"},
        {L"https://www.{main}/EMBED/E1?ORIGIN=x",
         L"https://www.{main}/EMBED/E1?ORIGIN=x&origin=https%3a%2f%2fwww.tovrel.localhost"},
        {L"https://www.{main}/watch?v=", L"https://www.{main}/watch?v="},
        {L"https://www.{main}/channel/abc", L"https://www.{main}/channel/abc"},
        {L"https://{short}/?t=1", L"https://{short}/?t=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeVideoUrl(Expand(c.in), baseAddress), Expand(c.out)) << ToUtf8(Expand(c.in));
}

TEST_F(MediaUrl, OriginIsTheEncodedBaseAddress) {
    baseAddress = L"academy.example";
    EXPECT_EQ(NormalizeVideoUrl(Expand(L"https://{short}/id"), baseAddress),
              Expand(L"{embed}id?origin=academy.example"));
}

TEST_F(MediaUrl, AddressTests) {
    const struct {
        std::wstring address;
        bool video, meeting;
    } cases[] = {
        {L"https://www.{main}/watch?v=1", true, false},
        {L"https://M.{MAIN}/x", true, false},
        {L"https://{short}/abc", true, false},
        {L"https://us02web.{meet}/j/123", false, true},
        {L"https://{meet}/j/123", false, true},
        {L"HTTPS://US02WEB.{MEET}/J/1", false, true},
        {L"https://not{meet}/j/1", false, false},
        {L"https://cdn.example/v.mp4", false, false},
        {L"https://127.0.0.1/p/www.{main}/x", false, false},  // the markers name hosts only
        {L"https://127.0.0.1/?u={short}", false, false},
        {L"https://evil.example//{meet}/j/1", false, false},
        {L"https://{main}@127.0.0.1/", false, false},
        {L"https://{main}.evil.example/", false, false},
        {L"https://www.{main}./watch?v=1", true, false},
    };
    auto expandAnyCase = [](std::wstring text) {
        for (const auto& [upper, lower] : {std::pair{L"{MAIN}", L"{main}"}, std::pair{L"{MEET}", L"{meet}"}})
            if (const auto at = text.find(upper); at != std::wstring::npos) {
                std::wstring value = Expand(lower);
                for (auto& c : value) c = static_cast<wchar_t>(towupper(c));
                text.replace(at, std::wcslen(upper), value);
            }
        return Expand(text);
    };
    for (const auto& c : cases) {
        const std::wstring address = expandAnyCase(c.address);
        EXPECT_EQ(IsVideoSharingAddress(address), c.video) << ToUtf8(address);
        EXPECT_EQ(IsMeetingAddress(address), c.meeting) << ToUtf8(address);
    }
}

TEST(PercentEncode, KeepsUnreservedAndEncodesEveryOtherByte) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"AZaz09-._~", L"AZaz09-._~"},
        {L"https://a.b/c?d=e f", L"https%3a%2f%2fa.b%2fc%3fd%3de%20f"},
        {L"\u00e9", L"%c3%a9"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(PercentEncode(c.in), c.out);
}

}  // namespace
}  // namespace pellaro

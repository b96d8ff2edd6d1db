#include "browser/navigation_policy.h"

#include <gtest/gtest.h>

#include "core/build_constants.h"

namespace pellaro {
namespace {

TEST(ExtractHost, TakesTheLowerCaseHostWithoutPortOrBlobPrefix) {
    const struct {
        const wchar_t* address;
        const wchar_t* host;
    } cases[] = {
        {L"https://WWW.Example.COM/path?q=1", L"www.example.com"},
        {L"http://example.com:8443/x", L"example.com"},
        {L"https://example.com", L"example.com"},
        {L"blob:https://cdn.example.com/1234-abcd", L"cdn.example.com"},
        {L"blob:", L""},
        {L"about:blank", L""},
        {L"example.com/path", L""},
        {L"a:", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractHost(c.address), c.host) << c.address;
}

TEST(IsSameSite, ComparesSubdomainsAndTheLastTwoLabels) {
    const struct {
        const wchar_t* a;
        const wchar_t* b;
        bool same;
    } cases[] = {
        {L"a.example.com", L"a.example.com", true},
        {L"www.example.com", L"example.com", true},
        {L"example.com", L"deep.www.example.com", true},
        {L"one.example.com", L"two.example.com", true},
        {L"shop.co.uk", L"bank.co.uk", true},  // only two labels are compared
        {L"example.com", L"example.org", false},
        {L"badexample.com", L"example.com", false},  // no dot boundary
        {L"", L"example.com", false},
        {L"example.com", L"", false},
        {L"localhost", L"localhost", true},
        {L"localhost", L"otherhost", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSameSite(c.a, c.b), c.same) << c.a << L" / " << c.b;
}

TEST(AllowedHosts, HasTheProfilesThirtyNineBareEntries) {
    ASSERT_EQ(AllowedHosts().size(), 39u);
    for (const auto& entry : AllowedHosts()) {
        EXPECT_EQ(entry.find(L"://"), std::wstring::npos) << entry;
        EXPECT_NE(entry.front(), L'.') << entry;
    }
}

TEST(IsAllowedHost, MatchesOnlyAtADotBoundary) {
    const std::wstring entry = AllowedHosts().at(3);
    EXPECT_TRUE(IsAllowedHost(entry));
    EXPECT_TRUE(IsAllowedHost(L"video." + entry));
    EXPECT_TRUE(IsAllowedHost(L"a.b." + entry));
    EXPECT_FALSE(IsAllowedHost(L"evil" + entry));
    EXPECT_FALSE(IsAllowedHost(entry + L".evil.net"));
    EXPECT_FALSE(IsAllowedHost(L""));
    EXPECT_FALSE(IsAllowedHost(L"." + entry.substr(1)));
}

// The player's rule chain, one rule at a time.
class PlayerNavigation : public ::testing::Test {
protected:
    ContentDescriptor content{
        L"https://school.example.org", L"https://lessons.example.net/course/7?t=1", L"video", L"", L"", 1};
    bool Allowed(const std::wstring& target) const { return PlayerNavigationAllowed(target, content); }
};

TEST_F(PlayerNavigation, AllowsAboutBlankAndQueryOrFragmentChanges) {
    EXPECT_TRUE(Allowed(L"about:blank"));
    content.contentUrl = L"https://files.unlisted-host.test/doc.pdf";
    content.baseAddress.clear();
    EXPECT_TRUE(Allowed(L"https://files.unlisted-host.test/doc.pdf?page=2"));
    EXPECT_TRUE(Allowed(L"https://files.unlisted-host.test/doc.pdf#p3"));
    EXPECT_FALSE(Allowed(L"https://elsewhere.invalid/doc.pdf?page=2"));
    // Without a host, only the exact comparison (case-sensitive) can allow it.
    content.contentUrl = L"file:///srv/Doc.pdf";
    EXPECT_TRUE(Allowed(L"file:///srv/Doc.pdf#x"));
    EXPECT_FALSE(Allowed(L"file:///srv/doc.pdf#x"));
}

TEST_F(PlayerNavigation, AllowsBothVideoSharingOrBothMeetingAddresses) {
    const std::wstring video = WideConstant(ConstantKey::videoMainDomain);
    const std::wstring shortVideo = WideConstant(ConstantKey::videoShortDomain);
    const std::wstring meeting = WideConstant(ConstantKey::meetingDomain);
    content.baseAddress.clear();
    content.contentType = L"pdf";
    // Markers name hosts: the service's domain or a subdomain of it.
    content.contentUrl = L"https://www." + video + L"/embed/1";
    EXPECT_TRUE(Allowed(L"https://" + shortVideo + L"/abc"));
    content.contentUrl = L"https://us02web." + meeting + L"/j/1";
    EXPECT_TRUE(Allowed(L"https://" + meeting + L"/room"));
    EXPECT_FALSE(Allowed(L"https://y.test/room" + meeting));
}

TEST_F(PlayerNavigation, MarkersAndUserInfoDoNotDisguiseAnotherHost) {
    const std::wstring video = WideConstant(ConstantKey::videoMainDomain);
    const std::wstring shortVideo = WideConstant(ConstantKey::videoShortDomain);
    const std::wstring meeting = WideConstant(ConstantKey::meetingDomain);
    const std::wstring academy = AllowedHosts().at(0);
    content.contentType = L"url_direct";
    content.contentUrl = L"https://www." + video + L"/embed/1";
    content.baseAddress = L"https://www." + academy;
    const std::wstring targets[] = {
        L"https://127.0.0.1/p/" + shortVideo + L"/land",   // marker in the path
        L"https://127.0.0.1/p?u=" + video,                 // marker in the query
        L"https://evil.test//" + meeting + L"/x",          // meeting marker in the path
        L"https://www." + academy + L":x@127.0.0.1/land",  // user info names the academy
        L"https://" + video + L"@127.0.0.1/land",
        L"https://" + video + L".evil.test/land",
    };
    for (const auto& target : targets) EXPECT_FALSE(Allowed(target)) << target;
    EXPECT_TRUE(Allowed(L"https://WWW." + academy + L"./land"));  // trailing dot, upper case
    EXPECT_TRUE(Allowed(L"https://www." + academy + L":8443/land"));
}

TEST_F(PlayerNavigation, AllowsSameSiteAsBaseOrContent) {
    EXPECT_TRUE(Allowed(L"https://school.example.org/other"));
    EXPECT_TRUE(Allowed(L"https://sub.school.example.org/"));
    EXPECT_TRUE(Allowed(L"https://other.example.org/"));  // same last two labels as the base
    EXPECT_TRUE(Allowed(L"https://cdn.example.net/"));    // same site as the content
    EXPECT_FALSE(Allowed(L"https://example.com/"));
}

TEST_F(PlayerNavigation, AllowsAddressesUnderTheContentUrl) {
    content.baseAddress.clear();
    // A host-less address: only the "content URL + /" rule can allow it.
    content.contentUrl = L"file:///srv/lesson";
    EXPECT_TRUE(Allowed(L"file:///srv/lesson/part2"));
    EXPECT_FALSE(Allowed(L"file:///srv/lessonX"));
}

TEST_F(PlayerNavigation, AllowsListedHostsAndTheirSubdomains) {
    const std::wstring entry = AllowedHosts().at(10);
    EXPECT_TRUE(Allowed(L"https://" + entry + L"/x"));
    EXPECT_TRUE(Allowed(L"https://a." + entry + L"/x"));
    EXPECT_TRUE(Allowed(L"blob:https://a." + entry + L"/uuid"));
    EXPECT_FALSE(Allowed(L"https://not" + entry + L"/x"));
}

TEST_F(PlayerNavigation, CdnFamiliesOnlyForDirectAndVideoContent) {
    const auto bunny = WideConstantList(ConstantKey::cdnFamilyBunny);
    const auto second = WideConstantList(ConstantKey::cdnFamilySecond);
    ASSERT_EQ(bunny.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    content.baseAddress.clear();
    content.contentUrl = L"https://z1." + bunny[0] + L"/play/1";
    // A host that contains the pull-zone marker without a dot boundary fails the list.
    const std::wstring target = L"https://zone" + bunny[1] + L".evil/x";
    ASSERT_FALSE(IsAllowedHost(ExtractHost(target)));
    content.contentType = L"video";
    EXPECT_TRUE(Allowed(target));
    content.contentType = L"url_direct";
    EXPECT_TRUE(Allowed(target));
    content.contentType = L"pdf";
    EXPECT_FALSE(Allowed(target));
    content.contentType = L"video";
    EXPECT_FALSE(Allowed(L"https://zone" + second[0] + L".evil/x"));  // other family
}

TEST_F(PlayerNavigation, CancelsEverythingElse) {
    EXPECT_FALSE(Allowed(L"https://unlisted.invalid/"));
    EXPECT_FALSE(Allowed(L"javascript:alert(1)"));
    EXPECT_FALSE(Allowed(L"data:text/html,hi"));
    content.baseAddress.clear();
    content.contentUrl.clear();
    EXPECT_FALSE(Allowed(L"https://unlisted.invalid/"));
}

TEST(HomeObserver, RecordsTheOriginButNeverTheTenantChooser) {
    ContentDescriptor content;
    EXPECT_TRUE(ObserveHomeNavigation(L"https://School.example.org/courses/1?x=2", content));
    EXPECT_EQ(content.baseAddress, L"https://School.example.org");
    EXPECT_FALSE(ObserveHomeNavigation(L"https://School.example.org/other", content));
    EXPECT_FALSE(ObserveHomeNavigation(L"https://www.example.org/Select-Tenants?next=/", content));
    EXPECT_EQ(content.baseAddress, L"https://School.example.org");
    EXPECT_FALSE(ObserveHomeNavigation(L"about:blank", content));
    EXPECT_FALSE(ObserveHomeNavigation(L"data:text/html,x", content));
    EXPECT_TRUE(ObserveHomeNavigation(L"http://plain.example.org", content));
    EXPECT_EQ(content.baseAddress, L"http://plain.example.org");
}

// The item's own site: same site as its address, but on a shared host of the
// allowed list (anyone can publish there) only the item's host and below.
TEST(ItemSite, SameSiteExceptOnSharedHosts) {
    const std::wstring shared = AllowedHosts().at(14);  // the cloud group's CDN entry
    ContentDescriptor item;
    item.contentUrl = L"https://lessons.school.test/course/7";
    item.baseAddress = L"https://academy.elsewhere.test";
    EXPECT_TRUE(IsItemSite(L"lessons.school.test", item));
    EXPECT_TRUE(IsItemSite(L"cdn.school.test", item));
    EXPECT_FALSE(IsItemSite(L"academy.elsewhere.test", item));  // the base address is no item
    EXPECT_FALSE(IsItemSite(L"", item));

    item.contentUrl = L"https://d111." + shared + L"/lesson.html";
    EXPECT_TRUE(IsItemSite(L"d111." + shared, item));
    EXPECT_TRUE(IsItemSite(L"edge.d111." + shared, item));
    EXPECT_FALSE(IsItemSite(L"attacker." + shared, item));
    EXPECT_FALSE(IsItemSite(shared, item));

    item.contentUrl.clear();  // the home window shows no item
    EXPECT_FALSE(IsItemSite(L"lessons.school.test", item));
}

TEST(Permissions, MediaAndNotificationsOnlyForTheAcademyTheMeetingAndTheItem) {
    const std::wstring backend = WideConstant(ConstantKey::backendDomain);
    const std::wstring meeting = WideConstant(ConstantKey::meetingDomain);
    const std::wstring listed = AllowedHosts().at(14);  // a CDN anyone can publish on
    ContentDescriptor item;
    item.contentUrl = L"https://lessons.school.test/course/7";
    const struct {
        PermissionKind kind;
        std::wstring origin;
        PermissionAnswer answer;
    } cases[] = {
        {PermissionKind::Microphone, L"https://www." + backend, PermissionAnswer::Allow},
        {PermissionKind::Camera, L"https://room." + meeting, PermissionAnswer::Allow},
        {PermissionKind::Notifications, L"https://lessons.school.test", PermissionAnswer::Allow},
        {PermissionKind::Camera, L"https://cdn.school.test:8443", PermissionAnswer::Allow},
        {PermissionKind::Camera, L"https://anyone." + listed, PermissionAnswer::Deny},
        {PermissionKind::Microphone, L"https://third-party.test", PermissionAnswer::Deny},
        {PermissionKind::Camera, L"https://" + meeting + L".attacker.test", PermissionAnswer::Deny},
        {PermissionKind::Camera, L"https://www." + backend + L":x@attacker.test", PermissionAnswer::Deny},
        {PermissionKind::Camera, L"file:///C:/", PermissionAnswer::Deny},
        {PermissionKind::Camera, L"", PermissionAnswer::Deny},
        {PermissionKind::Geolocation, L"https://www." + backend, PermissionAnswer::Deny},  // never asked for
        {PermissionKind::Other, L"https://lessons.school.test", PermissionAnswer::Deny},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecidePermission(c.kind, c.origin, item), c.answer)
            << c.origin << " kind " << static_cast<int>(c.kind);
    // The home window has no item: its site is no reason.
    EXPECT_EQ(DecidePermission(PermissionKind::Camera, L"https://lessons.school.test", ContentDescriptor{}),
              PermissionAnswer::Deny);
}

}  // namespace
}  // namespace pellaro

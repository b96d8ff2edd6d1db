#include "app/startup.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "core/app_record.h"
#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {
namespace {

// Fake OS and subsystems: every step records its name; results are set per case.
struct FakeSystem {
    InstanceLock lock = InstanceLock::Acquired;
    bool graphics = true;
    int osVersion = 10;
    std::wstring deviceId = L"device";
    bool runtime = true;
    bool dynamicPinsThrow = false;
    PinListLoad dynamicPins{true, ""};
    UpdateOffer firstOffer;
    UpdateOffer secondOffer;
    bool initScreen = true;
    bool homeHost = false;
    bool parseOk = true;
    std::string parseError;
    std::wstring linkBaseAddress = L"https://link.example/";
    bool playerWindow = true;
    int quitCode = 0;
    std::deque<MessageAnswer> answers;

    std::vector<std::string> calls;
    std::vector<std::string> backgroundCalls;  // made inside runInBackground
    std::vector<std::string> log;
    std::vector<MessageBoxSpec> boxes;
    std::vector<std::wstring> opened;
    std::vector<std::pair<double, std::wstring>> versionChecks;
    std::wstring lockKey;
    std::wstring parsedLink;
    std::wstring dialogTitle, dialogText, dialogArabic;
    std::string dialogCode;
    ContentDescriptor playerContent;

    StartupSteps Steps() {
        auto call = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
        auto undo = [this](const char* name) { return ScopeGuard([this, name] { calls.push_back(name); }); };
        return StartupSteps{
            .platformStartup =
                [call, undo] {
                    call("initCom")();
                    return undo("uninitCom");
                },
            .installPreExitHook =
                [call, undo] {
                    call("installPreExitHook")();
                    return undo("clearPreExitHook");
                },
            .graphicsStartup = [this, undo]() -> std::optional<ScopeGuard> {
                calls.push_back("startGraphics");
                if (!graphics) return std::nullopt;
                return undo("shutdownGraphics");
            },
            .takeInstanceLock =
                [this](const std::wstring& key) {
                    calls.push_back("takeInstanceLock");
                    lockKey = key;
                    return lock;
                },
            .releaseInstanceLock = call("releaseInstanceLock"),
            .showSplash = call("showSplash"),
            .closeSplash = call("closeSplash"),
            .platformSupported =
                [this] {
                    calls.push_back("osVersionNumber");
                    return osVersion >= 10;
                },
            .deviceIdentifier =
                [this] {
                    calls.push_back("deviceIdentifier");
                    return deviceId;
                },
            .runtimeGate =
                [this] {
                    calls.push_back("runtimeGate");
                    return runtime;
                },
            .warmBrowser =
                [call, undo] {
                    call("warmBrowser")();
                    return undo("disposeWarmBrowser");
                },
            .runInBackground =
                [this](const std::function<void()>& work) {
                    const size_t before = calls.size();
                    work();
                    backgroundCalls.insert(backgroundCalls.end(), calls.begin() + static_cast<long>(before),
                                           calls.end());
                },
            .installDefaultPins = call("installDefaultPins"),
            .loadDynamicPins =
                [this] {
                    calls.push_back("loadDynamicPins");
                    if (dynamicPinsThrow) throw std::runtime_error("pins");
                    return dynamicPins;
                },
            .checkVersion =
                [this](double v, const std::wstring& base) {
                    calls.push_back("checkVersion");
                    versionChecks.emplace_back(v, base);
                    return versionChecks.size() == 1 ? firstOffer : secondOffer;
                },
            .openAddress =
                [this](const std::wstring& a) {
                    calls.push_back("openAddress");
                    opened.push_back(a);
                },
            .registerScheme =
                [this] {
                    calls.push_back("registerScheme");
                    return false;
                },
            .createInitScreen =
                [this] {
                    calls.push_back("createInitScreen");
                    return initScreen;
                },
            .homeHostExists = [this] { return homeHost; },
            .createPlayerFrame =
                [this] {
                    calls.push_back("createPlayerFrame");
                    return true;
                },
            .resolveLink =
                [this](const std::wstring& link) {
                    calls.push_back("parseSchemeArgs");
                    parsedLink = link;
                    LinkResult result;
                    if (parseOk) {
                        result.content.baseAddress = linkBaseAddress;
                    } else if (parseError.starts_with("server:")) {
                        result.error = LinkError{LinkErrorKind::ServerMessage, parseError.substr(7)};
                    } else if (parseError.starts_with("unreachable_")) {
                        result.error = LinkError{LinkErrorKind::Unreachable, parseError};
                    } else {
                        result.error = LinkError{LinkErrorKind::Diagnostic, parseError};
                    }
                    return result;
                },
            .createPlayerWindow =
                [this](const ContentDescriptor& content) {
                    calls.push_back("createPlayerWindow");
                    playerContent = content;
                    return playerWindow;
                },
            .buildDiagnosticCode =
                [this](const std::string& reason) {
                    calls.push_back("buildDiagnosticCode");
                    return "code(" + reason + ")";
                },
            .showDiagnosticDialogAndExit =
                [this](const std::wstring& t, const std::wstring& m, const std::wstring& a, const std::string& c) {
                    calls.push_back("showDiagnosticDialogAndExit");
                    dialogTitle = t, dialogText = m, dialogArabic = a, dialogCode = c;
                },
            .messageBox =
                [this](const MessageBoxSpec& spec) {
                    calls.push_back("messageBox");
                    boxes.push_back(spec);
                    if (answers.empty()) return MessageAnswer::Ok;
                    const MessageAnswer a = answers.front();
                    answers.pop_front();
                    return a;
                },
            .runMessageLoop =
                [this] {
                    calls.push_back("runMessageLoop");
                    return quitCode;
                },
            .destroyBrowserHosts = call("destroyBrowserHosts"),
            .log = [this](const std::string& line) { log.push_back(line); },
        };
    }

    int Run(const std::wstring& raw, const std::wstring& first) {
        return RunStartup(StartupInput{raw, first}, Steps());
    }

    long Count(const std::string& call) const { return std::count(calls.begin(), calls.end(), call); }

    bool Logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

using Calls = std::vector<std::string>;
const std::wstring kLink = L"Tovrelapp:abc:def:ghi";

TEST(Startup, HomeRoadRunsEveryStepInOrder) {
    FakeSystem f;
    f.quitCode = 7;
    EXPECT_EQ(f.Run(L"", L""), 7);
    EXPECT_EQ(f.calls, (Calls{"initCom",
                              "installPreExitHook",
                              "startGraphics",
                              "takeInstanceLock",
                              "showSplash",
                              "osVersionNumber",
                              "deviceIdentifier",
                              "runtimeGate",
                              "warmBrowser",
                              "installDefaultPins",
                              "loadDynamicPins",
                              "checkVersion",
                              "registerScheme",
                              "createInitScreen",
                              "runMessageLoop",
                              "disposeWarmBrowser",
                              "destroyBrowserHosts",
                              "clearPreExitHook",
                              "shutdownGraphics",
                              "releaseInstanceLock",
                              "uninitCom"}));
    EXPECT_EQ(f.lockKey, L"Tovrel Academy|init");
    EXPECT_TRUE(f.Logged("Instance mutex: Local\\PellaroPlayer.WebView2.a6d765550882317d"));
    const std::vector<std::string> progress = {"Step 7: Initializing SSL pinning defaults",
                                               "Step 7: Loading dynamic pins synchronously",
                                               "Step 7: Dynamic pins loaded OK",
                                               "Step 7B: Checking app version...",
                                               "Step 7B: Version check done. hasUpdate=0",
                                               "Step 8: Registering URL protocol...",
                                               "Step 9: Parsing command line...",
                                               "Step 9: hasSchemeArgs=0"};
    auto it = f.log.begin();
    for (const auto& line : progress) {
        it = std::find(it, f.log.end(), line);
        ASSERT_NE(it, f.log.end()) << line;
    }
    ASSERT_EQ(f.versionChecks.size(), 1u);
    EXPECT_DOUBLE_EQ(f.versionChecks[0].first, 4.12);
    EXPECT_EQ(f.versionChecks[0].second, L"");
    EXPECT_TRUE(f.boxes.empty());
}

TEST(Startup, PlayerRoadResolvesTheLinkThenChecksTheVersionAgain) {
    FakeSystem f;
    EXPECT_EQ(f.Run(L"TOVRELAPP:abc", L"TOVRELAPP:abc"), 0);
    EXPECT_EQ(f.lockKey, L"Tovrel Academy|player");
    EXPECT_EQ(f.parsedLink, L"TOVRELAPP:abc");  // passed on in its own case
    const Calls road(std::find(f.calls.begin(), f.calls.end(), "createPlayerFrame"), f.calls.end());
    EXPECT_EQ(road, (Calls{"createPlayerFrame", "parseSchemeArgs", "checkVersion", "createPlayerWindow",
                           "runMessageLoop", "disposeWarmBrowser", "destroyBrowserHosts", "clearPreExitHook",
                           "shutdownGraphics", "releaseInstanceLock", "uninitCom"}));
    ASSERT_EQ(f.versionChecks.size(), 2u);
    EXPECT_DOUBLE_EQ(f.versionChecks[1].first, 4.12);
    EXPECT_EQ(f.versionChecks[1].second, L"https://link.example/");
    EXPECT_TRUE(f.Logged("Step 9: hasSchemeArgs=1"));
}

// Only the network steps leave the user-interface thread; prompts, windows
// and the engine's warm-up stay on it, and the warm-up starts before them.
TEST(Startup, NetworkStepsRunInTheBackgroundWhileTheEngineWarms) {
    FakeSystem f;
    EXPECT_EQ(f.Run(kLink, kLink), 0);
    EXPECT_EQ(f.backgroundCalls, (Calls{"loadDynamicPins", "checkVersion", "parseSchemeArgs", "checkVersion"}));
    const auto warm = std::find(f.calls.begin(), f.calls.end(), "warmBrowser");
    EXPECT_LT(warm - f.calls.begin(), std::find(f.calls.begin(), f.calls.end(), "loadDynamicPins") - f.calls.begin());
    EXPECT_EQ(f.Count("warmBrowser"), 1);
    EXPECT_EQ(f.Count("disposeWarmBrowser"), 1);
}

TEST(Startup, CommandLineDecidesRoadAndKey) {
    struct Case {
        std::wstring raw, first;
        std::wstring key;
        bool link;
        std::wstring argument;
    };
    const Case cases[] = {
        {L"", L"", L"|init", false, L""},
        {kLink, kLink, L"|player", true, kLink},
        {L"tovrelapp:x", L"tovrelapp:x", L"|player", true, L"tovrelapp:x"},
        {L"notes.pdf", L"notes.pdf", L"|player", false, L""},                   // not a link: home window
        {L"\"\" Tovrelapp:a b", L"", L"|player", true, L"\"\" Tovrelapp:a b"},  // raw line taken
        {L"\"\" tovrelapp:a", L"", L"|player", false, L""},                     // raw fallback is case-exact
        {L"x", L"see https://x/?u=TovRelApp:1", L"|player", true, L"see https://x/?u=TovRelApp:1"},
    };
    for (const auto& c : cases) {
        FakeSystem f;
        EXPECT_EQ(f.Run(c.raw, c.first), 0);
        EXPECT_EQ(f.lockKey, L"Tovrel Academy" + c.key) << ToUtf8(c.raw);
        const bool tookPlayerRoad = std::count(f.calls.begin(), f.calls.end(), "parseSchemeArgs") == 1;
        EXPECT_EQ(tookPlayerRoad, c.link) << ToUtf8(c.raw);
        EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "createInitScreen") == 1, !c.link);
        if (c.link) {
            EXPECT_EQ(f.parsedLink, c.argument);
        }
    }
}

struct FailureCase {
    const char* name;
    void (*setup)(FakeSystem&);
    int exitCode;
    std::wstring text;
    std::wstring caption;
    MessageIcon icon;
    Calls lastCalls;  // the run's final calls
};

TEST(Startup, FailedGatesEndWithTheirMessageAndCode) {
    const std::wstring name = L"Tovrel Academy";
    const FailureCase cases[] = {
        {"lock failed",
         [](FakeSystem& f) { f.lock = InstanceLock::Failed; },
         1,
         L"",
         L"",
         MessageIcon::None,
         {"takeInstanceLock", "uninitCom"}},
        {"already running",
         [](FakeSystem& f) { f.lock = InstanceLock::AlreadyRunning; },
         0,
         L"The application is already running.\n\nالبرنامج يعمل بالفعل.",
         name,
         MessageIcon::Information,
         {"takeInstanceLock", "messageBox", "releaseInstanceLock", "uninitCom"}},
        {"old windows",
         [](FakeSystem& f) { f.osVersion = 8; },
         1,
         L"This application requires Windows 10 or later.\nهذا التطبيق يتطلب ويندوز 10 أو أحدث.",
         L"Unsupported OS",
         MessageIcon::Error,
         {"osVersionNumber", "messageBox"}},
        {"unreadable version",
         [](FakeSystem& f) { f.osVersion = -1; },
         1,
         L"This application requires Windows 10 or later.\nهذا التطبيق يتطلب ويندوز 10 أو أحدث.",
         L"Unsupported OS",
         MessageIcon::Error,
         {"osVersionNumber", "messageBox"}},
        {"no device id",
         [](FakeSystem& f) { f.deviceId.clear(); },
         1,
         L"Unable to read device information. The application will close. Please contact support.\n"
         L"تعذر قراءة بيانات الجهاز. سيتم إغلاق البرنامج. يرجى التواصل مع الدعم.",
         name,
         MessageIcon::Error,
         {"deviceIdentifier", "closeSplash", "messageBox", "shutdownGraphics", "uninitCom"}},
        {"no runtime", [](FakeSystem& f) { f.runtime = false; }, 1, L"", L"", MessageIcon::None, {"runtimeGate"}},
        {"home window failed",
         [](FakeSystem& f) { f.initScreen = false; },
         1,
         L"Failed to create the application window.",
         L"Tovrel Academy - Startup Error",
         MessageIcon::Error,
         {"createInitScreen", "messageBox", "disposeWarmBrowser"}},
        {"home browser failed",
         [](FakeSystem& f) { f.initScreen = false, f.homeHost = true; },
         1,
         L"",
         L"",
         MessageIcon::None,
         {"registerScheme", "createInitScreen", "disposeWarmBrowser"}},
    };
    for (const auto& c : cases) {
        FakeSystem f;
        c.setup(f);
        EXPECT_EQ(f.Run(L"", L""), c.exitCode) << c.name;
        if (c.text.empty()) {
            EXPECT_TRUE(f.boxes.empty()) << c.name;
        } else {
            ASSERT_EQ(f.boxes.size(), 1u) << c.name;
            EXPECT_EQ(f.boxes[0].text, c.text) << c.name;
            EXPECT_EQ(f.boxes[0].caption, c.caption) << c.name;
            EXPECT_EQ(f.boxes[0].icon, c.icon) << c.name;
            EXPECT_EQ(f.boxes[0].buttons, MessageButtons::Ok) << c.name;
        }
        ASSERT_GE(f.calls.size(), c.lastCalls.size()) << c.name;
        EXPECT_EQ(Calls(f.calls.end() - static_cast<long>(c.lastCalls.size()), f.calls.end()), c.lastCalls) << c.name;
        EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "runMessageLoop"), 0) << c.name;
        EXPECT_EQ(f.Count("warmBrowser"), f.Count("disposeWarmBrowser")) << c.name;
    }
}

TEST(Startup, NoSplashWithoutGraphics) {
    FakeSystem f;
    f.graphics = false;
    f.Run(L"", L"");
    EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "showSplash"), 0);
}

// The log says what happened: no "loaded OK" or "done" after a failure.
TEST(Startup, NetworkFailuresAtStartAreLoggedAsSuchAndStartGoesOn) {
    FakeSystem thrown;
    thrown.dynamicPinsThrow = true;
    EXPECT_EQ(thrown.Run(L"", L""), 0);
    EXPECT_TRUE(thrown.Logged("Step 7: Dynamic pins FAILED (exception)"));
    EXPECT_FALSE(thrown.Logged("Step 7: Dynamic pins loaded OK"));
    EXPECT_EQ(thrown.Count("createInitScreen"), 1);

    FakeSystem down;
    down.dynamicPins = {false, "curl connect failed: 7"};
    down.firstOffer.error = "curl connect failed: 7";
    EXPECT_EQ(down.Run(L"", L""), 0);
    EXPECT_TRUE(down.Logged("Step 7: Dynamic pins FAILED: curl connect failed: 7 (the built-in pins stay)"));
    EXPECT_FALSE(down.Logged("Step 7: Dynamic pins loaded OK"));
    EXPECT_TRUE(down.Logged("Step 7B: Version check FAILED: curl connect failed: 7 (going on without an update)"));
    EXPECT_FALSE(down.Logged("Step 7B: Version check done. hasUpdate=0"));
    EXPECT_TRUE(down.boxes.empty());
    EXPECT_EQ(down.Count("createInitScreen"), 1);
}

TEST(Startup, UpdatePromptAnswers) {
    const std::wstring installer = WideConstant(ConstantKey::installerDownloadUrl);
    const std::wstring required =
        L"A mandatory update is available. You must download the new version to continue.\n"
        L"تحديث إجباري متاح. يجب عليك تحميل الإصدار الجديد للمتابعة.";
    const std::wstring available =
        L"A new version of the app is available. Would you like to update now?\n"
        L"يوجد تحديث جديد للتطبيق. هل ترغب في التحديث الآن؟";
    struct Case {
        const char* name;
        UpdateOffer offer;
        MessageAnswer answer;
        int exitCode;
        std::vector<std::wstring> opened;
        bool continues;
    };
    const Case cases[] = {
        {"required ok",
         {true, true, L"https://dl.example/new.exe", ""},
         MessageAnswer::Ok,
         0,
         {L"https://dl.example/new.exe"},
         false},
        {"required cancel", {true, true, L"https://dl.example/new.exe", ""}, MessageAnswer::Cancel, 0, {}, false},
        {"optional yes",
         {true, false, L"http://dl.example/x", ""},
         MessageAnswer::Yes,
         0,
         {L"http://dl.example/x"},
         false},
        {"optional no", {true, false, L"https://dl.example/x", ""}, MessageAnswer::No, 0, {}, true},
        {"no link", {true, true, L"", ""}, MessageAnswer::Ok, 0, {installer}, false},
        {"unsafe link",
         {true, false, L"file:///c:/windows/system32/calc.exe", ""},
         MessageAnswer::Yes,
         0,
         {installer},
         false},
        {"script link", {true, true, L"javascript:alert(1)", ""}, MessageAnswer::Ok, 0, {installer}, false},
        {"no update", {false, true, L"https://dl.example/x", ""}, MessageAnswer::Ok, 0, {}, true},
    };
    for (const auto& c : cases) {
        FakeSystem f;
        f.firstOffer = c.offer;
        f.answers = {c.answer};
        f.quitCode = 0;
        EXPECT_EQ(f.Run(L"", L""), c.exitCode) << c.name;
        EXPECT_EQ(f.opened, c.opened) << c.name;
        EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "createInitScreen"), c.continues ? 1 : 0) << c.name;
        EXPECT_EQ(f.Count("disposeWarmBrowser"), 1) << c.name;
        if (!c.continues) {
            EXPECT_EQ(f.calls.back(), "disposeWarmBrowser") << c.name;
        }
        EXPECT_TRUE(f.Logged(c.offer.hasUpdate ? "Step 7B: Version check done. hasUpdate=1"
                                               : "Step 7B: Version check done. hasUpdate=0"))
            << c.name;
        if (!c.offer.hasUpdate) {
            EXPECT_TRUE(f.boxes.empty());
            continue;
        }
        ASSERT_EQ(f.boxes.size(), 1u) << c.name;
        const MessageBoxSpec& box = f.boxes[0];
        if (c.offer.isRequired) {
            EXPECT_EQ(box.text, required);
            EXPECT_EQ(box.caption, L"Tovrel Academy - Update Required");
            EXPECT_EQ(box.buttons, MessageButtons::OkCancel);
            EXPECT_EQ(box.icon, MessageIcon::Warning);
        } else {
            EXPECT_EQ(box.text, available);
            EXPECT_EQ(box.caption, L"Tovrel Academy - Update Available");
            EXPECT_EQ(box.buttons, MessageButtons::YesNo);
            EXPECT_EQ(box.icon, MessageIcon::Information);
        }
    }
}

TEST(Startup, UpdateOfferedAfterTheLinkEndsTheRunBeforeThePlayer) {
    FakeSystem f;
    f.secondOffer = {true, true, L"", ""};
    f.answers = {MessageAnswer::Cancel};
    EXPECT_EQ(f.Run(kLink, kLink), 0);
    EXPECT_EQ(Calls(f.calls.end() - 2, f.calls.end()), (Calls{"messageBox", "disposeWarmBrowser"}));
    EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "createPlayerWindow"), 0);
}

TEST(Startup, FailedLinks) {
    struct Case {
        std::string error;
        std::wstring serverText;  // the box's text when the error is a server message
        bool dialog;
    };
    const Case cases[] = {
        {"server:", L"", false},  // exactly the prefix: an empty box
        {"server:انتهت صلاحية الرابط", L"انتهت صلاحية الرابط", false},
        {"server:Item not found", L"Item not found", false},
        {"Server:Item not found", L"", true},  // prefix is case-exact
        {"serve", L"", true},
        {"ParseSchemeArgs failed: less than 3 parts after split", L"", true},
        {"", L"", true},
        {"unreachable_curl connect failed: 7", L"", true},
    };
    for (const auto& c : cases) {
        FakeSystem f;
        f.parseOk = false;
        f.parseError = c.error;
        EXPECT_EQ(f.Run(kLink, kLink), 1) << c.error;
        EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "createPlayerWindow"), 0);
        EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "runMessageLoop"), 0);
        EXPECT_EQ(f.versionChecks.size(), 1u);
        EXPECT_EQ(f.calls.back(), "disposeWarmBrowser") << c.error;
        if (c.error.starts_with("unreachable_")) {
            // Not the link's fault, and not an interception: the academy could not be reached.
            EXPECT_TRUE(f.boxes.empty()) << c.error;
            EXPECT_EQ(f.dialogTitle, L"Connection Failed - تعذر الاتصال");
            EXPECT_EQ(f.dialogText,
                      L"The academy's server could not be reached.\nPlease check your internet "
                      L"connection (and any firewall or proxy in between) and try again. If the "
                      L"problem persists, send the diagnostic code below to support.");
            EXPECT_EQ(f.dialogArabic,
                      L"تعذر الوصول إلى خادم الأكاديمية.\nيرجى التحقق من اتصالك بالإنترنت (وأي جدار "
                      L"حماية أو خادم وكيل) والمحاولة مرة أخرى. إذا استمرت المشكلة، يرجى إرسال الكود "
                      L"التشخيصي أدناه للدعم الفني.");
            EXPECT_EQ(f.dialogCode, "code(" + c.error + ")");
        } else if (c.dialog) {
            EXPECT_TRUE(f.boxes.empty()) << c.error;
            EXPECT_EQ(f.dialogTitle, L"Link Error - خطأ في الرابط");
            EXPECT_EQ(f.dialogText,
                      L"Failed to process the content link.\nIf the problem persists, send the "
                      L"diagnostic code below to support.");
            EXPECT_EQ(f.dialogArabic,
                      L"فشل في معالجة رابط المحتوى.\nإذا استمرت المشكلة، يرجى إرسال الكود التشخيصي "
                      L"أدناه للدعم الفني.");
            EXPECT_EQ(f.dialogCode, "code(" + c.error + ")");
        } else {
            EXPECT_EQ(std::count(f.calls.begin(), f.calls.end(), "showDiagnosticDialogAndExit"), 0);
            ASSERT_EQ(f.boxes.size(), 1u) << c.error;
            EXPECT_EQ(f.boxes[0].text, c.serverText);
            EXPECT_EQ(f.boxes[0].caption, L"Tovrel Academy - خطأ");
            EXPECT_EQ(f.boxes[0].icon, MessageIcon::Warning);
            EXPECT_TRUE(f.boxes[0].rightAligned);
            EXPECT_TRUE(f.boxes[0].rtlReading);
        }
    }
}

TEST(Startup, PlayerWindowFailureEndsWithOne) {
    FakeSystem f;
    f.playerWindow = false;
    EXPECT_EQ(f.Run(kLink, kLink), 1);
    EXPECT_EQ(Calls(f.calls.end() - 2, f.calls.end()), (Calls{"createPlayerWindow", "disposeWarmBrowser"}));
    EXPECT_TRUE(f.boxes.empty());
}

// A step left out of an edition does not build; an empty one is refused at once.
static_assert(!std::is_default_constructible_v<StartupSteps>);
static_assert(!std::is_constructible_v<Required<void()>, std::nullptr_t>);

TEST(Startup, RequiredStepsRefuseAnEmptyFunction) {
    EXPECT_THROW(Required<void()>(std::function<void()>()), std::invalid_argument);
    int calls = 0;
    const Required<int(int)> step = [&calls](int x) {
        ++calls;
        return x + 1;
    };
    EXPECT_EQ(step(1), 2);
    EXPECT_EQ(calls, 1);
}

TEST(Startup, ADiagnosticDialogThatReturnsStillEndsTheRunWithOne) {
    FakeSystem f;
    f.parseOk = false;
    f.parseError = "bad";
    EXPECT_EQ(f.Run(kLink, kLink), 1);
    EXPECT_EQ(Calls(f.calls.end() - 2, f.calls.end()), (Calls{"showDiagnosticDialogAndExit", "disposeWarmBrowser"}));
}

TEST(Startup, ThePlayerWindowGetsTheResolvedDescriptor) {
    FakeSystem f;
    EXPECT_EQ(f.Run(kLink, kLink), 0);
    EXPECT_EQ(f.playerContent.baseAddress, L"https://link.example/");
}

TEST(Startup, VersionNumberTakesTheLeadingNumber) {
    struct Case {
        std::wstring text;
        double number;
    };
    const Case cases[] = {
        {L"4.12.0", 4.12}, {L"5", 5.0},   {L" 4.5beta", 4.5}, {L"10.0.1", 10.0}, {L"v4.12", 3.0},
        {L"", 3.0},        {L"abc", 3.0}, {L".5", 0.5},       {L"-1.5", -1.5},   {L"+2.25", 2.25},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(VersionNumber(c.text), c.number) << ToUtf8(c.text);

    FakeSystem f;
    const std::wstring saved = App().versionText;
    App().versionText = L"beta-4";
    f.Run(L"", L"");
    App().versionText = saved;
    ASSERT_EQ(f.versionChecks.size(), 1u);
    EXPECT_DOUBLE_EQ(f.versionChecks[0].first, 3.0);
}

}  // namespace
}  // namespace pellaro

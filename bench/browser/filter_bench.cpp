// The resource filter's decision for one request, as every request of both
// windows pays it: the pin verdict already cached, then the header rules.
#include <benchmark/benchmark.h>

#include "links/content_descriptor.h"
#include "browser/resource_filter.h"
#include "net/pin_store.h"

namespace {

pellaro::FilterServices Services() {
    pellaro::FilterServices services;
    services.checkHostPins = pellaro::CheckHostPins;  // the real cache
    services.deviceIdentifier = [] { return std::wstring(L"0123456789abcdef0123456789abcdef"); };
    services.hardwareIdentifier = [] { return std::wstring(L"fedcba9876543210fedcba9876543210"); };
    return services;
}

void Run(benchmark::State& state, const std::wstring& address, bool player) {
    const pellaro::FilterServices services = Services();
    pellaro::ContentDescriptor content;
    content.baseAddress = L"https://www.tovrel.localhost/";
    {
        pellaro::WebRequest warm{address, {}, false};
        pellaro::FilterRequest(warm, services);  // the first request to a host fills the cache
    }
    for (auto _ : state) {
        pellaro::WebRequest request{address, {}, false};
        const bool pass = pellaro::FilterRequest(request, services);
        if (pass && player) pellaro::AddPlayerReferer(request, content);
        benchmark::DoNotOptimize(request.headers.data());
    }
}

// An unpinned HTTPS host (cached verdict) whose address meets both identity rules.
void BothHeaderRules(benchmark::State& state) {
    Run(state, L"https://cdn.example.com/course/7/secure-media/lesson-01/index.m3u8?via=tovrel.localhost", true);
}
BENCHMARK(BothHeaderRules);

// A typical page resource: cached verdict, only the built-in header.
void PlainResource(benchmark::State& state) { Run(state, L"https://static.example.org/assets/app.3f9c2a.js", true); }
BENCHMARK(PlainResource);

// The video-sharing embed in the player window: Referer added.
void VideoSharingEmbed(benchmark::State& state) {
    Run(state, L"https://www.vidshare.localhost/embed/abcdef?autoplay=1", true);
}
BENCHMARK(VideoSharingEmbed);

}  // namespace

// Opening a content link without the backend: the split, three MAC checks
// and three decryptions, as the player does at start-up.
#include <benchmark/benchmark.h>

#include "core/app_record.h"
#include "core/base64.h"
#include "links/envelope.h"
#include "links/link_resolution.h"
#include "platform/debug_log.h"

namespace {

const std::string& Key() {
    static const std::string key(32, '\x5c');
    return key;
}

std::wstring MakeLink() {
    std::string link = "Tovrelapp:" + pellaro::SealLinkField("lk-1234567890", Key()) + ":" +
                       pellaro::SealLinkField("https://lessons.example/course/7/lesson/12", Key()) + ":" +
                       pellaro::SealLinkField("https://api.tovrel.localhost/", Key());
    return std::wstring(link.begin(), link.end());
}

void Quiet() {
    pellaro::SetDebugSink([](std::string_view) {});
}

void BM_OpenLink(benchmark::State& state) {
    Quiet();
    const std::wstring link = MakeLink();
    pellaro::LinkFields fields;
    std::string code;
    for (auto _ : state) {
        const bool ok = pellaro::OpenLinkFields(
            link, [] { return Key(); }, fields, code);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_OpenLink)->Unit(benchmark::kMicrosecond);

void BM_ResolveDirectLink(benchmark::State& state) {
    Quiet();
    const std::wstring link = MakeLink();
    pellaro::LinkServices services;
    services.payloadKey = [] { return Key(); };
    for (auto _ : state) {
        const pellaro::LinkResult result = pellaro::ResolveContentLink(link, services);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ResolveDirectLink)->Unit(benchmark::kMicrosecond);

void BM_DecryptOneField(benchmark::State& state) {
    const std::string field = pellaro::SealLinkField("https://api.tovrel.localhost/", Key());
    for (auto _ : state) benchmark::DoNotOptimize(pellaro::DecryptLinkField(field, Key()));
}
BENCHMARK(BM_DecryptOneField)->Unit(benchmark::kMicrosecond);

void BM_SplitLink(benchmark::State& state) {
    const std::wstring link = MakeLink();
    for (auto _ : state) benchmark::DoNotOptimize(pellaro::SplitLink(link));
}
BENCHMARK(BM_SplitLink)->Unit(benchmark::kMicrosecond);

}  // namespace

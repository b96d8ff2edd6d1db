// Pin look-ups on the browser's request path: a cached host pre-check and a
// lookup in a store of 100 entries.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "net/pin_store.h"

namespace {

void CheckHostPinsCacheHit(benchmark::State& state) {
    pellaro::ReplacePinStore({});
    pellaro::CheckHostPins(L"cached.example.com");  // no entry: cached without network
    for (auto _ : state) benchmark::DoNotOptimize(pellaro::CheckHostPins(L"cached.example.com"));
}
BENCHMARK(CheckHostPinsCacheHit);

void FindPinEntryHundredEntries(benchmark::State& state) {
    std::vector<pellaro::PinEntry> entries;
    for (int i = 0; i < 100; ++i)
        entries.push_back(
            {L"host" + std::to_wstring(i) + L".example.com", {"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA="}});
    pellaro::ReplacePinStore(entries);
    const std::wstring host = state.range(0) ? L"cdn.host57.example.com" : L"nowhere.example.org";
    for (auto _ : state) benchmark::DoNotOptimize(pellaro::FindPinEntry(host));
}
BENCHMARK(FindPinEntryHundredEntries)->Arg(1)->Arg(0);

}  // namespace

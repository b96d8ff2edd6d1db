#include "platform/debug_log.h"

#include <mutex>

namespace pellaro {
namespace {
std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}
std::function<void(std::string_view)>& Sink() {
    static std::function<void(std::string_view)> sink;
    return sink;
}
}  // namespace

void DebugLine(std::string_view line) {
    std::function<void(std::string_view)> sink;
    {
        std::lock_guard<std::mutex> lock(SinkMutex());
        sink = Sink();
    }
    if (sink) sink(line);
    else PlatformDebugLine(line);
}

void SetDebugSink(std::function<void(std::string_view)> sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    Sink() = std::move(sink);
}

}  // namespace pellaro

// Windows entry: the arguments as UTF-16 (wmain, linked with -municode), so
// text outside the ANSI code page reaches the commands intact as UTF-8; and a
// console that is shown UTF-16 text, so it displays what a pipe gets as UTF-8.
#include <windows.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>

#include "pellaro_cli.h"
#include "core/text.h"

namespace {

// Length of the longest prefix that does not end inside a UTF-8 sequence.
std::size_t CompleteUtf8Prefix(const std::string& bytes) {
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[size - back]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back ? size - back : size;
    }
    return size;
}

// Writes UTF-8 text to a console window as UTF-16, a line (or a flush) at a time.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ~ConsoleBuffer() override { Write(pending_.size()); }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        pending_ += traits_type::to_char_type(c);
        if (c == '\n') Write(CompleteUtf8Prefix(pending_));
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (std::memchr(text, '\n', static_cast<std::size_t>(count))) Write(CompleteUtf8Prefix(pending_));
        return count;
    }
    int sync() override {
        Write(CompleteUtf8Prefix(pending_));
        return 0;
    }

private:
    void Write(std::size_t bytes) {
        if (bytes == 0) return;
        const std::wstring wide = pellaro::FromUtf8(std::string_view(pending_).substr(0, bytes));
        pending_.erase(0, bytes);
        DWORD written = 0;
        WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    }

    HANDLE console_;
    std::string pending_;
};

// Points a stream at the console while it lives, when the handle is one.
class ConsoleStream {
public:
    ConsoleStream(std::ostream& stream, DWORD handleId) : stream_(stream) {
        const HANDLE handle = GetStdHandle(handleId);
        DWORD mode = 0;
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
            buffer_ = std::make_unique<ConsoleBuffer>(handle);
            previous_ = stream_.rdbuf(buffer_.get());
        }
    }
    ~ConsoleStream() {
        if (!buffer_) return;
        stream_.flush();
        stream_.rdbuf(previous_);  // before the buffer goes with its owner
    }
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;

private:
    std::ostream& stream_;
    std::unique_ptr<ConsoleBuffer> buffer_;
    std::streambuf* previous_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    pellaro::cli::Args args;
    for (int i = 1; i < argc; ++i) args.push_back(pellaro::ToUtf8(argv[i]));
    const ConsoleStream out(std::cout, STD_OUTPUT_HANDLE);
    const ConsoleStream err(std::cerr, STD_ERROR_HANDLE);
    return pellaro::cli::RunCli(args);
}

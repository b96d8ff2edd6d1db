#pragma once
// Explicit conversions between "wide" text (std::wstring: UTF-16 on Windows,
// UTF-32 on Linux) and "narrow" UTF-8 text.
#include <string>
#include <string_view>

namespace pellaro {

// UTF-8 from wide text; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);
// Wide text from UTF-8; invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);
// Each byte taken as one wide character (ASCII and Latin-1 texts).
std::wstring WidenBytes(std::string_view bytes);
// Lower-cases every unit with the C runtime's towlower, keeping the length.
std::wstring LowerUnits(std::wstring_view text);
// Lower-cases ASCII letters only.
std::string LowerAscii(std::string_view text);
// Number of UTF-16 code units the text takes.
std::size_t Utf16Length(std::wstring_view text);

}  // namespace pellaro

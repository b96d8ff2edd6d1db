#pragma once
// The type of a resolved content item: the backend's text, kept for reports,
// and the kind the player decides on, parsed once when the type is set.
#include <string>
#include <string_view>

namespace pellaro {

enum class ContentKind {
    Framed,  // any other type: shown inside the program's own player page
    Page,    // "url_direct": navigated to directly, with its page script
    Video,   // "video": framed, but its CDN hosts are allowed like a page's
    Pdf,     // "pdf" or "pdf_url": the engine's PDF viewer, watermarked
};

// Exact, case-sensitive: "PDF" or "url_direct " is Framed.
constexpr ContentKind ParseContentKind(std::wstring_view type) {
    if (type == L"url_direct") return ContentKind::Page;
    if (type == L"video") return ContentKind::Video;
    if (type == L"pdf" || type == L"pdf_url") return ContentKind::Pdf;
    return ContentKind::Framed;
}

class ContentType {
public:
    ContentType() = default;
    ContentType(std::wstring text) : text_(std::move(text)), kind_(ParseContentKind(text_)) {}
    ContentType(const wchar_t* text) : ContentType(std::wstring(text)) {}

    const std::wstring& Text() const { return text_; }
    ContentKind Kind() const { return kind_; }
    bool empty() const { return text_.empty(); }

    friend bool operator==(const ContentType& type, std::wstring_view text) { return type.text_ == text; }

private:
    std::wstring text_;
    ContentKind kind_ = ContentKind::Framed;
};

}  // namespace pellaro

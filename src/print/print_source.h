#pragma once
// What a print job sends: a PDF item is printed from its own document, not
// from a picture of the engine's PDF viewer.
#include <string>
#include <string_view>

#include "core/app_record.h"

namespace pellaro::print {

// True when the page shows a PDF document: its path ends in ".pdf" (any case),
// or it is the PDF item the link opened.
bool ShowsPdfDocument(const std::wstring& pageUrl, const ContentDescriptor& content);

// True when the bytes are a PDF document.
bool IsPdfDocument(std::string_view bytes);

}  // namespace pellaro::print

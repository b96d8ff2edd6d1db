#pragma once
// What a resolved content link shows: produced by link resolution, handed to
// the player window and read by its policies, page scripts and printing.
#include <string>

#include "links/content_type.h"

namespace pellaro {

struct ContentDescriptor {
    std::wstring baseAddress;  // the academy's backend address carried by the link
    std::wstring contentUrl;
    ContentType contentType;
    std::wstring watermarkText;
    std::wstring pageScript;
    int itemNumber = 1;
};

}  // namespace pellaro

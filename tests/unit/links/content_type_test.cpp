#include "links/content_type.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(ContentType, KindIsParsedOnceFromTheExactText) {
    const struct {
        const wchar_t* text;
        ContentKind kind;
    } cases[] = {
        {L"url_direct", ContentKind::Page}, {L"video", ContentKind::Video},  {L"pdf", ContentKind::Pdf},
        {L"pdf_url", ContentKind::Pdf},     {L"", ContentKind::Framed},      {L"html", ContentKind::Framed},
        {L"PDF", ContentKind::Framed},      {L"Video", ContentKind::Framed}, {L"url_direct ", ContentKind::Framed},
    };
    for (const auto& c : cases) {
        const ContentType type(c.text);
        EXPECT_EQ(type.Kind(), c.kind) << c.text;
        EXPECT_EQ(type.Text(), c.text) << c.text;  // the backend's text stays as it came
    }
    EXPECT_EQ(ContentType{}.Kind(), ContentKind::Framed);
}

}  // namespace
}  // namespace pellaro

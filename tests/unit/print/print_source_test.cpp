#include "print/print_source.h"

#include <gtest/gtest.h>

namespace pellaro::print {
namespace {

TEST(PrintSource, PdfPagesAreRecognisedByPathOrAsTheOpenedPdfItem) {
    ContentDescriptor pdfItem;
    pdfItem.contentType = L"pdf_url";
    pdfItem.contentUrl = L"https://cdn.example/get?id=7";
    const ContentDescriptor none;
    const struct {
        std::wstring url;
        const ContentDescriptor& content;
        bool pdf;
    } cases[] = {
        {L"https://www.tovrel.localhost/content/sample.pdf", none, true},
        {L"https://host/Doc.PDF?download=1#page=2", none, true},  // case and query do not matter
        {L"https://host/sample.pdf.html", none, false},
        {L"https://host/report?file=a.pdf", none, false},  // only the path counts
        {L"https://cdn.example/get?id=7", pdfItem, true},  // the PDF item itself
        {L"https://cdn.example/other", pdfItem, false},
        {L"", pdfItem, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ShowsPdfDocument(c.url, c.content), c.pdf);
}

TEST(PrintSource, OnlyPdfBytesCountAsTheDocument) {
    EXPECT_TRUE(IsPdfDocument("%PDF-1.4\n..."));
    EXPECT_FALSE(IsPdfDocument("<html>%PDF-"));
    EXPECT_FALSE(IsPdfDocument("%PDF"));
    EXPECT_FALSE(IsPdfDocument(""));
}

}  // namespace
}  // namespace pellaro::print

#include "diag/countdown_notice_style.h"

#include "core/dpi_scale.h"

namespace pellaro::countdown_style {
namespace {

constexpr TextFormat kOneLine{};
constexpr TextFormat kOneLineRightToLeft{false, false, true, false};
constexpr TextFormat kCentred{false, true, false, false};
constexpr TextFormat kCentredCut{false, true, false, true};

Step TextStep(const Box& box, const Font& font, std::uint32_t colour, TextFormat format, std::wstring text) {
    return {.kind = Step::Kind::text,
            .box = box,
            .colour = colour,
            .font = font,
            .format = format,
            .text = std::move(text)};
}

Step ShapeStep(Step::Kind kind, const Box& box, std::uint32_t pen, int penWidth, std::uint32_t fill = 0) {
    return {.kind = kind, .box = box, .colour = pen, .fill = fill, .pen = penWidth};
}

}  // namespace

Font AtDpi(Font font, int dpi) {
    font.height = ScaleToDpi(font.height, dpi);
    return font;
}

std::vector<Step> PaintSteps(int width, int height, int messageHeight, int arabicHeight, const Texts& texts,
                             int seconds, int dpi) {
    const CountdownLayout l = LayoutCountdown(width, messageHeight, arabicHeight, dpi);
    const auto Text = [dpi](const Box& box, const Font& font, std::uint32_t colour, TextFormat format,
                            std::wstring text) {
        return TextStep(box, AtDpi(font, dpi), colour, format, std::move(text));
    };
    const auto Shape = [dpi](Step::Kind kind, const Box& box, std::uint32_t pen, int penWidth, std::uint32_t fill = 0) {
        return ShapeStep(kind, box, pen, ScaleToDpi(penWidth, dpi), fill);
    };
    std::vector<Step> steps;
    steps.push_back({.kind = Step::Kind::fill, .box = {0, 0, width, height}, .colour = kBackground});
    steps.push_back({.kind = Step::Kind::icon, .box = l.icon});
    steps.push_back(Text(l.title, kTitleFont, kAccent, kOneLine, texts.title));
    steps.push_back(Shape(Step::Kind::line, {l.ruleLeft, l.ruleY, l.ruleRight, l.ruleY}, kAccent, kRulePen));
    steps.push_back(Text(l.message, kMessageFont, kMessageColour, kWrapped, texts.message));
    steps.push_back(Text(l.arabicMessage, kMessageFont, kArabicColour, kWrappedRightToLeft, texts.arabicMessage));
    steps.push_back(Shape(Step::Kind::ellipse, l.disc, kAccent, kDiscPen, kCodeFill));
    steps.push_back(Text(l.seconds, kSecondsFont, kAccent, kCentred, std::to_wstring(seconds)));
    steps.push_back(Text(l.englishLine, kLineFont, kLineColour, kOneLine, CountdownEnglishLine(seconds)));
    steps.push_back(Text(l.arabicLine, kLineFont, kLineColour, kOneLineRightToLeft, CountdownArabicLine(seconds)));
    if (texts.code.empty()) return steps;

    steps.push_back(Text(l.codeHeader, kLineFont, kAccent, kOneLine, CountdownCodeHeader()));
    steps.push_back(Shape(Step::Kind::rectangle, l.codeBox, kAccent, kCodeBoxPen, kCodeFill));
    steps.push_back(Text(l.code, kCodeFont, kAccent, kCentredCut, texts.code));
    steps.push_back(Text(l.codeNote, kLineFont, kNoteColour, kOneLine, CountdownCodeNote()));
    return steps;
}

}  // namespace pellaro::countdown_style

// The Linux edition's windows at the scale the run names (QT_SCALE_FACTOR 1,
// 1.5 or 2, on a 1920 x 1080 screen): each is drawn at the screen's density,
// its texts fit their boxes, the splash comes from the sharp image, and a
// screenshot of each is kept (PELLARO_SCREENSHOT_DIR). Arabic text is drawn
// joined and right to left.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "browser/app_windows.h"
#include "diag/countdown_notice.h"
#include "diag/countdown_notice_style.h"
#include "diag/diagnostic_dialog_content.h"
#include "print/printer_dialog.h"
#include "print/printer_dialog_style.h"
#include "shell/splash.h"

namespace pellaro {
namespace {

namespace style = countdown_style;
namespace d = print::dialog;

class Desktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "desktop_qt_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        screen_ = QGuiApplication::primaryScreen();
        ASSERT_NE(screen_, nullptr);
        ratio_ = screen_->devicePixelRatio();
        // What the run asked for is what the windows get.
        EXPECT_DOUBLE_EQ(ratio_, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    }

    // Keeps the window's picture; its pixels are the screen's.
    QImage Shot(QWidget* window, const char* name) {
        const QPixmap pixmap = window->grab();
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), ratio_) << name;
        EXPECT_EQ(pixmap.width(), qRound(window->width() * ratio_)) << name;
        const QString folder = qEnvironmentVariable("PELLARO_SCREENSHOT_DIR");
        if (!folder.isEmpty() && QDir().mkpath(folder))
            pixmap.save(QDir(folder).filePath(QLatin1String(name) + ".png"));
        return pixmap.toImage();
    }

    QScreen* screen_ = nullptr;
    qreal ratio_ = 1;
};

// Runs `step` once a top-level widget `find` accepts is visible, from inside
// the event loop `run` starts; gives up after 60 s.
void WhileShown(const std::function<QWidget*()>& find, const std::function<void(QWidget*)>& step,
                const std::function<void()>& run) {
    bool done = false;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        QWidget* window = find();
        if (!done && window && window->isVisible()) {
            done = true;
            ticker.stop();
            step(window);
        } else if (++ticks > 1200) {
            ticker.stop();
            ADD_FAILURE() << "the window never appeared";
        }
    });
    ticker.start();
    run();
    EXPECT_TRUE(done);
}

QWidget* TopLevelNamed(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// The energy of the steps from pixel to pixel: an edge blurred over k pixels
// keeps its height but spreads it, so the sum of squares drops about k times.
double Sharpness(const QImage& image, QRect area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left() + 1; x <= area.right(); ++x) {
            const int step = qGray(image.pixel(x, y)) - qGray(image.pixel(x - 1, y));
            sum += step * step;
        }
    return sum / (area.width() * area.height());
}

TEST_F(Desktop, SplashIsDrawnFromTheSharpImage) {
    auto* splash = static_cast<QWidget*>(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(300, 90));
    const QImage shown = Shot(splash, "splash").convertToFormat(QImage::Format_RGB32);
    CloseSplash();
    if (ratio_ == 1) return;
    // Against the 1x image blown up to the same pixels (rounded corners left out).
    const QImage blownUp = QImage(QStringLiteral(":/pellaro/splash.png"))
                               .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
    const QRect inner = shown.rect().adjusted(shown.width() / 20, shown.height() / 5, -shown.width() / 20,
                                              -shown.height() / 5);
    EXPECT_GT(Sharpness(shown, inner), 1.15 * Sharpness(blownUp, inner));
}

QFont FontOf(const style::Font& f) {
    QFont font(QString::fromWCharArray(f.face));
    font.setStyleHint(f.fixedPitch ? QFont::Monospace : QFont::SansSerif);
    font.setPixelSize(f.height);
    font.setWeight(f.weight >= 700 ? QFont::Bold : QFont::Normal);
    return font;
}

// The smallest rectangle holding every non-white pixel.
QRect Ink(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    return ink;
}

// Where a text step's pixels land, drawn alone as the notice draws it but
// without any clipping, at `pixelRatio` screen pixels per layout pixel.
QRectF InkOf(const style::Step& s, QSize area, qreal pixelRatio) {
    QImage image((QSizeF(area) * pixelRatio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(FontOf(s.font));
    p.setPen(Qt::black);
    p.setLayoutDirection(s.format.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    const int flags = s.format.wrap               ? Qt::AlignHCenter | Qt::TextWordWrap
                      : s.format.centreVertically ? Qt::AlignCenter | Qt::TextSingleLine
                                                  : Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    const QRect box(QPoint(s.box.left, s.box.top), QPoint(s.box.right - 1, s.box.bottom - 1));
    QString text = QString::fromStdWString(s.text);
    if (s.format.ellipsis) text = p.fontMetrics().elidedText(text, Qt::ElideRight, box.width());
    p.drawText(box, flags | Qt::TextDontClip, text);
    p.end();
    const QRect ink = Ink(image);
    return QRectF(ink.x() / pixelRatio, ink.y() / pixelRatio, ink.width() / pixelRatio, ink.height() / pixelRatio);
}

TEST_F(Desktop, CountdownNoticeFitsTheScreenAndItsTexts) {
    const style::Texts texts{
        L"Link Error - \u062e\u0637\u0623 \u0641\u064a \u0627\u0644\u0631\u0627\u0628\u0637",
        L"Failed to process the content link.",
        L"\u0641\u0634\u0644 \u0641\u064a \u0645\u0639\u0627\u0644\u062c\u0629 \u0627\u0644\u0631\u0627\u0628\u0637",
        L"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo="};
    WhileShown(
        [] { return TopLevelNamed(QString::fromWCharArray(kCountdownWindowId)); },
        [&](QWidget* notice) {
            const QRect area = screen_->availableGeometry();
            EXPECT_LE(notice->height(), area.height());
            EXPECT_LE(notice->width(), area.width());
            // Laid out at 96 DPI inside the frame, drawn at the fitted scale.
            const qreal fit = static_cast<qreal>(notice->width()) / kCountdownWidth;
            EXPECT_LE(fit, 1.0);
            const int w = qRound((notice->width() - 2) / fit), h = qRound((notice->height() - 2) / fit);
            const Box box = LayoutCountdown(w, 0, 0).message;
            const auto wrapped = [&](const std::wstring& text) {
                return QFontMetrics(FontOf(style::kMessageFont))
                    .boundingRect(QRect(box.left, box.top, box.right - box.left, 10000),
                                  Qt::AlignHCenter | Qt::TextWordWrap, QString::fromStdWString(text))
                    .height();
            };
            const std::vector<style::Step> steps = style::PaintSteps(w, h, wrapped(texts.message),
                                                                     wrapped(texts.arabicMessage), texts, 10);
            std::vector<QRectF> boxes;
            for (const style::Step& s : steps) {
                boxes.push_back(QRectF(s.box.left, s.box.top, s.box.right - s.box.left, s.box.bottom - s.box.top));
                EXPECT_LE(s.box.bottom, h) << "cut off at the bottom";
            }
            // Every text whole inside the window and clear of every other element
            // (but the disc or box it sits in).
            for (std::size_t i = 0; i < steps.size(); ++i) {
                if (steps[i].kind != style::Step::Kind::text) continue;
                const QRectF ink = InkOf(steps[i], QSize(w, h), ratio_ * fit);
                const std::string text = QString::fromStdWString(steps[i].text).toStdString();
                EXPECT_TRUE(QRectF(0, 0, w, h).contains(ink)) << text;
                for (std::size_t j = 1; j < steps.size(); ++j) {  // step 0 is the background
                    if (j == i || boxes[j].contains(boxes[i])) continue;
                    EXPECT_FALSE(ink.intersects(boxes[j]))
                        << text << " (ink " << ink.top() << ".." << ink.bottom() << ") reaches step " << j << " ("
                        << boxes[j].top() << ".." << boxes[j].bottom() << ")";
                }
            }
            Shot(notice, "countdown-notice");
            notice->close();
        },
        [&] { RunCountdownNotice(texts.title, texts.message, texts.arabicMessage, texts.code, 30); });
}

QFont FontOf(d::FontSpec spec) {
    QFont font(QString::fromWCharArray(d::kFontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(-spec.height);
    font.setWeight(static_cast<QFont::Weight>(spec.weight));
    return font;
}

TEST_F(Desktop, PrinterPickerTextsFitTheirControls) {
    const std::vector<print::PrinterEntry> printers = {{L"Office", L"usb://o", L"", true},
                                                       {L"Archive", L"usb://a", L"", false}};
    WhileShown([] { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); },
               [&](QWidget* picker) {
                   const auto fits = [](QWidget* control, const QFont& font, const QString& text) {
                       ASSERT_NE(control, nullptr);
                       const QSizeF extent = QFontMetricsF(font).size(Qt::TextSingleLine, text);
                       EXPECT_LE(extent.width(), control->width()) << text.toStdString();
                       EXPECT_LE(extent.height(), control->height()) << text.toStdString();
                   };
                   auto* heading = picker->findChild<QLabel*>("heading");
                   fits(heading, heading->font(), heading->text());
                   fits(picker->findChild<QPushButton*>("print"), FontOf(d::kSemiboldFont), "Print");
                   fits(picker->findChild<QPushButton*>("cancel"), FontOf(d::kSemiboldFont), "Cancel");
                   auto* list = picker->findChild<QListWidget*>("printerList");
                   const QRect card = list->visualItemRect(list->item(0));
                   EXPECT_LE(QFontMetricsF(FontOf(d::kSemiboldFont)).height(), card.height() - 2 * d::kCardInsetY);
                   EXPECT_LE(QFontMetricsF(FontOf(d::kBadgeFont)).horizontalAdvance("DEFAULT"), d::kBadgeWidth);
                   const QRect area = screen_->availableGeometry();
                   EXPECT_LE(picker->height(), area.height());
                   Shot(picker, "printer-picker");
                   static_cast<QDialog*>(picker)->reject();
               },
               [&] { EXPECT_EQ(print::RunPrinterDialog(nullptr, printers), L""); });
}

TEST_F(Desktop, FramesShowTheirLoadingTextWhole) {
    AppWindows windows;
    ASSERT_TRUE(windows.CreateInitScreen());
    auto* home = static_cast<QWidget*>(windows.CurrentTopLevelWindow());
    auto* player = static_cast<QWidget*>(windows.CreatePlayerFrame());
    ASSERT_NE(home, nullptr);
    ASSERT_NE(player, nullptr);
    QFont font({QStringLiteral("Segoe UI"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPixelSize(24);
    for (QWidget* frame : {home, player}) {
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(QString::fromWCharArray(LoadingText())), frame->width());
    }
    EXPECT_EQ(home->size(), QSize(kHomeWidth, kHomeHeight));
    EXPECT_EQ(player->size(), QSize(kPlayerWidth, kPlayerHeight));
    Shot(home, "home-window");
    Shot(player, "player-window");
    delete player;
    delete home;
}

// Black text on white, as the notice draws a line of it.
QImage Draw(const QString& text, Qt::LayoutDirection direction) {
    QImage image(400, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(32);
    p.setFont(font);
    p.setPen(Qt::black);
    p.setLayoutDirection(direction);
    p.drawText(image.rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
    return image;
}

TEST_F(Desktop, ArabicIsDrawnWithGlyphsJoinedAndRightToLeft) {
    // Boxes would draw two different letters alike.
    EXPECT_NE(Draw(QString::fromWCharArray(L"\u0628"), Qt::RightToLeft),
              Draw(QString::fromWCharArray(L"\u062A"), Qt::RightToLeft));
    // Joined, three behs are narrower than three kept apart by zero-width non-joiners.
    const QRect joined = Ink(Draw(QString::fromWCharArray(L"\u0628\u0628\u0628"), Qt::RightToLeft));
    const QRect apart = Ink(Draw(QString::fromWCharArray(L"\u0628\u200C\u0628\u200C\u0628"), Qt::RightToLeft));
    EXPECT_LT(joined.width(), apart.width());
    // Alef then beh: read right to left, the tall alef stands on the right.
    for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        const QImage both = Draw(QString::fromWCharArray(L"\u0627 \u0628"), direction);
        const QRect all = Ink(both);
        const QRect beh = Ink(Draw(QString::fromWCharArray(L"\u0628"), direction));
        long sum = 0, count = 0;
        for (int y = all.top(); y < beh.top(); ++y)
            for (int x = all.left(); x <= all.right(); ++x)
                if (both.pixel(x, y) != qRgb(255, 255, 255)) {
                    sum += x;
                    ++count;
                }
        ASSERT_GT(count, 0);
        EXPECT_GT(sum / count, all.center().x()) << "direction " << direction;
    }
}

}  // namespace
}  // namespace pellaro

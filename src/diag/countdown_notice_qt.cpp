#include "diag/countdown_notice.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "diag/diagnostic_dialog_content.h"

// The resource file is linked from a static library: register it explicitly.
static void RegisterProgramResources() { Q_INIT_RESOURCE(resources); }

namespace pellaro {
namespace {

const QColor kBackground(0x1a, 0x1a, 0x2e);
const QColor kAccent(0xe9, 0x45, 0x60);
const QColor kCodeFill(0x0f, 0x34, 0x60);
const QColor kMessageColour(0xcc, 0xcc, 0xcc);
const QColor kArabicColour(0xb4, 0xb4, 0xb4);
const QColor kLineColour(0x88, 0x88, 0x88);
const QColor kNoteColour(0x64, 0x64, 0x64);
const QColor kBorderColour(0x64, 0x64, 0x64);   // the thin window border

// Character heights in pixels, as the Windows edition's fonts.
QFont UiFont(int pixels, bool bold) {
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QFont CodeFont() {
    QFont font(QStringLiteral("Consolas"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    return font;
}

QRect ToRect(const Box& b) { return QRect(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1)); }

class CountdownNotice : public QWidget {
public:
    CountdownNotice(QString title, QString message, QString arabic, QString code, int seconds,
                    QEventLoop& loop)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          title_(std::move(title)), message_(std::move(message)), arabic_(std::move(arabic)),
          code_(std::move(code)), seconds_(seconds), loop_(loop) {
        setWindowTitle(QString::fromWCharArray(kCountdownWindowTitle));
        setObjectName(QString::fromWCharArray(kCountdownClassName));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kCountdownWidth, CountdownHeight(!code_.isEmpty()));
        RegisterProgramResources();
        icon_ = QIcon(QStringLiteral(":/pellaro/app.ico")).pixmap(64, 64);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    }

    void Start() {
        timer_.start(1000);
        show();
        raise();
        activateWindow();
        QApplication::beep();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), kBackground);
        p.setPen(kBorderColour);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        // Inside the border, as the client area of a bordered window.
        p.translate(1, 1);
        const int w = width() - 2;

        const int measureFlags = Qt::AlignHCenter | Qt::TextWordWrap;
        p.setFont(UiFont(16, false));
        const int h1 = p.boundingRect(QRect(kMessageSide, kMessageTop, w - 2 * kMessageSide, 10000),
                                      measureFlags, message_).height();
        p.setLayoutDirection(Qt::RightToLeft);
        const int h2 = p.boundingRect(QRect(kMessageSide, 0, w - 2 * kMessageSide, 10000),
                                      measureFlags, arabic_).height();
        p.setLayoutDirection(Qt::LeftToRight);
        const CountdownLayout l = LayoutCountdown(w, h1, h2);

        if (!icon_.isNull()) p.drawPixmap(ToRect(l.icon), icon_);

        const int oneLine = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
        p.setFont(UiFont(24, true));
        p.setPen(kAccent);
        p.drawText(ToRect(l.title), oneLine, title_);
        p.setPen(QPen(kAccent, 1));
        p.drawLine(l.ruleLeft, l.ruleY, l.ruleRight, l.ruleY);

        p.setFont(UiFont(16, false));
        p.setPen(kMessageColour);
        p.drawText(ToRect(l.message), measureFlags, message_);
        p.setLayoutDirection(Qt::RightToLeft);
        p.setPen(kArabicColour);
        p.drawText(ToRect(l.arabicMessage), measureFlags, arabic_);
        p.setLayoutDirection(Qt::LeftToRight);

        p.setPen(QPen(kAccent, 3));
        p.setBrush(kCodeFill);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawEllipse(ToRect(l.disc));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setFont(UiFont(60, true));
        p.setPen(kAccent);
        p.drawText(ToRect(l.seconds), Qt::AlignCenter | Qt::TextSingleLine, QString::number(seconds_));

        p.setFont(UiFont(13, false));
        p.setPen(kLineColour);
        p.drawText(ToRect(l.englishLine), oneLine, QString::fromStdWString(CountdownEnglishLine(seconds_)));
        p.setLayoutDirection(Qt::RightToLeft);
        p.drawText(ToRect(l.arabicLine), oneLine, QString::fromStdWString(CountdownArabicLine(seconds_)));
        p.setLayoutDirection(Qt::LeftToRight);

        if (code_.isEmpty()) return;
        p.setPen(kAccent);
        p.drawText(ToRect(l.codeHeader), oneLine, QString::fromStdWString(CountdownCodeHeader()));
        p.setPen(QPen(kAccent, 1));
        p.setBrush(kCodeFill);
        p.drawRect(ToRect(l.codeBox));
        p.setBrush(Qt::NoBrush);
        p.setFont(CodeFont());
        const QRect codeRect = ToRect(l.code);
        p.drawText(codeRect, Qt::AlignCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(code_, Qt::ElideRight, codeRect.width()));
        p.setFont(UiFont(13, false));
        p.setPen(kNoteColour);
        p.drawText(ToRect(l.codeNote), oneLine, QString::fromStdWString(CountdownCodeNote()));
    }

    // The whole window drags.
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && windowHandle()) windowHandle()->startSystemMove();
    }

    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        loop_.quit();
    }

private:
    void Tick() {
        if (--seconds_ > 0) {
            update();
            return;
        }
        timer_.stop();
        loop_.quit();
    }

    QString title_, message_, arabic_, code_;
    int seconds_;
    QEventLoop& loop_;
    QTimer timer_;
    QPixmap icon_;
};

}  // namespace

bool RunCountdownNotice(const std::wstring& title, const std::wstring& message,
                        const std::wstring& arabicMessage, const std::wstring& code, int seconds) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    QEventLoop loop;
    CountdownNotice notice(QString::fromStdWString(title), QString::fromStdWString(message),
                           QString::fromStdWString(arabicMessage), QString::fromStdWString(code),
                           seconds, loop);
    const QRect area = screen->geometry();
    const WindowOrigin at = CentredOrigin(area.width(), area.height(), notice.width(), notice.height());
    notice.move(area.x() + at.x, area.y() + at.y);
    notice.Start();
    if (!notice.isVisible()) return false;
    loop.exec();
    return true;
}

}  // namespace pellaro

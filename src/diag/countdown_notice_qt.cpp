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

#include <cstdint>

#include "diag/countdown_notice_style.h"
#include "diag/diagnostic_dialog_content.h"

// The resource file is linked from a static library: register it explicitly.
static void RegisterProgramResources() { Q_INIT_RESOURCE(resources); }

namespace pellaro {
namespace {

namespace style = countdown_style;

QColor ToColour(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

// Heights are pixel heights, as the table gives them.
QFont MakeFont(const style::Font& f) {
    QFont font(QString::fromWCharArray(f.face));
    font.setStyleHint(f.fixedPitch ? QFont::Monospace : QFont::SansSerif);
    if (f.fixedPitch) font.setFixedPitch(true);
    font.setPixelSize(f.height);
    font.setWeight(f.weight >= 700 ? QFont::Bold : QFont::Normal);
    return font;
}

int ToFlags(const style::TextFormat& f) {
    if (f.wrap) return Qt::AlignHCenter | Qt::TextWordWrap;
    if (f.centreVertically) return Qt::AlignCenter | Qt::TextSingleLine;
    return Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
}

QRect ToRect(const Box& b) { return QRect(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1)); }

int MeasureWrapped(QPainter& p, const QString& text, int width, const style::TextFormat& format) {
    p.save();
    p.setFont(MakeFont(style::kMessageFont));
    p.setLayoutDirection(format.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    const int height = p.boundingRect(QRect(kMessageSide, kMessageTop, width - 2 * kMessageSide, 10000),
                                      ToFlags(format), text).height();
    p.restore();
    return height;
}

void DrawStep(QPainter& p, const style::Step& s, const QPixmap& icon) {
    p.save();
    const QRect rect = ToRect(s.box);
    switch (s.kind) {
        case style::Step::Kind::fill:
            p.fillRect(rect, ToColour(s.colour));
            break;
        case style::Step::Kind::icon:
            if (!icon.isNull()) p.drawPixmap(rect, icon);
            break;
        case style::Step::Kind::line:
            p.setPen(QPen(ToColour(s.colour), s.pen));
            p.drawLine(s.box.left, s.box.top, s.box.right, s.box.top);
            break;
        case style::Step::Kind::ellipse:
            p.setPen(QPen(ToColour(s.colour), s.pen));
            p.setBrush(ToColour(s.fill));
            p.setRenderHint(QPainter::Antialiasing, true);
            p.drawEllipse(rect);
            break;
        case style::Step::Kind::rectangle:
            p.setPen(QPen(ToColour(s.colour), s.pen));
            p.setBrush(ToColour(s.fill));
            p.drawRect(rect);
            break;
        case style::Step::Kind::text: {
            p.setFont(MakeFont(s.font));
            p.setPen(ToColour(s.colour));
            p.setLayoutDirection(s.format.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
            QString text = QString::fromStdWString(s.text);
            if (s.format.ellipsis) text = p.fontMetrics().elidedText(text, Qt::ElideRight, rect.width());
            p.drawText(rect, ToFlags(s.format), text);
            break;
        }
    }
    p.restore();
}

class CountdownNotice : public QWidget {
public:
    CountdownNotice(style::Texts texts, int seconds, QEventLoop& loop)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          texts_(std::move(texts)), seconds_(seconds), loop_(loop) {
        setWindowTitle(QString::fromWCharArray(kCountdownWindowTitle));
        setObjectName(QString::fromWCharArray(kCountdownWindowId));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kCountdownWidth, CountdownHeight(!texts_.code.empty()));
        RegisterProgramResources();
        icon_ = QIcon(QStringLiteral(":/pellaro/app.ico")).pixmap(style::kIconSize, style::kIconSize);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    }

    void Start() {
        timer_.start(style::kTickMilliseconds);
        show();
        raise();
        activateWindow();
        QApplication::beep();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), ToColour(style::kBackground));
        p.setPen(ToColour(style::kFrameColour));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        // The steps are laid out for the area inside the frame.
        p.translate(1, 1);
        const int w = width() - 2;
        const int h = height() - 2;
        const int h1 = MeasureWrapped(p, QString::fromStdWString(texts_.message), w, style::kWrapped);
        const int h2 = MeasureWrapped(p, QString::fromStdWString(texts_.arabicMessage), w,
                                      style::kWrappedRightToLeft);
        for (const style::Step& step : style::PaintSteps(w, h, h1, h2, texts_, seconds_)) DrawStep(p, step, icon_);
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

    style::Texts texts_;
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
    CountdownNotice notice({title, message, arabicMessage, code}, seconds, loop);
    const QRect area = screen->geometry();
    const WindowOrigin at = CentredOrigin(area.width(), area.height(), notice.width(), notice.height());
    notice.move(area.x() + at.x, area.y() + at.y);
    notice.Start();
    if (!notice.isVisible()) return false;
    loop.exec();
    return true;
}

}  // namespace pellaro

#include "diag/countdown_notice.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QtMath>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdint>

#include "core/dpi_scale.h"
#include "diag/countdown_notice_style.h"
#include "diag/diagnostic_dialog_content.h"
#include "platform/window_system_qt.h"

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

// A font whose line is taller than its box (a fallback face, a fractional
// scale) overflows into the gap below rather than losing its descenders.
int ToFlags(const style::TextFormat& f) {
    if (f.wrap) return Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextDontClip;
    if (f.centreVertically) return Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip;
    return Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
}

QRect ToRect(const Box& b) { return QRect(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1)); }

int MeasureWrapped(QPainter& p, const QString& text, int width, const style::TextFormat& format) {
    p.save();
    p.setFont(MakeFont(style::kMessageFont));
    p.setLayoutDirection(format.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    const int height = p.boundingRect(QRect(kMessageSide, kMessageTop, width - 2 * kMessageSide, 10000),
                                      ToFlags(format), text)
                           .height();
    p.restore();
    return height;
}

void DrawStep(QPainter& p, const style::Step& s, const QPixmap& icon) {
    p.save();
    const QRect rect = ToRect(s.box);
    switch (s.kind) {
        case style::Step::Kind::fill: p.fillRect(rect, ToColour(s.colour)); break;
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

// Qt lays out in device-independent pixels, scaled by the screen. A screen
// too small for the whole notice at its scale gets a smaller notice, as on
// Windows: the factor (at most 1) the notice is drawn at.
qreal FitScale(const QScreen* screen, bool hasCode) {
    if (!screen) return 1.0;
    const qreal ratio = screen->devicePixelRatio();
    const QRect area = screen->availableGeometry();
    const int dpi = qRound(kBaseDpi * ratio);
    const int fitted = CountdownDpi(dpi, hasCode, qRound(area.width() * ratio), qRound(area.height() * ratio));
    return static_cast<qreal>(fitted) / dpi;
}

class CountdownNotice;
// The notice shown now: the accessibility factory tells it apart by address
// (it sees every object, some of the engine's built without type information).
CountdownNotice* g_shown = nullptr;

class CountdownNotice : public QWidget {
public:
    CountdownNotice(style::Texts texts, int seconds, QEventLoop& loop, qreal scale)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          texts_(std::move(texts)),
          seconds_(seconds),
          loop_(loop),
          scale_(scale) {
        setWindowTitle(QString::fromWCharArray(kCountdownWindowTitle));
        setObjectName(QString::fromWCharArray(kCountdownWindowId));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(qCeil(kCountdownWidth * scale_), qCeil(CountdownHeight(!texts_.code.empty()) * scale_));
        RegisterProgramResources();
        icon_ = QIcon(QStringLiteral(":/pellaro/app.ico")).pixmap(style::kIconSize, style::kIconSize);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        g_shown = this;
    }
    ~CountdownNotice() override {
        if (g_shown == this) g_shown = nullptr;
    }

    void Start() {
        timer_.start(style::kTickMilliseconds);
        BringForward(this);
        QApplication::beep();
    }

    // What a screen reader says: the notice's texts, as painted, one a line.
    QString SpokenText() const {
        QStringList lines{QString::fromStdWString(texts_.message), QString::fromStdWString(texts_.arabicMessage),
                          QString::fromStdWString(CountdownEnglishLine(seconds_)),
                          QString::fromStdWString(CountdownArabicLine(seconds_))};
        if (!texts_.code.empty()) {
            lines << QString::fromStdWString(CountdownCodeHeader()) << QString::fromStdWString(texts_.code)
                  << QString::fromStdWString(CountdownCodeNote());
        }
        return lines.join(QLatin1Char('\n'));
    }
    QString Title() const { return QString::fromStdWString(texts_.title); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), ToColour(style::kBackground));
        p.setPen(ToColour(style::kFrameColour));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        // The steps are laid out for the area inside the frame, at the fitted scale.
        p.translate(1, 1);
        p.scale(scale_, scale_);
        const int w = qRound((width() - 2) / scale_);
        const int h = qRound((height() - 2) / scale_);
        const int h1 = MeasureWrapped(p, QString::fromStdWString(texts_.message), w, style::kWrapped);
        const int h2 = MeasureWrapped(p, QString::fromStdWString(texts_.arabicMessage), w, style::kWrappedRightToLeft);
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
    qreal scale_;
    QTimer timer_;
    QPixmap icon_;
};

// Screen readers meet the notice as an alert: its title as the name, its
// texts (the countdown and the code among them) as the description.
class CountdownAccessible : public QAccessibleWidget {
public:
    explicit CountdownAccessible(CountdownNotice* notice) : QAccessibleWidget(notice, QAccessible::AlertMessage) {}
    QString text(QAccessible::Text t) const override {
        const auto* notice = static_cast<const CountdownNotice*>(widget());
        if (t == QAccessible::Name) return notice->Title();
        if (t == QAccessible::Description) return notice->SpokenText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* CountdownAccessibleFactory(const QString&, QObject* object) {
    if (!g_shown || object != g_shown) return nullptr;
    return new CountdownAccessible(g_shown);
}

}  // namespace

bool RunCountdownNotice(const std::wstring& title, const std::wstring& message, const std::wstring& arabicMessage,
                        const std::wstring& code, int seconds) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(CountdownAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    QEventLoop loop;
    CountdownNotice notice({title, message, arabicMessage, code}, seconds, loop, FitScale(screen, !code.empty()));
    const QRect area = screen->geometry();
    const WindowOrigin at = CentredOrigin(area.width(), area.height(), notice.width(), notice.height());
    PlaceWindow(&notice, QPoint(area.x() + at.x, area.y() + at.y));
    notice.Start();
    if (!notice.isVisible()) return false;
    loop.exec();
    return true;
}

}  // namespace pellaro

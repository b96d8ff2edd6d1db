#include "print/printer_dialog.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>

#include <cmath>

#include "platform/window_system_qt.h"
#include "print/printer_dialog_style.h"

namespace pellaro::print {
namespace {

namespace d = dialog;

QColor Rgb(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

// Fonts by pixel height and weight; "Segoe UI" where installed, else the
// closest sans-serif face.
QFont MakeFont(d::FontSpec spec) {
    QFont font(QString::fromWCharArray(d::kFontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(-spec.height);
    font.setWeight(static_cast<QFont::Weight>(spec.weight));
    return font;
}

QRect ToPixels(const d::DluRect& r) {
    const auto x = [](int units) { return static_cast<int>(std::lround(units * d::kPixelsPerHorizontalUnit)); };
    const auto y = [](int units) { return static_cast<int>(std::lround(units * d::kPixelsPerVerticalUnit)); };
    return QRect(x(r.x), y(r.y), x(r.cx), y(r.cy));
}

// A GDI rounded rectangle's "corner" is the ellipse's width: the radius is half.
void FillRounded(QPainter& p, const QRectF& rect, int corner, const QColor& fill, const QColor* border) {
    p.setBrush(fill);
    if (border) {
        p.setPen(QPen(*border, 1));
    } else {
        p.setPen(Qt::NoPen);
    }
    p.drawRoundedRect(rect, corner / 2.0, corner / 2.0);
}

// The keyboard focus: a ring inside the focused card or button.
void FocusRing(QPainter& p, const QRectF& rect) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Rgb(d::kFocusRingColour), 1));
    p.drawRoundedRect(rect.adjusted(d::kFocusRingInset, d::kFocusRingInset, -d::kFocusRingInset, -d::kFocusRingInset),
                      d::kFocusRingCorner / 2.0, d::kFocusRingCorner / 2.0);
}

constexpr int kDefaultRole = Qt::UserRole + 1;

class PrinterCardDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), d::kItemHeight);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!index.isValid()) return;
        const bool selected = option.state & QStyle::State_Selected;
        const bool isDefault = index.data(kDefaultRole).toBool();
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->fillRect(option.rect, Rgb(d::kListBackground));
        const QRectF card = QRectF(option.rect)
                                .adjusted(d::kCardInsetX + 0.5, d::kCardInsetY + 0.5, -d::kCardInsetX - 0.5,
                                          -d::kCardInsetY - 0.5);
        const QColor border = Rgb(selected ? d::kSelectedCardBorder : d::kCardBorder);
        FillRounded(*p, card, d::kCardCorner, Rgb(selected ? d::kSelectedCardFill : d::kCardFill), &border);
        if (option.state & QStyle::State_HasFocus) FocusRing(*p, card);

        const QFont nameFont = MakeFont(selected ? d::kSemiboldFont : d::kNormalFont);
        const QRectF nameRect = card.adjusted(d::kNameLeft, 0, -(isDefault ? d::kNameRightWithBadge : d::kNameRight),
                                              0);
        p->setFont(nameFont);
        p->setPen(Rgb(selected ? d::kSelectedCardText : d::kCardText));
        const QString name = QFontMetrics(nameFont).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                               static_cast<int>(nameRect.width()));
        p->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);

        if (isDefault) {
            const QRectF badge(card.right() - d::kBadgeRight - d::kBadgeWidth,
                               card.center().y() - d::kBadgeHeight / 2.0, d::kBadgeWidth, d::kBadgeHeight);
            FillRounded(*p, badge, d::kBadgeCorner, Rgb(selected ? d::kSelectedBadgeFill : d::kBadgeFill), nullptr);
            p->setFont(MakeFont(d::kBadgeFont));
            p->setPen(Rgb(selected ? d::kSelectedBadgeText : d::kBadgeText));
            p->drawText(badge, Qt::AlignCenter | Qt::TextSingleLine, QString::fromWCharArray(d::kDefaultBadge));
        }
        p->restore();
    }
};

struct ButtonColours {
    std::uint32_t fill, border, pressedFill, pressedBorder, text;
};

class PaintedButton : public QPushButton {
public:
    PaintedButton(const wchar_t* text, ButtonColours colours, QWidget* parent)
        : QPushButton(QString::fromWCharArray(text), parent), colours_(colours) {
        setAutoDefault(false);
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), Rgb(d::kDialogBackground));
        const bool pressed = isDown();
        const QColor border = Rgb(pressed ? colours_.pressedBorder : colours_.border);
        FillRounded(p, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), d::kButtonCorner,
                    Rgb(pressed ? colours_.pressedFill : colours_.fill), &border);
        if (hasFocus()) FocusRing(p, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        p.setFont(MakeFont(d::kSemiboldFont));
        p.setPen(Rgb(colours_.text));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text().left(64));
    }

private:
    ButtonColours colours_;
};

class PrinterDialog : public QDialog {
public:
    PrinterDialog(QWidget* owner, const std::vector<PrinterEntry>& printers) : QDialog(owner) {
        setWindowTitle(QString::fromWCharArray(d::kTitle));
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        setModal(true);
        const QRect client = ToPixels(d::kDialogRect);
        setFixedSize(client.size());
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Rgb(d::kDialogBackground));
        palette.setColor(QPalette::WindowText, Rgb(d::kStaticTextColour));
        setPalette(palette);

        auto* heading = new QLabel(QString::fromWCharArray(d::kHeading), this);
        heading->setObjectName("heading");
        heading->setGeometry(ToPixels(d::kHeadingRect));
        heading->setFont(MakeFont(d::kTitleFont));
        heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);

        list_ = new QListWidget(this);
        list_->setObjectName("printerList");
        // Screen readers name the list by its heading.
        list_->setAccessibleName(heading->text());
        heading->setBuddy(list_);
        list_->setGeometry(ToPixels(d::kListRect));
        list_->setFrameShape(QFrame::NoFrame);
        list_->setItemDelegate(new PrinterCardDelegate(list_));
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setUniformItemSizes(true);
        list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        QPalette listPalette = list_->palette();
        listPalette.setColor(QPalette::Base, Rgb(d::kListBackground));
        listPalette.setColor(QPalette::Text, Rgb(d::kListTextColour));
        list_->setPalette(listPalette);
        list_->setFont(MakeFont(d::kNormalFont));

        auto* empty = new QLabel(QString::fromWCharArray(d::kEmptyMessage), this);
        empty->setObjectName("emptyMessage");
        empty->setGeometry(ToPixels(d::kEmptyMessageRect));
        empty->setFont(MakeFont(d::kNormalFont));
        empty->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

        print_ = new PaintedButton(
            d::kPrintText,
            {d::kPrintFill, d::kPrintBorder, d::kPrintPressedFill, d::kPrintPressedBorder, d::kPrintTextColour}, this);
        print_->setObjectName("print");
        print_->setGeometry(ToPixels(d::kPrintRect));
        auto* cancel = new PaintedButton(
            d::kCancelText,
            {d::kCancelFill, d::kCancelBorder, d::kCancelPressedFill, d::kCancelPressedBorder, d::kCancelTextColour},
            this);
        cancel->setObjectName("cancel");
        cancel->setGeometry(ToPixels(d::kCancelRect));

        connect(print_, &QPushButton::clicked, this, [this] { Print(); });
        connect(cancel, &QPushButton::clicked, this, [this] { Cancel(); });
        connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Print(); });

        if (printers.empty()) {
            list_->hide();
            print_->hide();
            empty->show();
            cancel->setFocus();
        } else {
            empty->hide();
            for (const auto& printer : printers) {
                auto* item = new QListWidgetItem(QString::fromStdWString(printer.name), list_);
                item->setData(kDefaultRole, printer.isDefault);
                if (printer.isDefault)
                    item->setData(Qt::AccessibleDescriptionRole, QString::fromWCharArray(d::kDefaultBadge));
            }
            list_->setCurrentRow(0);
            list_->setFocus();
        }

        // Centred on the primary screen, like the Windows dialog.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            PlaceWindow(this, area.center() - QPoint(width() / 2, height() / 2));
        }
    }

    const std::wstring& Chosen() const { return chosen_; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            Print();
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            Cancel();
            return;
        }
        QDialog::keyPressEvent(event);
    }

    void reject() override {
        chosen_.clear();
        QDialog::reject();
    }

private:
    void Print() {
        if (list_->isHidden()) return;  // nothing listed: only Cancel works
        // The selected card, however it was selected: a screen reader selects
        // without moving the keyboard's current item.
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        if (selected.isEmpty()) return;
        chosen_ = selected.first()->text().toStdWString();
        accept();
    }
    void Cancel() { reject(); }

    QListWidget* list_ = nullptr;
    PaintedButton* print_ = nullptr;
    std::wstring chosen_;
};

}  // namespace

std::wstring RunPrinterDialog(void* owner, const std::vector<PrinterEntry>& printers) {
    PrinterDialog dialog(static_cast<QWidget*>(owner), printers);
    BringForward(&dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Chosen();
}

}  // namespace pellaro::print

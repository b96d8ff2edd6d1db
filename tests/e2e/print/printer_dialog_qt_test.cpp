// The Linux picker run for real on Qt's offscreen platform: timers inside its
// modal loop inspect the widgets and the painted image and answer with keys,
// clicks and double clicks.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "print/printer_dialog.h"
#include "print/printer_dialog_style.h"

namespace pellaro::print {
namespace {

namespace d = dialog;
using Step = std::function<void(QDialog*)>;

class PrinterDialogQt : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "printer_dialog_qt_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }

    // Runs the dialog; each step runs once the dialog is up and the previous
    // step has been handled.
    std::wstring RunScripted(const std::vector<PrinterEntry>& printers, std::vector<Step> steps) {
        std::size_t next = 0;
        int waited = 0;
        QTimer ticker;
        ticker.setInterval(50);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) {
                if (++waited > 1200) {
                    ADD_FAILURE() << "the picker never appeared";
                    ticker.stop();
                }
                return;
            }
            if (next < steps.size()) {
                steps[next++](dialog);
                return;
            }
            ADD_FAILURE() << "the picker is still open after every step";
            ticker.stop();
            dialog->reject();
        });
        ticker.start();
        const std::wstring chosen = RunPrinterDialog(nullptr, printers);
        ticker.stop();
        EXPECT_EQ(next, steps.size()) << "the dialog closed before every step ran";
        return chosen;
    }

    static void Press(QDialog* dialog, int key) {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != dialog) target = dialog;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    static QListWidget* List(QDialog* dialog) { return dialog->findChild<QListWidget*>("printerList"); }
    static QPushButton* Button(QDialog* dialog, const char* name) { return dialog->findChild<QPushButton*>(name); }
};

const std::vector<PrinterEntry> kPrinters = {
    {L"Zeta Laser", L"usb://z", L"", true}, {L"A", L"usb://a", L"", false}, {L"b", L"usb://b", L"", false}};

QColor Rgb(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

TEST_F(PrinterDialogQt, ListsPrintersPaintsCardsAndEnterPrintsTheFirst) {
    const auto chosen = RunScripted(
        kPrinters,
        {
            [](QDialog* dialog) {
                EXPECT_EQ(dialog->windowTitle(), "Select Printer");
                EXPECT_EQ(dialog->size(), QSize(490, 420));
                QListWidget* list = List(dialog);
                ASSERT_NE(list, nullptr);
                ASSERT_EQ(list->count(), 3);
                EXPECT_EQ(list->item(0)->text(), "Zeta Laser");
                EXPECT_EQ(list->item(1)->text(), "A");
                EXPECT_EQ(list->item(2)->text(), "b");
                EXPECT_EQ(list->currentRow(), 0);
                EXPECT_EQ(list->visualItemRect(list->item(1)).height(), d::kItemHeight);
                EXPECT_FALSE(Button(dialog, "print")->isHidden());
                EXPECT_TRUE(dialog->findChild<QLabel*>("emptyMessage")->isHidden());
                EXPECT_EQ(dialog->findChild<QLabel*>("heading")->text(), "Select a physical printer:");

                const QImage image = dialog->grab().toImage();
                const auto at = [&](QPoint p) { return QColor(image.pixel(p)); };
                const auto inList = [&](QRect item, int dx, int dy) {
                    return list->mapTo(dialog, list->viewport()->mapToParent(item.topLeft() + QPoint(dx, dy)));
                };
                const QRect first = list->visualItemRect(list->item(0));
                const QRect second = list->visualItemRect(list->item(1));
                EXPECT_EQ(at(QPoint(3, 3)), Rgb(d::kDialogBackground));
                EXPECT_EQ(at(inList(first, 1, 1)), Rgb(d::kListBackground));
                EXPECT_EQ(at(inList(first, d::kCardInsetX + 6, first.height() / 2)), Rgb(d::kSelectedCardFill));
                EXPECT_EQ(at(inList(second, d::kCardInsetX + 6, second.height() / 2)), Rgb(d::kCardFill));
                // The badge of the selected default card, left of its text.
                const int badgeLeft = first.width() - d::kCardInsetX - d::kBadgeRight - d::kBadgeWidth;
                EXPECT_EQ(at(inList(first, badgeLeft + 4, first.height() / 2)), Rgb(d::kSelectedBadgeFill));
                const QPushButton* print = Button(dialog, "print");
                EXPECT_EQ(at(print->geometry().topLeft() + QPoint(6, print->height() / 2)), Rgb(d::kPrintFill));
            },
            [](QDialog* dialog) { Press(dialog, Qt::Key_Return); },
        });
    EXPECT_EQ(chosen, L"Zeta Laser");
}

TEST_F(PrinterDialogQt, EscapeReturnsEmpty) {
    EXPECT_EQ(RunScripted(kPrinters, {[](QDialog* dialog) { Press(dialog, Qt::Key_Escape); }}), L"");
}

TEST_F(PrinterDialogQt, PrintButtonAndDoubleClickTakeTheSelectedCard) {
    const auto byButton = RunScripted(kPrinters, {[](QDialog* dialog) {
                                          List(dialog)->setCurrentRow(2);
                                          Button(dialog, "print")->click();
                                      }});
    EXPECT_EQ(byButton, L"b");
    const auto byDoubleClick = RunScripted(kPrinters, {[](QDialog* dialog) {
                                               QListWidget* list = List(dialog);
                                               const QPoint centre = list->visualItemRect(list->item(1)).center();
                                               QWidget* viewport = list->viewport();
                                               const QPointF global = viewport->mapToGlobal(centre);
                                               QMouseEvent press(QEvent::MouseButtonPress, centre, global,
                                                                 Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                                               QMouseEvent release(QEvent::MouseButtonRelease, centre, global,
                                                                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                                               QMouseEvent twice(QEvent::MouseButtonDblClick, centre, global,
                                                                 Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                                               QApplication::sendEvent(viewport, &press);
                                               QApplication::sendEvent(viewport, &release);
                                               QApplication::sendEvent(viewport, &twice);
                                           }});
    EXPECT_EQ(byDoubleClick, L"A");
}

TEST_F(PrinterDialogQt, CancelButtonReturnsEmpty) {
    EXPECT_EQ(RunScripted(kPrinters, {[](QDialog* dialog) { Button(dialog, "cancel")->click(); }}), L"");
}

TEST_F(PrinterDialogQt, NoPrintersShowsTheMessageWithOnlyCancel) {
    const auto chosen = RunScripted({}, {
                                            [](QDialog* dialog) {
                                                EXPECT_TRUE(List(dialog)->isHidden());
                                                EXPECT_TRUE(Button(dialog, "print")->isHidden());
                                                EXPECT_FALSE(Button(dialog, "cancel")->isHidden());
                                                const auto* message = dialog->findChild<QLabel*>("emptyMessage");
                                                EXPECT_FALSE(message->isHidden());
                                                EXPECT_EQ(message->text(),
                                                          "No physical printers found.\nPlease connect a printer.");
                                                Press(dialog, Qt::Key_Return);  // nothing to print: the dialog stays
                                            },
                                            [](QDialog* dialog) { Press(dialog, Qt::Key_Escape); },
                                        });
    EXPECT_EQ(chosen, L"");
}

}  // namespace
}  // namespace pellaro::print

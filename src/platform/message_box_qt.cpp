#include "platform/message_box.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "platform/debug_log.h"
#include "platform/window_system_qt.h"
#include "core/text.h"

namespace pellaro {
namespace {

QString ToQt(const std::wstring& text) { return QString::fromStdWString(text); }

}  // namespace

MessageAnswer ShowMessageBox(const MessageBoxSpec& spec) {
    DebugLine("MessageBox: " + ToUtf8(spec.caption) + " | " + ToUtf8(spec.text));
    QMessageBox box(static_cast<QWidget*>(spec.owner));
    box.setWindowTitle(ToQt(spec.caption));
    box.setText(ToQt(spec.text));
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    switch (spec.icon) {
        case MessageIcon::None: break;
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (spec.buttons) {
        case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            break;
    }
    if (spec.rtlReading) box.setLayoutDirection(Qt::RightToLeft);
    if (spec.rightAligned) box.setTextFormat(Qt::PlainText);
    BringForward(&box);
    switch (box.exec()) {
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: return MessageAnswer::Ok;
    }
}

}  // namespace pellaro

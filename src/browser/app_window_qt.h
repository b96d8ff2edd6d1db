#pragma once
// Linux edition: the frame of the home window and of the player window,
// made and owned by the program's AppWindows.
#include <QPointer>
#include <QWidget>

#include "browser/app_windows.h"

namespace pellaro {

class AppWindow : public QWidget {
public:
    enum class Kind { Home, Player };
    AppWindow(AppWindows& owner, Kind kind);
    ~AppWindow() override;

    Kind WindowKind() const { return kind_; }
    // Puts the browser (or any widget) over the loading text, filling the window.
    void SetContentWidget(QWidget* content);
    QWidget* ContentWidget() const { return content_; }
    // Closing no longer tells the owner (it is going).
    void ReleaseOwner() { owner_ = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    AppWindows* owner_;
    Kind kind_;
    QPointer<QWidget> content_;
};

}  // namespace pellaro

#pragma once
// Linux edition: the frame of the home window and of the player window.
#include <QPointer>
#include <QWidget>

namespace pellaro {

class AppWindow : public QWidget {
public:
    enum class Kind { Home, Player };
    explicit AppWindow(Kind kind);
    ~AppWindow() override;

    Kind WindowKind() const { return kind_; }
    // Puts the browser (or any widget) over the loading text, filling the window.
    void SetContentWidget(QWidget* content);
    QWidget* ContentWidget() const { return content_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Kind kind_;
    QPointer<QWidget> content_;
};

// The windows created so far; null before.
AppWindow* HomeWindow();
AppWindow* PlayerFrame();

}  // namespace pellaro

// Loads the browser engine and lets it call a request filter of ours. With
// --leak the filter leaks a block it allocates, so the leak's stack holds our
// function with the engine's frames above it: the report check must count
// that leak as ours (report_check_test.py). Exits 0 once the filter was called.
#include <QGuiApplication>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

int* volatile g_block = nullptr;

class LeakingFilter : public QWebEngineUrlRequestInterceptor {
public:
    explicit LeakingFilter(bool leak) : leak_(leak) {}
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        ++calls;
        if (leak_) {  // the only pointer to the block is dropped
            g_block = new int[32];
            g_block[0] = calls;
            g_block = nullptr;
        }
        info.block(true);
    }
    int calls = 0;

private:
    bool leak_;
};

}  // namespace

int main(int argc, char** argv) {
    const bool leak = argc > 1 && std::strcmp(argv[1], "--leak") == 0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    LeakingFilter filter(leak);
    QWebEngineProfile profile;  // off the record
    profile.setUrlRequestInterceptor(&filter);
    {
        QWebEnginePage page(&profile);
        QObject::connect(&page, &QWebEnginePage::loadFinished, &app, &QCoreApplication::quit);
        QTimer::singleShot(60000, &app, &QCoreApplication::quit);
        page.load(QUrl(QStringLiteral("http://127.0.0.1:9/")));
        app.exec();
    }
    return filter.calls > 0 ? 0 : 3;
}

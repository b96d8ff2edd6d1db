// The yardstick for the player's start-up: the smallest Qt WebEngine window
// that loads one page. Prints "loadFinished <ok|failed>" when the page is in
// and exits. The benchmark's backend uses a test certificate chain, which is
// accepted here for loopback only; the player checks it against its pins.
#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s URL PROFILE_FOLDER\n", argv[0]);
        return 2;
    }
    QWebEngineProfile profile(QStringLiteral("StartupBench"));
    profile.setPersistentStoragePath(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/Storage"));
    profile.setCachePath(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/Cache"));
    auto* page = new QWebEnginePage(&profile);
    QWebEngineView view;
    view.setPage(page);
    view.resize(1280, 720);
    QObject::connect(page, &QWebEnginePage::certificateError, [](const QWebEngineCertificateError& error) {
        QWebEngineCertificateError answer(error);
        const QString host = error.url().host();
        if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")))
            answer.acceptCertificate();
        else answer.rejectCertificate();
    });
    QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool ok) {
        std::fprintf(stderr, "loadFinished %s\n", ok ? "ok" : "failed");
        std::fflush(stderr);
        QTimer::singleShot(0, &app, [&] {
            view.setPage(nullptr);
            delete page;
            app.quit();
        });
    });
    view.show();
    page->load(QUrl(QString::fromLocal8Bit(argv[1])));
    return app.exec();
}

// The HTML diagnostic dialog of the Linux edition: a detached copy of the
// player that shows the document in a web view and keeps the code on the
// clipboard for as long as it runs.
#include "diag/diagnostic_dialog_mode.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <unistd.h>

#include "diag/diagnostic_dialog_content.h"
#include "diag/diagnostic_dialog_file.h"
#include "platform/debug_log.h"
#include "platform/window_system_qt.h"

static void RegisterProgramResources() { Q_INIT_RESOURCE(resources); }

namespace pellaro {
namespace {

constexpr int kBadDialogFile = 2;

// Only files the player itself wrote: in the temp folder, with its name
// pattern, owned by this user. They are deleted once read.
bool IsOwnDialogFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.absoluteDir() == QDir(QDir::tempPath()) &&
           info.fileName().startsWith(QStringLiteral("pellaro-diagnostic-")) &&
           info.ownerId() == static_cast<uint>(geteuid());
}

}  // namespace

bool IsDiagnosticDialogMode(int argc, char** argv) {
    return argc >= 3 && argv[1] && std::strcmp(argv[1], kDiagnosticDialogSwitch) == 0;
}

int RunDiagnosticDialogMode(int argc, char** argv) {
    if (!IsDiagnosticDialogMode(argc, argv)) return kBadDialogFile;
    // Descriptors inherited from the player (its single-instance lock above
    // all) must not live on with the dialog.
    close_range(3, ~0U, 0);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (!IsOwnDialogFile(path)) {
        DebugLine("Diagnostic dialog: refusing a file the player did not write");
        return kBadDialogFile;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return kBadDialogFile;
    const QByteArray bytes = file.readAll();
    file.close();
    file.remove();
    const std::optional<DiagnosticDialogFile> content = ParseDiagnosticDialogFile(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!content) return kBadDialogFile;
    const QString document = QString::fromStdString(content->document);
    const QString code = QString::fromStdString(content->code);
    const QString title = QString::fromStdString(content->title);

    // Chromium refuses to run as root with its sandbox on.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    LetScreenReadersIntoWebPages();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(true);
    RegisterProgramResources();
    app.setWindowIcon(QIcon(QStringLiteral(":/pellaro/app.ico")));
    QGuiApplication::clipboard()->setText(code);

    QWebEngineView view;
    view.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    view.setAttribute(Qt::WA_DeleteOnClose, false);
    view.setWindowTitle(title);
    view.setFixedSize(kDialogWidth, kDialogHeight);
    view.setContextMenuPolicy(Qt::NoContextMenu);
    QWebEnginePage* page = view.page();
    // The copy button uses document.execCommand('copy').
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    QObject::connect(page, &QWebEnginePage::windowCloseRequested, &view, &QWidget::close);
    QObject::connect(page, &QWebEnginePage::titleChanged, &view, &QWidget::setWindowTitle);
    // The document stays as it is; screen readers get a name for the code box.
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [page](bool) {
        page->runJavaScript(
            QStringLiteral("var c=document.getElementById('dc');if(c)c.setAttribute('aria-label','%1');")
                .arg(QString::fromStdWString(DiagnosticCodeFieldName())));
    });
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const WindowOrigin at = CentredOrigin(area.width(), area.height(), kDialogWidth, kDialogHeight);
        PlaceWindow(&view, QPoint(area.x() + at.x, area.y() + at.y));
    }
    view.setHtml(document, QUrl(QStringLiteral("about:blank")));
    view.show();
    BringForward(&view);
    DebugLine("Diagnostic dialog shown");
    return app.exec();
}

}  // namespace pellaro

#include "shell/runtime_gate_qt.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QString>

#include "platform/message_box.h"

namespace pellaro {

WebEngineGateSeam SystemWebEngineGateSeam() {
    WebEngineGateSeam seam;
    seam.helperPath = WebEngineHelperPath(qEnvironmentVariable("QTWEBENGINEPROCESS_PATH").toStdWString(),
                                          QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath).toStdWString());
    seam.isExecutableFile = [](const std::wstring& path) {
        const QFileInfo info(QString::fromStdWString(path));
        return info.isFile() && info.isExecutable();
    };
    seam.messageBox = ShowMessageBox;
    return seam;
}

bool RuntimeGate() { return RunWebEngineGate(SystemWebEngineGateSeam()); }

}  // namespace pellaro

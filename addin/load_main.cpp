// Load: opens the add-in or a template named on the command line in
// LibreOffice, shows a splash form for a moment and ends.
#include <QApplication>

#include "addin/CLoadForm.h"
#include "addin/Launcher.h"
#include "ui/QtPrompter.h"

int main(int argc, char** argv) {
    // The whole command line is the file name; Qt's own options are not ours.
    const std::string file = qm::addin::CommandLineFile(argc, argv);
    QApplication app(argc, argv);
    QtPrompter prompter;
    CLoadForm form;
    qm::addin::Launcher launcher(prompter, qm::addin::ConnectAddinOffice);
    const bool opened = launcher.Run(file);
    form.setWindowTitle(QString::fromStdString(launcher.caption()));
    if (!opened) return 1;
    form.setLabel(QString::fromStdString(launcher.label()));
    form.showAndClose();
    return app.exec();
}

// addinclean: removes the add-in's toolbar and disables the add-in in
// LibreOffice, then ends.
#include <QApplication>

#include "addin/CAddinCleanDlg.h"
#include "ui/QtPrompter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtPrompter prompter;
    std::string why;
    if (!qm::addin::OfficeRuntimeReady(&why)) {
        prompter.error(qm::addin::remover_texts::kNoRuntime, qm::addin::remover_texts::kCaption);
        return 1;
    }
    CAddinCleanDlg dialog(prompter, qm::addin::ConnectAddinOffice);
    dialog.exec();
    return dialog.result() == QDialog::Accepted ? 0 : 1;
}

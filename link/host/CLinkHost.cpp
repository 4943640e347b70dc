#include "link/host/CLinkHost.h"

#include <QAbstractButton>
#include <QTreeWidget>

using qm::linkhost::HostCommand;

CLinkHost::CLinkHost(qm::Prompter& prompter, qm::Clock& clock, qm::linkhost::HostOffice& office,
                     QObject* parent)
    : QObject(parent), core_(prompter, clock, office) {
    // The engine never sleeps: its timer runs from here.
    tick_.setInterval(10);
    connect(&tick_, &QTimer::timeout, this, [this] {
        core_.Tick();
    });
    tick_.start();
    watch_.setInterval(1000);
    connect(&watch_, &QTimer::timeout, this, &CLinkHost::WatchOffice);
    watch_.start();
}

CLinkHost::~CLinkHost() = default;

template <class F>
static F& Make(std::unique_ptr<F>& form, qm::linkhost::AddinHost& core) {
    if (!form) form = std::make_unique<F>(core);
    return *form;
}

CAboutLinkDlg& CLinkHost::about() {
    if (!about_) {
        about_ = std::make_unique<CAboutLinkDlg>(core_);
        connect(about_.get(), &CAboutLinkDlg::languageChanged, this, &CLinkHost::RefreshAll);
    }
    return *about_;
}
CConnectDlg& CLinkHost::connectForm() { return Make(connect_, core_); }
CFileAccessDlg& CLinkHost::files() { return Make(files_, core_); }
CSetupDlg& CLinkHost::setup() { return Make(setup_, core_); }
CReadingDlg& CLinkHost::reading() { return Make(reading_, core_); }
CLoggingChartsDlg& CLinkHost::charts() { return Make(charts_, core_); }

void CLinkHost::ShowForm(CLinkForm& form) {
    form.Refresh();
    form.show();
    form.raise();
    form.activateWindow();
}

void CLinkHost::RefreshAll() {
    for (CLinkForm* f : std::initializer_list<CLinkForm*>{connect_.get(), files_.get(), setup_.get(),
                                                          reading_.get(), charts_.get()})
        if (f && f->isVisible()) f->Refresh();
}

void CLinkHost::Handle(HostCommand command) {
    switch (command) {
        case HostCommand::About: ShowForm(about()); break;
        case HostCommand::Connect: ShowForm(connectForm()); break;
        case HostCommand::Files: ShowForm(files()); break;
        case HostCommand::Funcs: ShowForm(setup()); break;
        case HostCommand::Meas: ShowForm(reading()); break;
        case HostCommand::Chart: ShowForm(charts()); break;
        case HostCommand::Start: core_.Start(); break;
        case HostCommand::Pause: core_.Pause(); break;
        case HostCommand::Stop: core_.Stop(); break;
    }
}

bool CLinkHost::HandleMacro(const std::string& macro) {
    const auto command = qm::linkhost::CommandFromMacro(macro);
    if (!command) return false;
    Handle(*command);
    return true;
}

CLinkForm* CLinkHost::ShownForm(const std::string& name) const {
    for (CLinkForm* f : std::initializer_list<CLinkForm*>{about_.get(), connect_.get(), files_.get(),
                                                          setup_.get(), reading_.get(), charts_.get()})
        if (f && f->isVisible() && f->objectName() == QString::fromStdString(name)) return f;
    return nullptr;
}

std::string CLinkHost::Drive(const qm::linkhost::HostRequest& request) {
    using Kind = qm::linkhost::HostRequest::Kind;
    if (request.kind == Kind::Command) {
        const auto command = qm::linkhost::CommandFromMacro(request.name);
        if (!command) return "unknown command";
        // After the answer: a form may take a while to come up.
        QTimer::singleShot(0, this, [this, c = *command] { Handle(c); });
        return {};
    }
    CLinkForm* form = ShownForm(request.name);
    if (!form) return request.name + " is not shown";
    QWidget* control = form->findChild<QWidget*>(QString::fromStdString(request.control));
    if (!control || !control->isVisibleTo(form)) return "no control " + request.control + " on " + request.name;
    if (!control->isEnabled()) return request.control + " is disabled";
    if (request.kind == Kind::Select) {
        auto* list = qobject_cast<QTreeWidget*>(control);
        if (!list) return request.control + " is not a list";
        if (request.row > list->topLevelItemCount()) return "no row " + std::to_string(request.row);
        // As a click: the row becomes the current one, which the list control follows.
        QTreeWidgetItem* item = list->topLevelItem(request.row - 1);
        list->setCurrentItem(item);
        emit list->itemClicked(item, 0);
        return {};
    }
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button) return request.control + " is not a button";
    // A button may open a message box: the answer goes first.
    QTimer::singleShot(0, button, &QAbstractButton::click);
    return {};
}

void CLinkHost::WatchOffice() {
    if (core_.officeLost() || core_.CheckOffice()) return;
    watch_.stop();
    tick_.stop();
    for (QDialog* f : std::initializer_list<QDialog*>{about_.get(), connect_.get(), files_.get(),
                                                     setup_.get(), reading_.get(), charts_.get()})
        if (f) f->hide();
    emit officeGone();
}

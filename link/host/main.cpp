// qmlink: the host of the add-in's forms and of the link engine. The
// toolbar's macros start it as `qmlink --office UNO-URL --command MACRO`;
// the first one stays and serves, later ones hand their command over.
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "link/host/CLinkHost.h"
#include "link/host/HostSocket.h"
#include "ui/QtPrompter.h"

namespace {

constexpr const char* kUsage = "usage: qmlink [--office UNO-URL] [--command MACRO]\n";

// Only this user's processes may talk to the host.
bool SameUser(qintptr fd) {
    struct ucred cred {};
    socklen_t length = sizeof cred;
    return getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 &&
           cred.uid == getuid();
}

// Started from a toolbar button, the host has no terminal of its own: what
// it tells the user also goes to its standard error, for whoever keeps that.
class HostPrompter : public QtPrompter {
  public:
    qm::PromptAnswer message(const qm::PromptMessage& m) override {
        std::fprintf(stderr, "qmlink: %s: %s\n", m.caption.c_str(), m.text.c_str());
        return QtPrompter::message(m);
    }
};

int HandOver(const QString& path, const std::string& command) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000)) return -1;
    socket.write(QByteArray::fromStdString("command " + command + "\n"));
    socket.waitForBytesWritten(2000);
    socket.waitForReadyRead(5000);
    const QByteArray reply = socket.readLine().trimmed();
    if (reply != "ok") std::fprintf(stderr, "qmlink: %s\n", reply.isEmpty() ? "no answer" : reply.constData());
    return reply == "ok" ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string office, command;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--office" && i + 1 < argc) office = argv[++i];
        else if (a == "--command" && i + 1 < argc) command = argv[++i];
        else if (a == "--help") { std::fputs(kUsage, stdout); return 0; }
        else { std::fputs(kUsage, stderr); return 2; }
    }
    if (!command.empty() && qm::linkhost::ParseRequest("command " + command).empty()) {
        std::fprintf(stderr, "qmlink: not a command: %s\n", command.c_str());
        return 2;
    }
    if (office.empty())
        if (const char* named = std::getenv("QM_LINK_OFFICE")) office = named;

    std::string problem;
    const std::string folder = qm::linkhost::HostFolder(&problem);
    if (folder.empty()) {
        std::fprintf(stderr, "qmlink: %s\n", problem.c_str());
        return 1;
    }
    const QString path = QString::fromStdString(folder + "/host");
    // One qmlink at a time decides who serves.
    const int lock = ::open((folder + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        std::fprintf(stderr, "qmlink: cannot lock %s/lock\n", folder.c_str());
        return 1;
    }

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    if (!command.empty()) {
        const int handed = HandOver(path, command);
        if (handed >= 0) return handed;
    }
    // The office first, still holding the lock: a qmlink started meanwhile
    // waits, then hands its command to this one once it listens.
    HostPrompter prompter;
    std::string error;
    auto hostOffice = qm::linkhost::ConnectHostOffice(office, error);
    if (!hostOffice) {
        ::flock(lock, LOCK_UN);
        prompter.error("LibreOffice could not be reached: " + error, qm::linkhost::host_texts::kProduct);
        return 1;
    }
    CLinkHost host(prompter, qm::systemClock(), *hostOffice);
    QObject::connect(&host, &CLinkHost::officeGone, &app, &QCoreApplication::quit);

    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server, &QLocalServer::newConnection, &app, [&] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            if (!SameUser(socket->socketDescriptor())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, &host] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > 256) socket->abort();
                    return;
                }
                const auto request = qm::linkhost::ParseHostRequest(socket->readLine(257).toStdString());
                const std::string refused = request ? host.Drive(*request) : "not a request";
                socket->write(refused.empty() ? QByteArray("ok\n")
                                              : "error " + QByteArray::fromStdString(refused) + "\n");
                socket->flush();
                socket->disconnectFromServer();
            });
        }
    });
    QLocalServer::removeServer(path);
    if (!server.listen(path)) {
        std::fprintf(stderr, "qmlink: cannot listen on %s: %s\n", qPrintable(path),
                     qPrintable(server.errorString()));
        return 1;
    }
    ::flock(lock, LOCK_UN);

    // A first start's message may take a while: requests are served meanwhile.
    host.core().EnsureSettingsFile();
    host.core().Languages();
    if (!command.empty()) QTimer::singleShot(0, &host, [&host, command] { host.HandleMacro(command); });
    return app.exec();
}

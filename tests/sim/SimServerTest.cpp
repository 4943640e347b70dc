#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimServer.h"
#include "support/Subprocess.h"

namespace qm::sim {
namespace {

constexpr int kWaitMs = 10000;  // upper bound for a broken server, never a pause

int connectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Bytes up to and including the next line feed; "" on close or time-out.
std::string readLine(int fd) {
    std::string line;
    char c = 0;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kWaitMs) != 1 || ::read(fd, &c, 1) != 1) return "";
        line.push_back(c);
        if (c == '\n') return line;
    }
}

void sendText(int fd, std::string_view s) {
    ASSERT_EQ(::send(fd, s.data(), s.size(), 0), ssize_t(s.size()));
}

TEST(SimServerAddress, ParsesAndKeepsToLoopback) {
    std::string host;
    std::uint16_t port = 1;
    EXPECT_TRUE(parseListenAddress("127.0.0.1:0", host, port));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 0);
    EXPECT_TRUE(parseListenAddress("[::1]:5025", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 5025);
    for (const char* bad : {"127.0.0.1", ":80", "host:", "host:65536", "::1:80", "h:8x", "[]:1"})
        EXPECT_FALSE(parseListenAddress(bad, host, port)) << bad;
    for (const char* ok : {"127.0.0.1", "127.9.8.7", "localhost", "::1"})
        EXPECT_TRUE(isLoopbackHost(ok)) << ok;
    for (const char* no : {"0.0.0.0", "10.0.0.1", "::", "example.org", "128.0.0.1", ""})
        EXPECT_FALSE(isLoopbackHost(no)) << no;
}

TEST(SimServer, ServesClientsOneAfterAnotherAndKeepsTheMeter) {
    ServerOptions options;
    options.meter.model = "TX42";
    SimServer server(options);
    ASSERT_FALSE(server.listen());
    ASSERT_NE(server.port(), 0);
    std::thread loop([&] { server.run(); });

    int fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    sendText(fd, "*IDN?\nCONF:VOLT:AC\nfunc?\n");  // several messages in one packet
    EXPECT_EQ(readLine(fd), "Varnet, TX42, SN000001, V1.00\n");
    EXPECT_EQ(readLine(fd), "\"VOLT:AC\"\n");
    sendText(fd, "fu");  // one message in two packets
    sendText(fd, "nc2?\r\n");
    EXPECT_EQ(readLine(fd), "\"NONE\"\n");
    ::close(fd);

    fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    sendText(fd, "func?\n");
    EXPECT_EQ(readLine(fd), "\"VOLT:AC\"\n");
    // An answer awaiting a trigger goes out with the message that fires it.
    sendText(fd, "trig:sour ext;:init;*OPC?\n*TRG\n");
    EXPECT_EQ(readLine(fd), "1\n");
    ::close(fd);

    server.stop();
    loop.join();
}

TEST(SimServer, DroppedLinkClosesTheClientAndTheNextOneStartsAfresh) {
    ServerOptions options;
    options.meter.model = "TX41";
    options.meter.faults.dropAfterMessages = 1;
    SimServer server(options);
    ASSERT_FALSE(server.listen());
    std::thread loop([&] { server.run(); });
    for (int client = 0; client < 2; ++client) {
        const int fd = connectTo(server.port());
        ASSERT_GE(fd, 0);
        sendText(fd, "*IDN?\n");
        EXPECT_EQ(readLine(fd), "");  // closed without an answer
        ::close(fd);
    }
    server.stop();
    loop.join();
}

// A server on an ephemeral loopback port, run on a thread of the test.
struct RunningServer {
    explicit RunningServer(ServerOptions options) : server(std::move(options)) {
        listening = !server.listen();
        if (listening) loop = std::thread([this] { server.run(); });
    }
    ~RunningServer() {
        server.stop();
        if (loop.joinable()) loop.join();
    }
    SimServer server;
    bool listening = false;
    std::thread loop;
};

// True when the peer closed the connection (as opposed to a time-out).
bool closedByPeer(int fd) {
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    return ::poll(&p, 1, kWaitMs) == 1 && ::read(fd, &c, 1) == 0;
}

TEST(SimServer, ServesSeveralClientsAtOnceSharingTheMeter) {
    ServerOptions options;
    options.meter.model = "TX42";
    RunningServer s(options);
    ASSERT_TRUE(s.listening);
    const std::vector<int> before = qm::test::InheritableDescriptors();

    // A first client connects and stays silent (a leaked copy of a socket
    // did just this): the second is served all the same.
    const int idle = connectTo(s.server.port());
    const int busy = connectTo(s.server.port());
    ASSERT_GE(idle, 0);
    ASSERT_GE(busy, 0);
    sendText(busy, "CONF:VOLT:AC\n*IDN?\n");
    EXPECT_EQ(readLine(busy), "Varnet, TX42, SN000001, V1.00\n");
    // What one client configured, the other reads; answers go to the asker.
    sendText(idle, "func?\n");
    EXPECT_EQ(readLine(idle), "\"VOLT:AC\"\n");
    // An answer awaiting a trigger goes out when another client fires it
    // (once the other client's message has been run: asked, not waited for).
    sendText(idle, "trig:sour ext;:init;*OPC?\n");
    std::string source;
    for (int i = 0; i < 10000 && source != "EXT\n"; ++i) {
        sendText(busy, "trig:sour?\n");
        source = readLine(busy);
    }
    ASSERT_EQ(source, "EXT\n");
    sendText(busy, "*TRG\n");
    EXPECT_EQ(readLine(idle), "1\n");
    // No descriptor of the server may reach a program started meanwhile.
    EXPECT_EQ(qm::test::InheritableDescriptors(), before);
    ::close(idle);
    ::close(busy);
}

TEST(SimServer, OneClientTooManyIsClosedAtOnceAndNamed) {
    ServerOptions options;
    options.meter.model = "TX41";
    options.maxClients = 2;
    std::vector<std::string> log;
    std::mutex logMutex;
    options.log = [&](const std::string& text) {
        std::lock_guard lock(logMutex);
        log.push_back(text);
    };
    RunningServer s(options);
    ASSERT_TRUE(s.listening);
    const int a = connectTo(s.server.port());
    const int b = connectTo(s.server.port());
    sendText(b, "*IDN?\n");
    EXPECT_EQ(readLine(b), "Varnet, Model TX41, SN000001, V1.00\n");  // both are being served
    const int extra = connectTo(s.server.port());
    ASSERT_GE(extra, 0);
    EXPECT_TRUE(closedByPeer(extra));
    ::close(extra);
    {
        std::lock_guard lock(logMutex);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_NE(log[0].find("2 clients"), std::string::npos) << log[0];
    }
    ::close(a);
    ::close(b);
}

std::string ReadPortFile(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "re")) {
        char buf[64] = {};
        if (std::fgets(buf, sizeof buf, f)) text = buf;
        std::fclose(f);
    }
    return text;
}

TEST(QmSimProgram, ServesOnAnEphemeralPortAndEndsOnSigterm) {
    const std::string portFile =
        (std::filesystem::temp_directory_path() / ("qm_sim_port_" + std::to_string(::getpid())))
            .string();
    qm::test::Child c({QM_SIM_BINARY, "--listen", "127.0.0.1:0", "--model", "TX41", "--serial",
                       "SN77", "--port-file", portFile});
    ASSERT_TRUE(c.started());
    std::string line;
    ASSERT_TRUE(c.ReadLine(line));
    ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << line;
    const int port = std::stoi(line.substr(std::string("listening on 127.0.0.1:").size()));
    EXPECT_EQ(ReadPortFile(portFile), std::to_string(port) + "\n");

    // Two clients at once, the first of them idle.
    const int first = connectTo(static_cast<std::uint16_t>(port));
    const int fd = connectTo(static_cast<std::uint16_t>(port));
    ASSERT_GE(first, 0);
    ASSERT_GE(fd, 0);
    sendText(fd, "*IDN?\n");
    EXPECT_EQ(readLine(fd), "Varnet, Model TX41, SN77, V1.00\n");
    c.Kill(SIGTERM);  // while clients are connected
    EXPECT_EQ(c.Finish().exitCode, 0);
    ::close(first);
    ::close(fd);
    std::filesystem::remove(portFile);
}

TEST(QmSimProgram, RefusesNonLoopbackAddressesAndBadArguments) {
    for (const char* address : {"192.0.2.1:0", "0.0.0.0:0"}) {
        const auto r = qm::test::Run({QM_SIM_BINARY, "--listen", address});
        EXPECT_NE(r.err.find("not a loopback address"), std::string::npos) << address;
        EXPECT_EQ(r.exitCode, 2) << address;
    }
    for (std::vector<std::string> args : {std::vector<std::string>{"--model", "TX99"},
                                          {"--value", "1.5V"}, {"--max-clients", "0"}}) {
        args.insert(args.begin(), QM_SIM_BINARY);
        EXPECT_EQ(qm::test::Run(args).exitCode, 2) << args[1];
    }
}

}  // namespace
}  // namespace qm::sim

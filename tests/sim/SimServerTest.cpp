#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimServer.h"

extern char** environ;

namespace qm::sim {
namespace {

constexpr int kWaitMs = 10000;  // upper bound for a broken server, never a pause

int connectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
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

// Runs qm_sim with the arguments; its stdout and stderr come back through pipes.
struct Child {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

Child spawnSim(std::vector<std::string> args) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    args.insert(args.begin(), QM_SIM_BINARY);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Child c;
    if (posix_spawn(&c.pid, QM_SIM_BINARY, &actions, nullptr, argv.data(), environ) != 0)
        c.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    c.out = out[0];
    c.err = err[0];
    return c;
}

int waitExit(Child& c) {
    int status = 0;
    ::waitpid(c.pid, &status, 0);
    ::close(c.out);
    ::close(c.err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(QmSimProgram, ServesOnAnEphemeralPortAndEndsOnSigterm) {
    const std::string portFile =
        (std::filesystem::temp_directory_path() / ("qm_sim_port_" + std::to_string(::getpid())))
            .string();
    Child c = spawnSim({"--listen", "127.0.0.1:0", "--model", "TX41", "--serial", "SN77",
                        "--port-file", portFile});
    ASSERT_GT(c.pid, 0);
    const std::string line = readLine(c.out);
    ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << line;
    const int port = std::stoi(line.substr(std::string("listening on 127.0.0.1:").size()));
    std::ifstream file(portFile);
    int filePort = 0;
    file >> filePort;
    EXPECT_EQ(filePort, port);

    const int fd = connectTo(static_cast<std::uint16_t>(port));
    ASSERT_GE(fd, 0);
    sendText(fd, "*IDN?\n");
    EXPECT_EQ(readLine(fd), "Varnet, Model TX41, SN77, V1.00\n");
    ::kill(c.pid, SIGTERM);  // while a client is connected
    EXPECT_EQ(waitExit(c), 0);
    ::close(fd);
    std::filesystem::remove(portFile);
}

TEST(QmSimProgram, RefusesNonLoopbackAddressesAndBadArguments) {
    for (const char* address : {"192.0.2.1:0", "0.0.0.0:0"}) {
        Child c = spawnSim({"--listen", address});
        ASSERT_GT(c.pid, 0);
        EXPECT_NE(readLine(c.err).find("not a loopback address"), std::string::npos) << address;
        EXPECT_EQ(waitExit(c), 2) << address;
    }
    Child bad = spawnSim({"--model", "TX99"});
    EXPECT_EQ(waitExit(bad), 2);
    Child number = spawnSim({"--value", "1.5V"});
    EXPECT_EQ(waitExit(number), 2);
}

}  // namespace
}  // namespace qm::sim

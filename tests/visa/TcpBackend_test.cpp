#include <condition_variable>
#include <mutex>

#include "LoopbackServer.h"
#include "support/Subprocess.h"
#include "VisaTestSupport.h"

namespace qm::visa::test {
namespace {

using Status = std::pair<ViStatus, std::string>;

// Answers like a tiny instrument: "both?" sends two messages at once,
// "split?" one message in two segments, "bye?" closes the link.
bool scriptedPeer(int fd, const std::string& line) {
    if (line == "both?") {
        LoopbackServer::sendAll(fd, "one\ntwo\n");
    } else if (line == "split?") {
        LoopbackServer::sendAll(fd, "ab");
        LoopbackServer::sendAll(fd, "cd\n");
    } else if (line == "bye?") {
        return false;
    } else if (line.find('?') != std::string::npos) {
        LoopbackServer::sendAll(fd, "ok\n");
    }
    return true;
}

class TcpBackend : public VisaTest {
  protected:
    LoopbackServer server_{scriptedPeer};
};

TEST_F(TcpBackend, NoSessionLeaksIntoAProgramStartedMeanwhile) {
    // A meter session's socket must never be inherited by a program that
    // the suite starts (qm_sim, an office process): it would keep the link
    // open after the session closed.
    const std::vector<int> before = qm::test::InheritableDescriptors();
    const ViSession s = open(server_.descriptor());
    ASSERT_EQ(write(s, "sync?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "ok\n"));
    EXPECT_EQ(qm::test::InheritableDescriptors(), before);
}

TEST_F(TcpBackend, MessagesAreLineFramedWithBytesKeptBetweenReads) {
    const ViSession s = open(server_.descriptor());
    ViUInt16 intf = 0;
    EXPECT_EQ(viGetAttribute(s, VI_ATTR_INTF_TYPE, &intf), VI_SUCCESS);
    EXPECT_EQ(intf, VI_INTF_TCPIP);

    // A line feed is added only where the message lacks one.
    ASSERT_EQ(write(s, "*cls"), VI_SUCCESS);
    ASSERT_EQ(write(s, "sync?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "ok\n"));
    EXPECT_EQ(server_.received(), "*cls\nsync?\n");

    // Two messages in one segment: one per read, the second without a write.
    ASSERT_EQ(write(s, "both?"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "one\n"));
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "two\n"));

    // The count fills first: the rest waits for the next read. A message
    // ending exactly at the count is complete.
    ASSERT_EQ(write(s, "both?"), VI_SUCCESS);
    EXPECT_EQ(read(s, 2), Status(VI_SUCCESS_MAX_CNT, "on"));
    EXPECT_EQ(read(s, 2), Status(VI_SUCCESS, "e\n"));
    EXPECT_EQ(read(s, 3), Status(VI_SUCCESS_MAX_CNT, "two"));
    EXPECT_EQ(read(s, 3), Status(VI_SUCCESS, "\n"));

    // One message in two segments is read as one.
    ASSERT_EQ(write(s, "split?"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "abcd\n"));
}

TEST_F(TcpBackend, PrintfSendsUserTextUntouchedAndFormatsNumbers) {
    const ViSession s = open(server_.descriptor());
    const std::string text = "syst:beep 100%;:disp:text \"%n%s%d\"";
    ASSERT_EQ(viPrintf(s, "%s", text.c_str()), VI_SUCCESS);
    ASSERT_EQ(viPrintf(s, "%d|%5.2f|%c|%%|%ld|%u|%.2e|%g|%-4s|%+03d\n", -7, 3.14159, 'x',
                       123456789L, 42u, 1234.5, 0.25, "ab", 5),
              VI_SUCCESS);
    const std::string big(5000, 'z');  // beyond the first buffer size
    ASSERT_EQ(viPrintf(s, "conf %s", big.c_str()), VI_SUCCESS);

    // Unsafe or unknown conversions are refused and send nothing.
    int sink = 0;
    EXPECT_EQ(viPrintf(s, "abc%n", &sink), VI_ERROR_NSUP_FMT);
    EXPECT_EQ(viPrintf(s, "abc%"), VI_ERROR_INV_FMT);
    EXPECT_EQ(viPrintf(s, "%Ld", 1), VI_ERROR_INV_FMT);
    EXPECT_EQ(viPrintf(s, "%y"), VI_ERROR_NSUP_FMT);

    ASSERT_EQ(viPrintf(s, "%s", "sync?"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "ok\n"));
    EXPECT_EQ(server_.received(), text + "\n-7| 3.14|x|%|123456789|42|1.23e+03|0.25|ab  |+05\n" +
                                      "conf " + big + "\nsync?\n");
}

TEST_F(TcpBackend, LostPeerFailsEveryLaterTransfer) {
    const ViSession s = open(server_.descriptor());
    ASSERT_EQ(write(s, "bye?"), VI_SUCCESS);
    EXPECT_EQ(read(s).first, VI_ERROR_CONN_LOST);
    EXPECT_EQ(write(s, "*idn?"), VI_ERROR_CONN_LOST);
    EXPECT_EQ(read(s).first, VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClear(s), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClose(s), VI_SUCCESS);
}

TEST_F(TcpBackend, NobodyListeningIsNotFound) {
    unsigned port = 0;
    {
        LoopbackServer gone{scriptedPeer};
        port = gone.port();
    }
    ViSession s = 123;
    EXPECT_EQ(viOpen(rm_, ("TCPIP0::127.0.0.1::" + std::to_string(port) + "::SOCKET").c_str(),
                     VI_NULL, VI_NULL, &s),
              VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(s, static_cast<ViSession>(VI_NULL));
}

// An answer that comes after the read gave up must not pass for the answer
// to the next command once the session is cleared.
TEST_F(TcpBackend, ClearDropsAnAnswerThatCameTooLate) {
    std::mutex m;
    std::condition_variable cv;
    bool release = false, sent = false;
    LoopbackServer server([&](int fd, const std::string& line) {
        if (line == "slow?") {
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return release; });
            LoopbackServer::sendAll(fd, "late answer\n");
            sent = true;
            cv.notify_all();
        } else if (line == "fast?") {
            LoopbackServer::sendAll(fd, "fast answer\n");
        }
        return true;
    });
    const ViSession s = open(server.descriptor());
    ASSERT_EQ(viSetAttribute(s, VI_ATTR_TMO_VALUE, 20), VI_SUCCESS);  // a real, short wait
    ASSERT_EQ(write(s, "slow?"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_ERROR_TMO, ""));
    {
        std::unique_lock lock(m);
        release = true;
        cv.notify_all();
        cv.wait(lock, [&] { return sent; });
    }
    EXPECT_EQ(viClear(s), VI_SUCCESS);
    ASSERT_EQ(viSetAttribute(s, VI_ATTR_TMO_VALUE, 2000), VI_SUCCESS);
    ASSERT_EQ(write(s, "fast?"), VI_SUCCESS);
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "fast answer\n"));
    viClose(s);  // before the server goes
}

}  // namespace
}  // namespace qm::visa::test

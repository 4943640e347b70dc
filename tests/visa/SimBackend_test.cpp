#include <chrono>
#include <string>

#include "VisaTestSupport.h"
#include "platform/Clock.h"

namespace qm::visa::test {
namespace {

using Status = std::pair<ViStatus, std::string>;
using namespace std::chrono_literals;

class SimBackend : public VisaTest {
  protected:
    // Reads until the message ends; the status of the last read.
    static Status readAll(ViSession s, ViUInt32 count, int* reads = nullptr) {
        std::string all;
        for (int i = 1; i < 100; ++i) {
            auto [status, bytes] = read(s, count);
            all += bytes;
            if (reads) *reads = i;
            if (status != VI_SUCCESS_MAX_CNT) return {status, all};
        }
        return {VI_SUCCESS_MAX_CNT, all};
    }
};

TEST_F(SimBackend, BuiltinMetersAnswerWithMessagesSplitByTheCount) {
    ASSERT_TRUE(useBuiltinSimulatedTable().ok);
    const ViSession s = open("usb0::0x1209::0x4101::sn000001::instr");
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s, 5), Status(VI_SUCCESS_MAX_CNT, "Varne"));
    EXPECT_EQ(read(s), Status(VI_SUCCESS, "t, TX42, SN000001, V1.00\n"));

    const ViSession g = open("GPIB0::7::INSTR");
    ViUInt16 intf = 0;
    EXPECT_EQ(viGetAttribute(g, VI_ATTR_INTF_TYPE, &intf), VI_SUCCESS);
    EXPECT_EQ(intf, VI_INTF_GPIB);
    ASSERT_EQ(write(g, "*IDN?"), VI_SUCCESS);  // no line feed, as the live loop writes
    EXPECT_EQ(read(g), Status(VI_SUCCESS, "Othermaker, DM3000, 0, 1.0\n"));

    // Sessions to one meter share it, also across a close and reopen.
    const ViSession again = open("USB0::0x1209::0x4101::SN000001::INSTR");
    ASSERT_NE(simEndpointOf(s), nullptr);
    EXPECT_EQ(simEndpointOf(again), simEndpointOf(s));
    sim::SimEndpoint* endpoint = simEndpointOf(s);
    EXPECT_EQ(viClose(s), VI_SUCCESS);
    EXPECT_EQ(viClose(again), VI_SUCCESS);
    EXPECT_EQ(simEndpointOf(open("USB0::0x1209::0x4101::SN000001::INSTR")), endpoint);
}

TEST_F(SimBackend, LongAnswerComesInCountSizedPieces) {
    ASSERT_TRUE(
        useResourceTableText("[GPIB0::3::INSTR]\nbackend=sim\nmodel=TX41\nlong_answer=1\n").ok);
    const ViSession s = open("GPIB0::3::INSTR");
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s, 1024).first, VI_SUCCESS_MAX_CNT);
    int reads = 0;
    const auto [status, rest] = readAll(s, 1024, &reads);
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_GT(1024 + rest.size(), 1024u);
    EXPECT_EQ(rest.back(), '\n');
    EXPECT_EQ(reads, static_cast<int>((rest.size() + 1023) / 1024));
}

TEST_F(SimBackend, DelaysAndTimeoutsCostNoRealTime) {
    ManualClock clock;
    setSimulationClock(clock);
    ASSERT_TRUE(useResourceTableText("[GPIB0::1::INSTR]\nbackend=sim\nmodel=TX42\ntimeout=1\n"
                                     "[GPIB0::2::INSTR]\nbackend=sim\nmodel=TX42\ndelay_ms=500\n")
                    .ok);
    const auto realStart = std::chrono::steady_clock::now();

    const ViSession mute = open("GPIB0::1::INSTR");
    ASSERT_EQ(viSetAttribute(mute, VI_ATTR_TMO_VALUE, 20000), VI_SUCCESS);
    ASSERT_EQ(write(mute, "*IDN?\n"), VI_SUCCESS);
    auto start = clock.now();
    EXPECT_EQ(read(mute), Status(VI_ERROR_TMO, ""));
    EXPECT_GE(clock.now() - start, 20s);
    // The session still works after a timeout.
    EXPECT_EQ(write(mute, "*cls\n"), VI_SUCCESS);

    const ViSession slow = open("GPIB0::2::INSTR");
    ASSERT_EQ(viSetAttribute(slow, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    ASSERT_EQ(write(slow, "*IDN?\n"), VI_SUCCESS);
    start = clock.now();
    EXPECT_EQ(read(slow).first, VI_ERROR_TMO);
    ASSERT_EQ(viSetAttribute(slow, VI_ATTR_TMO_VALUE, 1000), VI_SUCCESS);
    EXPECT_EQ(read(slow).first, VI_SUCCESS);  // ready 500 ms after the write
    EXPECT_GE(clock.now() - start, 400ms);
    EXPECT_LT(clock.now() - start, 600ms);

    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 5s);
}

TEST_F(SimBackend, LostLinkFailsForEverAndLeavesTheBus) {
    ASSERT_TRUE(useResourceTableText("[GPIB0::4::INSTR]\nbackend=sim\nmodel=TX42\ndrop_after=2\n"
                                     "[GPIB0::5::INSTR]\nbackend=sim\nmodel=TX41\n")
                    .ok);
    const ViSession s = open("GPIB0::4::INSTR");
    const ViSession other = open("GPIB0::4::INSTR");
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s).first, VI_SUCCESS);
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);  // the link goes after this message
    EXPECT_EQ(read(s).first, VI_ERROR_CONN_LOST);
    EXPECT_EQ(write(s, "*IDN?\n"), VI_ERROR_CONN_LOST);
    EXPECT_EQ(read(s).first, VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClear(s), VI_ERROR_CONN_LOST);
    EXPECT_EQ(write(other, "*IDN?\n"), VI_ERROR_CONN_LOST);

    // Like an unplugged meter it is no longer found nor opened.
    ViChar desc[VI_FIND_BUFLEN];
    ViUInt32 count = 0;
    ASSERT_EQ(viFindRsrc(rm_, "GPIB?*", nullptr, &count, desc), VI_SUCCESS);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(desc, "GPIB0::5::INSTR");
    ViSession reopened = VI_NULL;
    EXPECT_EQ(viOpen(rm_, "GPIB0::4::INSTR", VI_NULL, VI_NULL, &reopened), VI_ERROR_RSRC_NFOUND);
}

}  // namespace
}  // namespace qm::visa::test

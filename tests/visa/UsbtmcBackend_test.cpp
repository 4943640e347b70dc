// The usbtmc backend against a fake sysfs tree and served device nodes:
// what the search lists, how messages travel, and what an unplugged meter
// does to a session.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "VisaTestSupport.h"
#include "support/FakeUsbtmc.h"
#include "visa/UsbtmcTransport.h"

namespace qm::visa::test {
namespace {

using Bus = qm::test::FakeUsbtmcBus;
using Clock = std::chrono::steady_clock;

Bus::Handler Answers(std::map<std::string, std::string> answers) {
    return [answers](const std::string& m) -> std::optional<std::string> {
        const auto it = answers.find(m);
        if (it == answers.end()) return std::nullopt;
        return it->second;
    };
}

std::vector<std::string> Search(ViSession rm, const std::string& pattern) {
    std::vector<std::string> found;
    ViFindList list = VI_NULL;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    if (viFindRsrc(rm, pattern.c_str(), &list, &count, desc) != VI_SUCCESS) return found;
    found.push_back(desc);
    for (ViUInt32 i = 1; i < count; ++i) {
        EXPECT_EQ(viFindNext(list, desc), VI_SUCCESS);
        found.push_back(desc);
    }
    viClose(list);
    return found;
}

class UsbtmcBackend : public VisaTest {
  protected:
    Bus bus;
};

TEST_F(UsbtmcBackend, SearchListsTheTableFirstThenEachUsbMeterOnceUnderADescriptorOfItsOwn) {
    bus.AddSysfsEntry(0, Bus::Usb("SN000001"));
    bus.AddSysfsEntry(1, Bus::Usb(std::nullopt, {}, "4102"));  // no serial number
    bus.AddSysfsEntry(2, Bus::Usb("sn000001"));                // repeats usbtmc0's
    bus.AddSysfsEntry(10, Bus::Usb("MY 12:34", {}, "4101", "0957"));  // another maker
    bus.AddSysfsEntry(3, Bus::Usb("X", {}, "4101", "zz"));  // not a USB device we can name
    std::filesystem::create_directories(bus.sysfs() + "/usbtmcX");
    std::filesystem::create_directories(bus.sysfs() + "/lp0");
    // The table already has usbtmc0's meter, in a spelling of its own (lower
    // case, decimal ids, no "::INSTR"): it is listed once, as the table's.
    // Every name is handed back in its canonical form.
    ASSERT_TRUE(useResourceTableText("[usb0::4617::16641::sn000001]\nbackend=sim\nmodel=TX42\nserial=SN000001\n"
                                     "[GPIB0::5::INSTR]\nbackend=sim\nmodel=TX41\nserial=SN5\n")
                    .ok);

    EXPECT_EQ(Search(rm_, "USB?*INSTR"),
              (std::vector<std::string>{"USB0::0x1209::0x4101::SN000001::INSTR",
                                        "USB0::0x1209::0x4102::USBTMC1::INSTR",
                                        "USB0::0x1209::0x4101::SN000001-USBTMC2::INSTR",
                                        "USB0::0x0957::0x4101::MY_12_34::INSTR"}));
    // Discovery's search: our vendor only.
    EXPECT_EQ(Search(rm_, "USB[0-9]::0x1209::?*INSTR").size(), 3u);
    EXPECT_EQ(Search(rm_, "GPIB?*INSTR"), std::vector<std::string>{"GPIB0::5::INSTR"});
}

TEST_F(UsbtmcBackend, AListedMeterOpensUnderTheNameTheSearchGaveIt) {
    bus.Plug(0, Bus::Usb("sn7", Answers({{"*IDN?\n", "Varnet, TX42, sn7, V1.00\n"}})));
    const std::vector<std::string> found = Search(rm_, "USB?*INSTR");
    ASSERT_EQ(found, std::vector<std::string>{"USB0::0x1209::0x4101::SN7::INSTR"});
    const ViSession s = open(found[0]);
    ViChar name[VI_FIND_BUFLEN] = {};
    EXPECT_EQ(viGetAttribute(s, VI_ATTR_RSRC_NAME, name), VI_SUCCESS);
    EXPECT_EQ(std::string(name), found[0]);
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s).second, "Varnet, TX42, sn7, V1.00\n");
}

TEST_F(UsbtmcBackend, MessagesTravelWholeAndAnswersEndAtTheEndOfTheMessage) {
    const std::string longAnswer = std::string(2500, '7') + "\n";
    bus.Plug(0, Bus::Usb("SN1", Answers({{"*IDN?\n", "Varnet, TX42, SN1, V1.00\n"},
                                         {"read?", "+1.5E+00\n"},
                                         {"LONG?\n", longAnswer}})));
    const ViSession s = open("USB0::0x1209::0x4101::SN1::INSTR");

    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s), std::make_pair(VI_SUCCESS, std::string("Varnet, TX42, SN1, V1.00\n")));
    // No line feed is added: the bus marks the end of the message.
    ASSERT_EQ(write(s, "read?"), VI_SUCCESS);
    EXPECT_EQ(read(s), std::make_pair(VI_SUCCESS, std::string("+1.5E+00\n")));
    EXPECT_EQ(bus.Received(0), (std::vector<std::string>{"*IDN?\n", "read?"}));

    // An answer longer than the count arrives in pieces, the last one ending it.
    ASSERT_EQ(write(s, "LONG?\n"), VI_SUCCESS);
    std::string whole;
    std::vector<ViStatus> statuses;
    for (int i = 0; i < 5; ++i) {
        const auto [status, bytes] = read(s, 1024);
        statuses.push_back(status);
        whole += bytes;
        if (status != VI_SUCCESS_MAX_CNT) break;
    }
    EXPECT_EQ(statuses, (std::vector<ViStatus>{VI_SUCCESS_MAX_CNT, VI_SUCCESS_MAX_CNT, VI_SUCCESS}));
    EXPECT_EQ(whole, longAnswer);
    // A count that the answer fills exactly still ends the message.
    ASSERT_EQ(write(s, "read?"), VI_SUCCESS);
    EXPECT_EQ(read(s, 9).first, VI_SUCCESS);
    // A new command drops what was left of an answer, as the meter does.
    ASSERT_EQ(write(s, "LONG?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s, 10).first, VI_SUCCESS_MAX_CNT);
    ASSERT_EQ(write(s, "read?"), VI_SUCCESS);
    EXPECT_EQ(read(s), std::make_pair(VI_SUCCESS, std::string("+1.5E+00\n")));
}

TEST_F(UsbtmcBackend, ASilentMeterTimesOutOnceAndClearDropsAnAnswerNobodyRead) {
    bus.Plug(0, Bus::Usb("SN2", Answers({{"*IDN?\n", "Varnet, TX41, SN2\n"}})));
    const ViSession s = open("USB0::0x1209::0x4101::SN2::INSTR");
    ASSERT_EQ(viSetAttribute(s, VI_ATTR_TMO_VALUE, 150), VI_SUCCESS);

    ASSERT_EQ(write(s, "NOTHING?\n"), VI_SUCCESS);
    const auto start = Clock::now();
    EXPECT_EQ(read(s).first, VI_ERROR_TMO);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(140));
    EXPECT_LT(waited, std::chrono::seconds(3));  // one timeout, not a hang

    // The session still works after the timeout.
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(s).second, "Varnet, TX41, SN2\n");

    // An answer that arrived but was never read is gone after a clear. The
    // meter has answered once its message was received, which the next
    // exchange proves: the server handles messages in order.
    ASSERT_EQ(write(s, "*IDN?\n"), VI_SUCCESS);
    const ViSession probe = open("USB0::0x1209::0x4101::SN2::INSTR");
    ASSERT_EQ(write(probe, "*IDN?\n"), VI_SUCCESS);
    ASSERT_EQ(read(probe).first, VI_SUCCESS);
    EXPECT_EQ(viClear(s), VI_SUCCESS);
    EXPECT_EQ(read(s).first, VI_ERROR_TMO);
}

TEST_F(UsbtmcBackend, AnUnpluggedMeterLosesItsSessionWithoutAHang) {
    bus.Plug(0, Bus::Usb("SN3", Answers({{"*IDN?\n", "Varnet, TX42, SN3\n"}})));
    bus.Plug(1, Bus::Usb("SN4", Answers({{"*IDN?\n", "Varnet, TX42, SN4\n"}})));
    const ViSession s = open("USB0::0x1209::0x4101::SN3::INSTR");
    const ViSession other = open("USB0::0x1209::0x4101::SN4::INSTR");
    ASSERT_EQ(viSetAttribute(s, VI_ATTR_TMO_VALUE, 20000), VI_SUCCESS);

    // Pulled out while a read waits for its answer.
    ASSERT_EQ(write(s, "NOTHING?\n"), VI_SUCCESS);
    auto pending = std::async(std::launch::async, [&] { return read(s).first; });
    bus.Unplug(0);
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pending.get(), VI_ERROR_CONN_LOST);
    EXPECT_EQ(write(s, "*IDN?\n"), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClear(s), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClose(s), VI_SUCCESS);

    // Gone from the search and not to be opened; the other meter is untouched.
    EXPECT_EQ(Search(rm_, "USB?*INSTR"),
              std::vector<std::string>{"USB0::0x1209::0x4101::SN4::INSTR"});
    ViSession again = VI_NULL;
    EXPECT_EQ(viOpen(rm_, "USB0::0x1209::0x4101::SN3::INSTR", VI_NULL, VI_NULL, &again),
              VI_ERROR_RSRC_NFOUND);
    ASSERT_EQ(write(other, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(other).second, "Varnet, TX42, SN4\n");
}

// The access check as an ordinary user: root may open anything, so a root
// test run asks from a child process that has become "nobody".
std::vector<std::string> AccessProblemsAsOrdinaryUser(const std::string& pattern) {
    if (geteuid() != 0) return usbAccessProblems(pattern);
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
            setresuid(65534, 65534, 65534) != 0)
            _exit(3);
        std::string joined;
        for (const std::string& p : usbAccessProblems(pattern)) joined += p + '\x1e';
        (void)!write(out[1], joined.data(), joined.size());
        _exit(0);
    }
    close(out[1]);
    std::string joined;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) joined.append(buf, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::vector<std::string> problems;
    for (std::size_t start = 0, end; (end = joined.find('\x1e', start)) != std::string::npos; start = end + 1)
        problems.push_back(joined.substr(start, end - start));
    return problems;
}

TEST_F(UsbtmcBackend, ANodeTheUserMayNotOpenIsReportedWithTheFileAndTheFix) {
    bus.AddSysfsEntry(0, Bus::Usb("SN5"));
    bus.AddSysfsEntry(1, Bus::Usb("OTHER", {}, "4101", "0957"));
    for (int n : {0, 1}) {
        std::ofstream(bus.node(n)) << "";
        chmod(bus.node(n).c_str(), 0600);
    }
    // The folders must be searchable by the ordinary user for the question to be the node's.
    for (const std::string& dir : {std::filesystem::path(bus.dev()).parent_path().string(), bus.dev(),
                                   bus.sysfs()})
        chmod(dir.c_str(), 0755);
    if (geteuid() != 0) {
        for (int n : {0, 1}) chmod(bus.node(n).c_str(), 0);
    }

    const std::vector<std::string> problems =
        AccessProblemsAsOrdinaryUser("USB[0-9]::0x1209::?*INSTR");
    ASSERT_EQ(problems.size(), 1u);  // the other maker's meter is not ours to ask about
    EXPECT_NE(problems[0].find(bus.node(0)), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("USB0::0x1209::0x4101::SN5::INSTR"), std::string::npos);
    EXPECT_NE(problems[0].find("60-qm-tool-usbtmc.rules"), std::string::npos);
    EXPECT_NE(problems[0].find("udevadm trigger"), std::string::npos);

    // A node that udev never made is reported as missing.
    std::filesystem::remove(bus.node(0));
    const std::vector<std::string> missing = usbAccessProblems("USB?*INSTR");
    ASSERT_FALSE(missing.empty());
    EXPECT_NE(missing[0].find("does not exist"), std::string::npos) << missing[0];
}

}  // namespace
}  // namespace qm::visa::test

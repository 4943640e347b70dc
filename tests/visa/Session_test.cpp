#include <cstdlib>
#include <string>
#include <vector>

#include "LoopbackServer.h"
#include "VisaTestSupport.h"

namespace qm::visa::test {
namespace {

using Status = std::pair<ViStatus, std::string>;

class Sessions : public VisaTest {
  protected:
    // Every descriptor a search yields, in order, through viFindRsrc/viFindNext.
    std::vector<std::string> findAll(const char* expr, ViStatus* status = nullptr) {
        std::vector<std::string> found;
        ViFindList list = VI_NULL;
        ViUInt32 count = 99;
        ViChar desc[VI_FIND_BUFLEN];
        const ViStatus s = viFindRsrc(rm_, expr, &list, &count, desc);
        if (status) *status = s;
        if (s != VI_SUCCESS) {
            EXPECT_EQ(count, 0u);
            EXPECT_EQ(list, static_cast<ViFindList>(VI_NULL));
            return found;
        }
        found.push_back(desc);
        for (ViUInt32 i = 1; i < count; ++i) {
            EXPECT_EQ(viFindNext(list, desc), VI_SUCCESS);
            found.push_back(desc);
        }
        EXPECT_EQ(viFindNext(list, desc), VI_ERROR_RSRC_NFOUND);
        EXPECT_EQ(viClose(list), VI_SUCCESS);
        return found;
    }
};

TEST_F(Sessions, SearchesFollowTheTableOrder) {
    ASSERT_TRUE(useBuiltinSimulatedTable().ok);
    const std::string u1 = "USB0::0x1209::0x4101::SN000001::INSTR";
    const std::string u2 = "USB0::0x1209::0x4101::SN000002::INSTR";
    const std::string u3 = "USB0::0x1209::0x4102::SN000003::INSTR";
    using List = std::vector<std::string>;
    EXPECT_EQ(findAll("USB[0-9]::0x1209::?*INSTR"), (List{u1, u2, u3}));
    EXPECT_EQ(findAll("GPIB[0-9]?*INSTR"), (List{"GPIB0::7::INSTR", "GPIB0::12::INSTR"}));
    EXPECT_EQ(findAll("?*INSTR"), (List{u1, u2, u3, "GPIB0::7::INSTR", "GPIB0::12::INSTR"}));
    EXPECT_EQ(findAll("usb?*0x4102?*"), (List{u3}));

    ViStatus status = VI_SUCCESS;
    EXPECT_TRUE(findAll("ASRL?*INSTR", &status).empty());
    EXPECT_EQ(status, VI_ERROR_RSRC_NFOUND);
    EXPECT_TRUE(findAll("USB[0-9", &status).empty());
    EXPECT_EQ(status, VI_ERROR_INV_EXPR);

    // A resource manager's close takes its find lists with it.
    ViFindList list = VI_NULL;
    ViChar desc[VI_FIND_BUFLEN];
    ASSERT_EQ(viFindRsrc(rm_, "?*", &list, nullptr, desc), VI_SUCCESS);
    EXPECT_EQ(viClose(rm_), VI_SUCCESS);
    EXPECT_EQ(viFindNext(list, desc), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viFindRsrc(rm_, "?*", &list, nullptr, desc), VI_ERROR_INV_OBJECT);
}

TEST_F(Sessions, SearchesAndSessionsUseTheCanonicalFormOfEveryTableSpelling) {
    // Keywords in any case, ids in decimal (4617 = 0x1209, 16641 = 0x4101),
    // "::INSTR" left out, board 0 left out: each found by the usual pattern
    // and handed back as VISA writes it.
    ASSERT_TRUE(useResourceTableText(
                    "[usb0::0x1209::0x4101::sn000005::instr]\nbackend=sim\nmodel=TX42\n"
                    "[USB0::4617::16641::SN3::INSTR]\nbackend=sim\nmodel=TX41\n"
                    "[USB::0x1209::0x4102::SN6]\nbackend=sim\nmodel=QMTX42\n"
                    "[gpib0::9]\nbackend=sim\nmodel=TX42\n")
                    .ok);
    using List = std::vector<std::string>;
    EXPECT_EQ(findAll("USB[0-9]::0x1209::?*INSTR"),
              (List{"USB0::0x1209::0x4101::SN000005::INSTR", "USB0::0x1209::0x4101::SN3::INSTR",
                    "USB0::0x1209::0x4102::SN6::INSTR"}));
    EXPECT_EQ(findAll("GPIB[0-9]?*INSTR"), (List{"GPIB0::9::INSTR"}));
    const ViSession s = open("USB0::4617::16641::SN3");
    ViChar name[VI_FIND_BUFLEN] = {};
    EXPECT_EQ(viGetAttribute(s, VI_ATTR_RSRC_NAME, name), VI_SUCCESS);
    EXPECT_STREQ(name, "USB0::0x1209::0x4101::SN3::INSTR");
}

TEST_F(Sessions, HandlesAttributesAndClosing) {
    LoopbackServer server([](int fd, const std::string&) {
        LoopbackServer::sendAll(fd, "Varnet, TX42, SN000010, V1.00\n");
        return true;
    });
    const std::string table =
        "[USB0::0x1209::0x4101::SN000010::INSTR]\nbackend=tcp\n"
        "host=127.0.0.1\nport=" +
        std::to_string(server.port()) + "\n";
    ASSERT_TRUE(useResourceTableText(table, "t").ok);

    // The table is searched case-insensitively; the name reads as written there.
    const ViSession a = open("usb0::0x1209::0x4101::sn000010::instr");
    ViChar name[VI_FIND_BUFLEN] = {};
    EXPECT_EQ(viGetAttribute(a, VI_ATTR_RSRC_NAME, name), VI_SUCCESS);
    EXPECT_STREQ(name, "USB0::0x1209::0x4101::SN000010::INSTR");
    ViUInt16 intf = 0;
    EXPECT_EQ(viGetAttribute(a, VI_ATTR_INTF_TYPE, &intf), VI_SUCCESS);
    EXPECT_EQ(intf, VI_INTF_USB);
    ViUInt32 tmo = 0;
    EXPECT_EQ(viGetAttribute(a, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
    EXPECT_EQ(tmo, 2000u);
    EXPECT_EQ(viSetAttribute(a, VI_ATTR_TMO_VALUE, 20000), VI_SUCCESS);
    EXPECT_EQ(viGetAttribute(a, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
    EXPECT_EQ(tmo, 20000u);
    EXPECT_EQ(viSetAttribute(a, VI_ATTR_RSRC_NAME, 0), VI_ERROR_ATTR_READONLY);
    EXPECT_EQ(viSetAttribute(a, VI_ATTR_TERMCHAR_EN, 1), VI_ERROR_NSUP_ATTR);

    // Every object has its own handle, and a closed one stays invalid.
    ViSession rm2 = VI_NULL;
    ASSERT_EQ(viOpenDefaultRM(&rm2), VI_SUCCESS);
    const ViSession b = open("USB0::0x1209::0x4101::SN000010::INSTR");
    EXPECT_NE(rm_, rm2);
    EXPECT_NE(a, b);
    EXPECT_NE(a, rm2);
    EXPECT_EQ(viClose(b), VI_SUCCESS);
    EXPECT_EQ(viClose(b), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(write(b, "*IDN?\n"), VI_ERROR_INV_OBJECT);
    ViSession c = VI_NULL;
    const std::string socket = "TCPIP::127.0.0.1::" + std::to_string(server.port()) + "::SOCKET";
    ASSERT_EQ(viOpen(rm2, socket.c_str(), VI_NULL, VI_NULL, &c), VI_SUCCESS);
    EXPECT_NE(c, b);

    ASSERT_EQ(write(a, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(read(a), Status(VI_SUCCESS, "Varnet, TX42, SN000010, V1.00\n"));

    // Closing a resource manager closes its sessions, and only those.
    EXPECT_EQ(viClose(rm_), VI_SUCCESS);
    EXPECT_EQ(write(a, "*IDN?\n"), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(read(a).first, VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viClear(a), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viGetAttribute(a, VI_ATTR_TMO_VALUE, &tmo), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(write(c, "*IDN?\n"), VI_SUCCESS);
    EXPECT_EQ(viClose(rm2), VI_SUCCESS);
    EXPECT_EQ(viClose(VI_NULL), VI_WARN_NULL_OBJECT);
}

TEST_F(Sessions, OpenFailuresAndStatusTexts) {
    ASSERT_TRUE(useResourceTableText("[GPIB0::5::INSTR]\nbackend=tcp\nhost=h\nport=1\n").ok);
    ViSession s = 77;
    EXPECT_EQ(viOpen(rm_, "GPIB0::99::INSTR", VI_NULL, VI_NULL, &s), VI_ERROR_INV_RSRC_NAME);
    EXPECT_EQ(s, static_cast<ViSession>(VI_NULL));
    EXPECT_EQ(viOpen(rm_, "no descriptor", VI_NULL, VI_NULL, &s), VI_ERROR_INV_RSRC_NAME);
    EXPECT_EQ(viOpen(rm_, "GPIB0::6::INSTR", VI_NULL, VI_NULL, &s), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(viOpen(rm_ + 1000, "GPIB0::6::INSTR", VI_NULL, VI_NULL, &s), VI_ERROR_INV_OBJECT);

    // A rejected table leaves the previous one in use.
    EXPECT_FALSE(useResourceTableText("[GPIB0::6::INSTR]\n", "bad").ok);
    ViChar desc[VI_FIND_BUFLEN];
    EXPECT_EQ(viFindRsrc(rm_, "GPIB0::5::INSTR", nullptr, nullptr, desc), VI_SUCCESS);

    ViChar text[VI_FIND_BUFLEN];
    for (ViStatus st : {VI_SUCCESS, VI_SUCCESS_MAX_CNT, VI_WARN_NULL_OBJECT, VI_ERROR_TMO,
                        VI_ERROR_RSRC_NFOUND, VI_ERROR_INV_RSRC_NAME, VI_ERROR_CONN_LOST,
                        VI_ERROR_INV_EXPR, VI_ERROR_INV_OBJECT, VI_ERROR_INV_FMT, VI_ERROR_NSUP_FMT,
                        VI_ERROR_NSUP_ATTR, VI_ERROR_NSUP_ATTR_STATE, VI_ERROR_ATTR_READONLY,
                        VI_ERROR_INV_ACC_MODE, VI_ERROR_USER_BUF, VI_ERROR_INV_PARAMETER}) {
        EXPECT_EQ(viStatusDesc(rm_, st, text), VI_SUCCESS) << st;
        EXPECT_GT(std::string(text).size(), 10u);
    }
    EXPECT_EQ(viStatusDesc(rm_, -12345, text), VI_WARN_UNKNOWN_STATUS);
}

TEST_F(Sessions, EnvironmentNamesTheTable) {
    ::setenv("QM_VISA_RESOURCES", QM_TEST_DATA_DIR "/visa/good_table.ini", 1);
    EXPECT_TRUE(configureFromEnvironment().ok);
    EXPECT_EQ(findAll("GPIB?*").size(), 1u);
    ::setenv("QM_VISA_RESOURCES", QM_TEST_DATA_DIR "/visa/bad_backend.ini", 1);
    const TableLoadResult bad = configureFromEnvironment();
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.message.find("bad_backend.ini:6:"), std::string::npos);
    EXPECT_EQ(findAll("GPIB?*").size(), 1u);  // the previous table stays
    ::unsetenv("QM_VISA_RESOURCES");
    EXPECT_TRUE(configureFromEnvironment().ok);
    EXPECT_TRUE(findAll("?*").empty());
}

}  // namespace
}  // namespace qm::visa::test

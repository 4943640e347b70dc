// qmcli with a meter on USB (usbtmc), served by this test through a fake
// sysfs tree and device node: listed like any meter, and a meter pulled out
// during a saved reading run ends it with every printed reading in the record.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "records/RecordTestSupport.h"
#include "support/FakeUsbtmc.h"
#include "support/StoredReadings.h"
#include "support/Subprocess.h"

namespace qm {
namespace {

using Bus = test::FakeUsbtmcBus;

TEST(QmcliUsb, AMeterPulledOutDuringASavedRunEndsItAndKeepsEveryPrintedReading) {
    test::TempDir dir;
    Bus bus;
    sim::MeterConfig meter;
    meter.model = "TX42";
    meter.serial = "SN000051";
    meter.value = 1.25;
    meter.noise = 0;
    Bus::Device device = Bus::Usb("SN000051", Bus::SimulatedMeter(meter));
    device.unplugAt = 30;  // well into the readings of one qmcli run
    bus.Plug(0, device);

    const auto list = test::Run({QMCLI_PATH, "list"}, dir.path(), {"QM_VISA_RESOURCES="});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out,
              "0\t TX42-USBTMC-SN000051\tUSB0::0x1209::0x4101::SN000051::INSTR\t"
              "Varnet, TX42, SN000051, V1.00\n");

    const auto run = test::Run(
        {QMCLI_PATH, "read", "0", "--count", "100", "--interval", "0", "--record", "2"},
        dir.path(), {"QM_VISA_RESOURCES="});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Check Device Connection"), std::string::npos) << run.err;
    std::vector<std::string> printed;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) printed.push_back(line);
    ASSERT_FALSE(printed.empty());
    EXPECT_LT(printed.size(), 100u);
    EXPECT_EQ(test::StoredValues(dir / "DB/Record 2.mdb"), std::vector<double>(printed.size(), 1.25));
}

}  // namespace
}  // namespace qm

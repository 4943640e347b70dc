#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "sim/SimMeter.h"
#include "tests/sim/SimTestSupport.h"

namespace qm::sim {
namespace {

using test::ask;
using test::makeConfig;

TEST(Readings, FollowFunctionRangeAndInput) {
    const struct {
        const char* model;
        const char* setup;
        std::optional<double> value;
        const char* reading;
    } kCases[] = {
        {"TX42", "CONF:VOLT:DC", std::nullopt, "+1.23400000E+00"},
        {"TX42", "CONF:CURR:DC", std::nullopt, "+5.00000000E-01"},
        {"TX41", "CONF:RES", std::nullopt, "+1.00000000E+03"},
        {"TX42", "CONF:VOLT:DC 10", 15.0, "+9.90000000E+37"},  // beyond the fixed range
        {"TX42", "CONF:VOLT:DC 10", -15.0, "-9.90000000E+37"},
        {"TX42", "CONF:VOLT:DC", 15.0, "+1.50000000E+01"},    // autorange finds 100 V
        {"TX42", "CONF:VOLT:DC", 1200.0, "+9.90000000E+37"},  // beyond every range
        {"TX42", "CONF:VOLT:AC", 700.0, "+7.00000000E+02"},
        {"TX42", "CONF:VOLT:AC", 800.0, "+9.90000000E+37"},  // the top AC range is 750 V
        {"TX41", "CONF:CURR:DC", 5.0, "+9.90000000E+37"},    // no 10 A range
        {"TX42", "CONF:CURR:DC", 5.0, "+5.00000000E+00"},
        {"TX42", "CONF:CONT", std::nullopt, "+9.90000000E+37"},  // open circuit
        {"TX42", "CONF:CONT", 5.0, "+5.00000000E+00"},
        {"TX42", "CONF:CONT", 50.0, "+9.90000000E+37"},
        {"TX42", "CONF:DIOD", std::nullopt, "+9.90000000E+37"},
        {"TX42", "CONF:DIOD", 0.6, "+6.00000000E-01"},
        {"TX42", "CONF:DIOD", 1.5, "+9.90000000E+37"},
        {"TX42", "CONF:TEMP", 25.0, "+2.50000000E+01"},
        {"TX41", "CONF:TEMP;:UNIT F", 25.0, "+7.70000000E+01"},
        {"TX42", "CONF:TCO;:SENS:UNIT K", 25.0, "+2.98150000E+02"},
        {"TX42", "CONF:CAP;:SENS:CAP:RANG 1e-9", 4.7e-8, "+9.90000000E+37"},
        {"TX42", "CONF:FREQ", 50.0, "+5.00000000E+01"},
        {"TX42", "CONF:VOLT:DC", 0.0, "+0.00000000E+00"},
        {"TX42", "CONF:VOLT:DC;:func2 \"FREQ\"", 2.0, "+2.00000000E+00,+1.00000000E+03"},
        {"QMTX42", "CONF:CURR:DC;:func2 \"PER:CURR\"", 0.5, "+5.00000000E-01,+1.00000000E-03"},
        {"TX41", "CONF:VOLT:DC;:SAMP:COUN 3", 1.0,
         "+1.00000000E+00,+1.00000000E+00,+1.00000000E+00"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.model) + ": " + c.setup);
        SimMeter m(makeConfig(c.model));
        m.setValue(c.value);
        m.execute(c.setup);
        EXPECT_EQ(ask(m, "read?"), c.reading);
        EXPECT_TRUE(test::errorCodes(m).empty());
    }
}

TEST(Readings, SecondValueComesFromItsOwnInput) {
    MeterConfig c = makeConfig("TX42");
    c.value = 1.5;
    c.value2 = 0.0056;
    SimMeter m(c);
    m.execute("CONF:VOLT:DC;:Function2 \"CURR\"");
    EXPECT_EQ(ask(m, "read?"), "+1.50000000E+00,+5.60000000E-03");
    m.execute("SENS:CURR:DC:RANG 1");
    m.setValue2(2.0);  // beyond the 1 A range of the second function
    EXPECT_EQ(ask(m, "READ?"), "+1.50000000E+00,+9.90000000E+37");
    EXPECT_EQ(ask(m, "MEAS:RES?"), "+1.50000000E+00");  // a new function drops the pair
}

TEST(Readings, NoiseIsSmallAndRepeatableForASeed) {
    auto readings = [](unsigned seed, double noise) {
        MeterConfig c = makeConfig("TX42", noise);
        c.seed = seed;
        c.value = 2.0;
        SimMeter m(c);
        std::string all;
        for (int i = 0; i < 5; ++i) all += ask(m, "read?") + ";";
        return all;
    };
    EXPECT_EQ(readings(7, -1), readings(7, -1));
    EXPECT_NE(readings(7, -1), readings(8, -1));
    EXPECT_EQ(readings(7, 0), readings(8, 0));

    SimMeter m(makeConfig("TX42", 1e-3));
    m.setValue(2.0);
    bool varied = false;
    const std::string first = ask(m, "read?");
    for (int i = 0; i < 20; ++i) {
        const std::string r = ask(m, "read?");
        EXPECT_NEAR(std::atof(r.c_str()), 2.0, 2.0 * 1e-3) << r;
        varied |= r != first;
    }
    EXPECT_TRUE(varied);
}

}  // namespace
}  // namespace qm::sim

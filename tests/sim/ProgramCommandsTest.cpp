// The commands exactly as the program formats them, over every function and
// range each model offers: all must be taken without an error and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/MeterModels.h"
#include "sim/SimMeter.h"
#include "tests/sim/SimTestSupport.h"

namespace qm::sim {
namespace {

using test::ask;
using test::errorCodes;
using test::makeConfig;

std::string format(const char* fmt, const char* keyword, double value = 0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, keyword, value);
    return buf;
}

TEST(ProgramCommands, RangeCommandsOfEveryFunctionAndModel) {
    const struct {
        const char* keyword;  // as the settings page and the status refresh write it
        Fn fn;
    } kRanged[] = {{"VOLT:DC", Fn::VoltDc}, {"CURR:DC", Fn::CurrDc}, {"VOLT:AC", Fn::VoltAc},
                   {"CURR:AC", Fn::CurrAc}, {"RES", Fn::Res},        {"FRES", Fn::FRes},
                   {"CAP", Fn::Cap}};
    for (const char* model : {"TX41", "TX42", "QMTX42"}) {
        SimMeter m(makeConfig(model));
        for (const auto& r : kRanged) {
            const RangeList& list = m.model().ranges[index(r.fn)];
            if (list.count == 0) continue;  // capacitance on the single-function model
            for (double v : list.span()) {
                SCOPED_TRACE(std::string(model) + " " + r.keyword + " " + std::to_string(v));
                m.execute(format("SENS:%s:RANGE:AUTO 0\n", r.keyword));
                m.execute(format("SENS:%s:RANGE %.12f\n", r.keyword, v));
                const double back =
                    std::atof(ask(m, format("SENS:%s:RANGE?\n", r.keyword)).c_str());
                EXPECT_EQ(back, v == 750 ? 1000 : v);
                EXPECT_EQ(ask(m, format("%s:RANGe:AUTO?\n", r.keyword)), "0");
            }
            m.execute(format("SENS:%s:RANG:AUTO 1\n", r.keyword));
            EXPECT_EQ(ask(m, format("SENS:%s:RANG:AUTO?\n", r.keyword)), "1");
            EXPECT_NE(ask(m, format("%s:range?\n", r.keyword)), "<none>");
        }
        for (const char* f : {"FREQ", "PER"}) {
            for (double v : {0.1, 1.0, 10.0, 100.0, 750.0}) {
                m.execute(format("SENS:%s:volt:rang %.1f\n", f, v));
                EXPECT_EQ(std::atof(ask(m, format("SENS:%s:volt:rang?\n", f)).c_str()),
                          v == 750 ? 1000 : v);
            }
            m.execute(std::string("SENS:") + f + ":volt:rang:auto on\n");
            EXPECT_EQ(ask(m, std::string(f) + ":VOLT:RANGe:AUTO?\n"), "1");
        }
        m.execute("SENS:CURR:DC:RANG 1\n");
        EXPECT_EQ(ask(m, "SENS:CURR:DC:RANG?\n"), "+1.00000000E+00");
        EXPECT_EQ(errorCodes(m), std::vector<int>{});
    }
}

TEST(ProgramCommands, SecondFunctionSettingsOfTheDualModel) {
    const struct {
        const char* primary;
        const char* keyword2;
        std::vector<const char*> settings;
        std::vector<const char*> readBack;
    } kCases[] = {
        {"CONF:VOLT:DC",
         "CURR",
         {"CURR:range 3 A", "CURR:nplc 10"},
         {"CURR:range:auto?", "CURR:range?", "CURR:nplc?"}},
        {"CONF:VOLT:DC",
         "VOLT:AC",
         {"VOLT:AC:range 0.1 V", "DETector:BANDwidth 3"},
         {"VOLT:AC:range?", "DETector:BANDwidth?"}},
        {"CONF:VOLT:AC",
         "FREQ",
         {"FREQ:range 0.1 ", "FREQ:aper 0.1"},
         {"FREQ:range:auto?", "FREQ:range?", "FREQ:APERture?"}},
        {"CONF:CURR:AC",
         "FREQ:CURR",
         {"FREQ:CURR:range 1 ", "FREQ:CURR:aper 1"},
         {"FREQ:CURR:range?", "FREQ:CURR:APERture?"}},
        {"CONF:CURR:DC",
         "PER:CURR",
         {"PER:CURR:range:auto ON", "PER:CURR:aper 0.01"},
         {"PER:CURR:range:auto?", "PER:CURR:APERture?"}},
        {"CONF:TCO", "RES", {"RES:range 100000", "RES:nplc 0.2"}, {"RES:range?", "RES:nplc?"}},
        {"CONF:TCO",
         "CAP",
         {"CAP:range 1E-9", "CAP:range:auto ON", "CAP:nplc 1"},
         {"CAP:range:auto?", "CAP:nplc?"}},
        {"CONF:TCO", "TEMP", {"UNIT C", "TEMP:RTD:TYPE PT100"}, {"UNIT?", "TEMP:RTD:TYPE?"}},
        {"CONF:VOLT:DC", "TCO", {"TCO:TYPE K", "UNIT F"}, {"UNIT?", "TCO:TYPE?"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.primary) + " + " + c.keyword2);
        SimMeter m(makeConfig("TX42"));
        m.execute(c.primary);
        m.execute(std::string("Function2 \"") + c.keyword2 + "\"\n");
        EXPECT_EQ(ask(m, "func2?"), std::string("\"") + c.keyword2 + "\"");
        for (const char* s : c.settings) m.execute(s);
        for (const char* q : c.readBack) EXPECT_NE(ask(m, q), "<none>") << q;
        EXPECT_EQ(errorCodes(m), std::vector<int>{});
    }
}

}  // namespace
}  // namespace qm::sim

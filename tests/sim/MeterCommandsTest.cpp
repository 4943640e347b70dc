#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/ScpiParser.h"
#include "sim/SimMeter.h"
#include "tests/sim/SimTestSupport.h"

namespace qm::sim {
namespace {

using test::ask;
using test::errorCodes;
using test::makeConfig;

struct RoundTrip {
    const char* set;  // may be empty
    const char* query;
    const char* answer;
};

// Commands the program sends, with the query that reads each setting back.
const RoundTrip kEveryModel[] = {
    {"CONF:VOLT:DC", "func?", "\"VOLT\""},
    {"CONF:VOLT:AC", "FUNC?", "\"VOLT:AC\""},
    {"CONF:CURR:DC", "func?", "\"CURR\""},
    {"CONF:CURR:AC", "func?", "\"CURR:AC\""},
    {"CONF:RES", "func?", "\"RES\""},
    {"CONF:FRES", "func?", "\"FRES\""},
    {"CONF:FREQ", "func?", "\"FREQ\""},
    {"CONF:PER", "func?", "\"PER\""},
    {"CONF:CONT", "func?", "\"CONT\""},
    {"CONF:DIODE", "func?", "\"DIOD\""},
    {"CONF:TEMP", "func?", "\"TEMP\""},
    {"CONF:VOLT:RAT", "func?", "\"VOLT:RAT\""},
    {"FUNC \"VOLT:AC\"", "SENS:FUNC?", "\"VOLT:AC\""},
    {"", "VOLT:DC:RANG:AUTO?", "1"},
    {"SENS:VOLT:DC:RANGE 0.100000000000", "VOLT:DC:RANG:AUTO?", "0"},
    {"SENS:VOLT:DC:RANGE 0.100000000000", "VOLT:DC:range?", "+1.00000000E-01"},
    {"SENS:VOLT:DC:RANG:AUTO 0;:SENS:VOLT:DC:RANG:AUTO 1", "SENS:VOLT:DC:RANG:AUTO?", "1"},
    {"SENS:VOLT:AC:RANGE 750.000000000000", "VOLT:AC:range?", "+1.00000000E+03"},
    {"SENS:VOLT:AC:RANGE 1000", "SENS:VOLT:AC:RANGE?", "+1.00000000E+03"},
    {"SENS:VOLT:AC:RANGE 0.5", "VOLT:AC:RANGe:AUTO?;:VOLT:AC:range?", "0;+1.00000000E+00"},
    {"SENS:CURR:DC:RANGE 0.01", "CURR:DC:range?", "+1.00000000E-02"},
    {"SENS:CURR:AC:RANGE 3", "CURR:AC:range?", "+3.00000000E+00"},
    {"SENS:RES:RANGE 1e6", "RES:range?", "+1.00000000E+06"},
    {"SENS:FRES:RANGE 100", "SENS:FRES:RANGE?", "+1.00000000E+02"},
    {"SENS:FREQ:volt:rang 0.1", "FREQ:VOLT:range?", "+1.00000000E-01"},
    {"SENS:FREQ:volt:rang 0.1;:SENS:FREQ:volt:rang:auto on", "FREQ:VOLT:RANGe:AUTO?", "1"},
    {"SENS:PER:volt:rang 750.0", "SENS:PER:volt:rang?", "+1.00000000E+03"},
    {"SENS:VOLT:DC:RAT:RANGE 100", "SENS:VOLT:DC:RAT:RANGE?", "+1.00000000E+02"},
    {"SENS:VOLT:DC:RAT:RANGE 100", "VOLT:DC:range?", "+1.00000000E+02"},
    {"SENS:VOLT:DC:RAT:RANGE:AUTO 0", "SENS:VOLT:DC:RAT:RANGE:AUTO?", "0"},
    {"SENS:DET:BAND 3", "det:band?", "+3.00000000E+00"},
    {"DETector:BANDwidth 200", "DETector:BANDwidth?", "+2.00000000E+02"},
    {"SENS:freq:APER 1", "SENS:FREQ:APER?", "+1.00000000E+00"},
    {"SENS:PER:APER 0.01", "SENS:PER:APER?", "+1.00000000E-02"},
    {"SENS:VOLT:DC:NPLC 10", "SENS:VOLT:DC:NPLC?", "+1.00000000E+01"},
    {"SENS:VOLT:DC:RAT:NPLC 1", "SENS:VOLT:DC:RAT:NPLC?", "+1.00000000E+00"},
    {"SENS:RES:NPLC 0.02", "RES:nplc?", "+2.00000000E-02"},
    {"SENS:TEMP:RTD:TYPE PT385", "SENS:TEMP:RTD:TYPE?", "PT385"},
    {"TEMP:RTD:TYPE USER", "TEMP:RTD:TYPE?", "USER"},
    {"SENS:TEMPerature:TRANsducer FRTD", "SENS:TEMPerature:TRANsducer?", "FRTD"},
    {"SENS:TEMP:RTD:ALPH 0.01", "SENS:TEMP:RTD:ALPH?", "+1.00000000E-02"},
    {"SENS:TEMP:RTD:BETA 1", "SENS:TEMP:RTD:BETA?", "+1.00000000E+00"},
    {"SENS:TEMP:RTD:DELT 0", "SENS:TEMP:RTD:DELT?", "+0.00000000E+00"},
    {"SENS:TEMP:RTD:RZER 10", "SENS:TEMP:RTD:RZER?", "+1.00000000E+01"},
    {"SENS:TEMP:SPRTD:RZER 1000", "SENS:TEMP:SPRTD:RZER?", "+1.00000000E+03"},
    {"SENS:TEMP:SPRTD:A4 -1", "SENS:TEMP:SPRTD:A4?", "-1.00000000E+00"},
    {"SENS:TEMP:SPRTD:B4 0.25", "SENS:TEMP:SPRTD:B4?", "+2.50000000E-01"},
    {"SENS:TEMP:SPRTD:Ax 0.5", "SENS:TEMP:SPRTD:AX?", "+5.00000000E-01"},
    {"SENS:TEMP:SPRTD:Bx 1", "SENS:TEMP:SPRTD:BX?", "+1.00000000E+00"},
    {"SENS:TEMP:SPRTD:Cx -0.5", "SENS:TEMP:SPRTD:CX?", "-5.00000000E-01"},
    {"trig:sour ext", "TRIG:SOUR?", "EXT"},
    {"trig:count 1", "TRIG:COUN?", "+1.00000000E+00"},
    {"trig:delay 0.5", "TRIG:DEL?", "+5.00000000E-01"},
    {"sample:count 5", "SAMP:COUN?", "+5.00000000E+00"},
    {"*ESE 36", "*ESE?", "+36"},
    {"", "*OPC?", "1"},
    {"", "*esr?", "+0"},
    {"", "syst:err?", "+0,\"No error\""},
};

const RoundTrip kDualModels[] = {
    {"CONF:TCO", "func?", "\"TCO\""},
    {"CONF:TCOUPLE", "func?", "\"TCO\""},
    {"CONF:CAP", "func?", "\"CAP\""},
    {"SENS:CAP:RANGE 1e-8", "sens:cap:rang?", "+1.00000000E-08"},
    {"SENS:CAP:RANGE 1e-8;RANGE:AUTO 1", "CAP:RANGe:AUTO?", "1"},
    {"", "SENS:CAP:rang? MAX", "+1.00000000E-02"},
    {"SENS:CURR:DC:RANGE 10", "CURR:DC:range?", "+1.00000000E+01"},
    {"SENS:CURR:AC:RANGE 10", "CURR:AC:range?", "+1.00000000E+01"},
    {"SENS:TCO:TYPE J", "SENS:TCO:TYPE?", "J"},
    {"TCO:TYPE C", "TCO:TYPE?", "C"},
    {"SENS:UNIT F", "SENS:UNIT?", "F"},
    {"UNIT K", "UNIT?", "K"},
    {"SENS:VOLT:DC:NPLC 0.001", "VOLT:nplc?", "+1.00000000E-03"},
    {"SENS:CURR:DC:NPLC 100", "CURR:nplc?", "+1.00000000E+02"},
    {"SENS:TEMP:RTD:TYPE NTCT", "SENS:TEMP:RTD:TYPE?", "NTCT"},
    {"TEMP:NTCT:A 0.01", "TEMP:NTCT:A?", "+1.00000000E-02"},
    {"TEMP:NTCT:B 0", "TEMP:NTCT:B?", "+0.00000000E+00"},
    {"TEMP:NTCT:C 0.001", "TEMP:NTCT:C?", "+1.00000000E-03"},
    {"FREQ:CURR:aper 1", "FREQ:CURR:APERture?", "+1.00000000E+00"},
    {"PER:CURR:range 3", "PER:CURR:range?", "+3.00000000E+00"},
    {"FREQ:range:auto ON", "FREQ:range:auto?", "1"},
    {"CONF:VOLT:DC;:Function2 \"FREQ\"", "func2?", "\"FREQ\""},
    {"CONF:CURR:DC;:func2 \"PER:CURR\"", "sens:func2?", "\"PER:CURR\""},
    {"CONF:CURR:AC;:Function2 \"FREQ:CURR\"", "func2?", "\"FREQ:CURR\""},
    {"CONF:TCO;:Function2 \"CAP\"", "func2?", "\"CAP\""},
    {"CONF:TCO;:Function2 \"TEMP\";:func2 \"NONE\"", "func2?", "\"NONE\""},
};

const RoundTrip kSingleModel[] = {
    {"UNIT F", "UNIT?", "F"},
    {"SENS:VOLT:DC:NPLC 0.1", "SENS:VOLT:DC:NPLC?", "+1.00000000E-01"},
    {"SENS:CURR:DC:RANGE 3", "CURR:DC:range?", "+3.00000000E+00"},
    {"", "SENS:CURR:AC:RANGE? MAX", "+3.00000000E+00"},
};

void runRoundTrips(const char* model, const RoundTrip* trips, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const RoundTrip& t = trips[i];
        SCOPED_TRACE(std::string(model) + ": " + t.set + " / " + t.query);
        SimMeter m(makeConfig(model));
        if (*t.set) {
            EXPECT_EQ(ask(m, t.set), "<none>");
        }
        EXPECT_EQ(ask(m, t.query), t.answer);
        EXPECT_EQ(errorCodes(m), std::vector<int>{});
    }
}

TEST(MeterCommands, EveryModelKeepsWhatItIsTold) {
    for (const char* model : {"TX41", "TX42", "QMTX42"})
        runRoundTrips(model, kEveryModel, std::size(kEveryModel));
    for (const char* model : {"TX42", "QMTX42"})
        runRoundTrips(model, kDualModels, std::size(kDualModels));
    runRoundTrips("TX41", kSingleModel, std::size(kSingleModel));
}

TEST(MeterCommands, RefusesWhatAModelDoesNotOfferWithTheRightError) {
    const struct {
        const char* model;
        const char* message;
        int error;
    } kCases[] = {
        {"TX41", "CONF:CAP", scpi::kUndefinedHeader},
        {"TX41", "CONF:TCO", scpi::kUndefinedHeader},
        {"TX41", "Function2 \"FREQ\"", scpi::kUndefinedHeader},
        {"TX41", "func2?", scpi::kUndefinedHeader},
        {"TX41", "SENS:UNIT C", scpi::kUndefinedHeader},
        {"TX41", "SENS:TCO:TYPE K", scpi::kUndefinedHeader},
        {"TX41", "sens:cap:rang?", scpi::kUndefinedHeader},
        {"TX41", "FREQ:CURR:APER 1", scpi::kUndefinedHeader},
        {"TX41", "SENS:CURR:DC:RANGE 10", scpi::kDataOutOfRange},
        {"TX41", "SENS:VOLT:DC:NPLC 100", scpi::kDataOutOfRange},
        {"TX41", "SENS:TEMP:RTD:TYPE NTCT", scpi::kIllegalParameterValue},
        {"TX41", "FUNC \"CAP\"", scpi::kIllegalParameterValue},
        {"TX42", "SENS:VOLT:DC:RANGE 2000", scpi::kDataOutOfRange},
        {"TX42", "SENS:TEMP:RTD:ALPH 0.0101", scpi::kDataOutOfRange},
        {"TX42", "SENS:TEMP:SPRTD:RZER 9.99", scpi::kDataOutOfRange},
        {"TX42", "TEMP:NTCT:A -0.001", scpi::kDataOutOfRange},
        {"TX42", "SENS:TCO:TYPE Q", scpi::kIllegalParameterValue},
        {"TX42", "FUNC \"BOGUS\"", scpi::kIllegalParameterValue},
        {"TX42", "FUNC \"FREQ:CURR\"", scpi::kIllegalParameterValue},
        {"TX42", "FUNC 5", scpi::kDataTypeError},
        {"TX42", "FUNC", scpi::kMissingParameter},
        {"TX42", "*IDN? 1", scpi::kParameterNotAllowed},
        {"TX42", "TRIG:SOUR SOMEWHERE", scpi::kIllegalParameterValue},
        {"TX42", "TRIG:COUN 0", scpi::kDataOutOfRange},
        {"TX42", "VOLT:RANG:AUTO MAYBE", scpi::kIllegalParameterValue},
        {"TX42", "VOLT:RANG? 5", scpi::kIllegalParameterValue},
        {"TX42", "UNIT X", scpi::kIllegalParameterValue},
        {"TX42", "*TRG", scpi::kTriggerIgnored},
        {"TX42", "FETC?", scpi::kDataStale},
        {"TX42", "READ", scpi::kUndefinedHeader},
        {"TX42", "INIT?", scpi::kUndefinedHeader},
        {"TX42", "CONF:RES;:func2 \"VOLT\"", scpi::kSettingsConflict},
        {"TX42", "CONF:CONT;:func2 \"TCO\"", scpi::kSettingsConflict},
        {"QMTX42", "CONF:VOLT:DC;:Function2 \"TCO\"", scpi::kSettingsConflict},
        {"QMTX42", "CONF:RES;:Function2 \"TCO\"", scpi::kSettingsConflict},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.model) + ": " + c.message);
        SimMeter m(makeConfig(c.model));
        m.execute(c.message);
        EXPECT_EQ(errorCodes(m), std::vector<int>{c.error});
    }
}

TEST(MeterCommands, SecondFunctionFollowsThePrimaryAndKeepsDcCurrentAtOneAmpOrMore) {
    SimMeter m(makeConfig("TX42"));
    m.execute("CONF:CURR:DC");
    m.execute("SENS:CURR:DC:RANG 0.1");
    m.execute("func2 \"VOLT\"");
    EXPECT_EQ(ask(m, "CURR:DC:range?;RANG:AUTO?"), "+1.00000000E+00;0");
    m.execute("SENS:CURR:DC:RANG 0.1");
    m.execute("SENS:CURR:DC:RANG:AUTO 1");
    EXPECT_EQ(errorCodes(m), (std::vector<int>{scpi::kSettingsConflict, scpi::kSettingsConflict}));
    m.execute("*CLS;func2 \"NONE\";:SENS:CURR:DC:RANG 0.1");
    EXPECT_EQ(ask(m, "CURR:DC:range?"), "+1.00000000E-01");

    // A new primary function keeps a second function it allows and drops one it does not.
    m.execute("CONF:VOLT:DC;:func2 \"FREQ\";:CONF:VOLT:AC");
    EXPECT_EQ(ask(m, "func2?"), "\"FREQ\"");
    m.execute("CONF:RES");
    EXPECT_EQ(ask(m, "func2?"), "\"NONE\"");
    EXPECT_EQ(m.function(), Fn::Res);
    EXPECT_TRUE(errorCodes(m).empty());
}

TEST(MeterCommands, AutoRangeReportsTheRangeItChoseAndKeepsItWhenSwitchedOff) {
    SimMeter m(makeConfig("TX42"));
    m.setValue(5.0);
    EXPECT_EQ(ask(m, "VOLT:DC:range?"), "+1.00000000E+01");
    m.execute("VOLT:DC:RANG:AUTO OFF");
    EXPECT_EQ(ask(m, "VOLT:DC:range?;RANG:AUTO?"), "+1.00000000E+01;0");
    EXPECT_EQ(m.range(Fn::VoltDc), 10);
    m.execute("VOLT:RANG:AUTO ONCE");
    EXPECT_FALSE(m.autoRange(Fn::VoltDc));
    m.execute("CONF:VOLT:DC 100");
    EXPECT_EQ(m.range(Fn::VoltDc), 100);
    EXPECT_FALSE(m.autoRange(Fn::VoltDc));
    m.execute("CONF:VOLT:DC AUTO");
    EXPECT_TRUE(m.autoRange(Fn::VoltDc));
}

TEST(MeterCommands, ErrorQueueIsBoundedAndSetsTheEventStatusBits) {
    SimMeter m(makeConfig("TX42"));
    for (int i = 0; i < 25; ++i) m.execute("BOGUS");
    std::vector<int> codes = errorCodes(m);
    ASSERT_EQ(codes.size(), ErrorQueue::kCapacity);
    EXPECT_EQ(codes.front(), scpi::kUndefinedHeader);
    EXPECT_EQ(codes.back(), scpi::kQueueOverflow);
    EXPECT_EQ(ask(m, "SYST:ERR?"), "-113,\"Undefined header\"");
    EXPECT_EQ(ask(m, "*STB?"), "+4");
    m.execute("*CLS");
    EXPECT_TRUE(errorCodes(m).empty());
    EXPECT_EQ(ask(m, "SYSTem:ERRor:NEXT?"), "+0,\"No error\"");

    m.execute("BOGUS");                      // command error
    m.execute("SENS:VOLT:DC:RANGE 2000");    // execution error
    m.reportError(scpi::kQueryInterrupted);  // query error
    EXPECT_EQ(m.eventStatus(), 32 | 16 | 4);
    EXPECT_EQ(ask(m, "*ESR?"), "+52");
    EXPECT_EQ(ask(m, "*ESR?"), "+0");
}

TEST(MeterCommands, ExternalTriggerCompletesTheOperation) {
    SimMeter m(makeConfig("TX42"));
    m.execute("trig:sour ext");
    m.execute("trig:count 1");
    m.execute("trig:delay 0.1");
    m.execute("init");
    Response r = m.execute("*OPC?");
    EXPECT_TRUE(r.answered && r.waitsForTrigger);
    EXPECT_FALSE(m.operationComplete());
    m.execute("*OPC");
    EXPECT_EQ(m.eventStatus() & 1, 0);
    m.execute("init");  // already armed
    m.execute("*TRG");
    EXPECT_TRUE(m.operationComplete());
    EXPECT_EQ(m.eventStatus() & 1, 1);
    EXPECT_EQ(errorCodes(m), std::vector<int>{scpi::kInitIgnored});
    r = m.execute("*OPC?;FETC?");
    EXPECT_FALSE(r.waitsForTrigger);
    EXPECT_EQ(r.text.substr(0, 3), "1;+");

    m.execute("*CLS;trig:sour bus;:read?");
    EXPECT_EQ(errorCodes(m), std::vector<int>{scpi::kTriggerDeadlock});
    m.execute("*CLS;trig:sour imm;:init;*TRG");
    EXPECT_EQ(errorCodes(m), std::vector<int>{scpi::kTriggerIgnored});
    m.execute("trig:sour ext;:init;:abort");
    EXPECT_TRUE(m.operationComplete());
}

TEST(MeterCommands, IdentityResetAndCommandLog) {
    MeterConfig c = makeConfig("TX41");
    c.serial = "SN123";
    SimMeter tx41(c);
    EXPECT_EQ(ask(tx41, "*IDN?"), "Varnet, Model TX41, SN123, V1.00");
    SimMeter qm(makeConfig("QMTX42"));
    EXPECT_EQ(ask(qm, "*idn?"), "Varnet, QMTX42, SN000001, V1.00");
    c.identity = "Othermaker, DM3000, 0, 1.0";
    SimMeter other(c);
    EXPECT_EQ(ask(other, "*IDN?"), "Othermaker, DM3000, 0, 1.0");
    c.faults.emptyIdentity = true;
    SimMeter silent(c);
    EXPECT_EQ(ask(silent, "*IDN?"), "");

    SimMeter m(makeConfig("TX42"));
    m.execute("CONF:CAP;:SENS:CAP:RANG 1e-6;:func2 \"TCO\"");
    m.execute("*RST");
    EXPECT_EQ(ask(m, "func?;func2?;:CAP:RANG:AUTO?"), "\"VOLT\";\"NONE\";1");
    EXPECT_EQ(m.commandLog(),
              (std::vector<std::string>{"CONF:CAP;:SENS:CAP:RANG 1e-6;:func2 \"TCO\"", "*RST",
                                        "func?;func2?;:CAP:RANG:AUTO?"}));
    m.setCommandLogLimit(1);
    EXPECT_EQ(m.commandLog(), std::vector<std::string>{"func?;func2?;:CAP:RANG:AUTO?"});
}

}  // namespace
}  // namespace qm::sim

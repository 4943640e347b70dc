#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/ScpiParser.h"

namespace qm::sim::scpi {
namespace {

// Every unit of a message as "HEADER?" text, plus the error that ended it.
struct Parsed {
    std::vector<Unit> units;
    std::vector<std::string> headers;
    int error = 0;
};

Parsed parse(std::string_view message) {
    Parsed out;
    MessageParser parser(message);
    Unit u;
    while (true) {
        const auto step = parser.next(u, out.error);
        if (step != MessageParser::Step::Unit) break;
        std::string h = u.common ? "*" : "";
        for (int i = 0; i < u.nodeCount; ++i) h += (i ? ":" : "") + std::string(u.nodes[i]);
        if (u.query) h += "?";
        out.units.push_back(u);
        out.headers.push_back(h);
    }
    return out;
}

bool matches(const HeaderPattern& p, std::string_view header) {
    const Parsed parsed = parse(header);
    return parsed.error == 0 && parsed.units.size() == 1 && p.matches(parsed.units[0]);
}

TEST(HeaderPattern, AcceptsLongAndShortFormsAndSkipsOptionalNodes) {
    const auto p = HeaderPattern::compile("[SENSe:]VOLTage[:DC]:RANGe[:UPPer]");
    ASSERT_TRUE(p);
    for (const char* h :
         {"VOLT:RANG", "SENS:VOLT:DC:RANG:UPP", "sense:voltage:dc:range:upper", "Volt:Dc:Range",
          "VOLTAGE:RANGE:UPPER", ":VOLT:DC:RANG", "SENS1:VOLT:RANG"})
        EXPECT_TRUE(matches(*p, h)) << h;
    for (const char* h : {"VOLTA:RANG", "VOL:RANG", "VOLT:AC:RANG", "VOLT", "VOLT:RANG:UPP:UPP",
                          "SENS:SENS:VOLT:RANG", "SENS2:VOLT:RANG", "VOLT:RANGE:AUTO"})
        EXPECT_FALSE(matches(*p, h)) << h;

    const auto middle = HeaderPattern::compile("[SENSe:]FREQuency[:VOLTage]:RANGe:AUTO");
    ASSERT_TRUE(middle);
    EXPECT_TRUE(matches(*middle, "FREQ:VOLT:RANGe:AUTO?"));
    EXPECT_TRUE(matches(*middle, "SENS:FREQ:volt:rang:auto"));
    EXPECT_TRUE(matches(*middle, "FREQ:RANG:AUTO"));
    EXPECT_FALSE(matches(*middle, "FREQ:CURR:RANG:AUTO"));
}

TEST(HeaderPattern, NumericSuffixesAndCommonCommands) {
    const auto f2 = HeaderPattern::compile("[SENSe:]FUNCtion2");
    const auto f1 = HeaderPattern::compile("[SENSe:]FUNCtion");
    const auto a4 = HeaderPattern::compile("[SENSe:]TEMPerature:SPRTD:A4");
    const auto idn = HeaderPattern::compile("*IDN");
    ASSERT_TRUE(f2 && f1 && a4 && idn);
    EXPECT_TRUE(matches(*f2, "Function2"));
    EXPECT_TRUE(matches(*f2, "sens:func2?"));
    EXPECT_FALSE(matches(*f2, "FUNC"));
    EXPECT_TRUE(matches(*f1, "FUNC1"));
    EXPECT_FALSE(matches(*f1, "FUNC2"));
    EXPECT_TRUE(matches(*a4, "SENS:TEMP:SPRTD:A4"));
    EXPECT_FALSE(matches(*a4, "SENS:TEMP:SPRTD:A5"));
    EXPECT_TRUE(matches(*idn, "*idn?"));
    EXPECT_FALSE(matches(*idn, "IDN?"));

    for (const char* bad : {"", "*", "[SENSe:VOLT", "VOLT]", "[[A]]", "VOLT:%", "*I2"})
        EXPECT_FALSE(HeaderPattern::compile(bad)) << bad;
}

TEST(HeaderPattern, MatchesFunctionNamesInsideStrings) {
    const auto freq = HeaderPattern::compile("FREQuency[:VOLTage]");
    ASSERT_TRUE(freq);
    EXPECT_TRUE(freq->matchesPath("FREQ"));
    EXPECT_TRUE(freq->matchesPath(" freq:volt "));
    EXPECT_FALSE(freq->matchesPath("FREQ:CURR"));
    EXPECT_FALSE(freq->matchesPath("FREQ::VOLT"));
    EXPECT_FALSE(freq->matchesPath(""));
}

TEST(MessageParser, SemicolonContinuesAtThePreviousCommandsPathLevel) {
    EXPECT_EQ(parse("SENS:VOLT:RANG 10;NPLC 1;*IDN?;RANG?;:FUNC?;RANG?").headers,
              (std::vector<std::string>{"SENS:VOLT:RANG", "SENS:VOLT:NPLC", "*IDN?",
                                        "SENS:VOLT:RANG?", "FUNC?", "RANG?"}));
    EXPECT_EQ(parse("  conf:volt:ac ; :read? ;;").headers,
              (std::vector<std::string>{"conf:volt:ac", "read?"}));
    EXPECT_EQ(parse("func?;func2?").headers, (std::vector<std::string>{"func?", "func2?"}));
}

TEST(MessageParser, ConvertsNumbersSuffixesAndText) {
    const Parsed p = parse("X 1.5E-3,-2,+.5,MAX,ON,\"a;b,\"\"c\"\"\",'x',PT100");
    ASSERT_EQ(p.error, 0);
    const Unit& u = p.units.at(0);
    int error = 0;
    EXPECT_DOUBLE_EQ(toNumeric(u.params[0], error)->value, 1.5e-3);
    EXPECT_DOUBLE_EQ(toNumeric(u.params[1], error)->value, -2);
    EXPECT_DOUBLE_EQ(toNumeric(u.params[2], error)->value, 0.5);
    EXPECT_EQ(toNumeric(u.params[3], error)->kind, Numeric::Kind::Max);
    EXPECT_EQ(toBool(u.params[4], error), true);
    EXPECT_EQ(toText(u.params[5]), "A;B,\"C\"");
    EXPECT_EQ(toText(u.params[6]), "X");
    EXPECT_EQ(toText(u.params[7]), "PT100");
    EXPECT_FALSE(toText(u.params[0]));

    const struct {
        const char* text;
        double value;
    } kSuffixes[] = {{"1 A", 1},      {"100 mV", 0.1}, {"10 KOHM", 1e4}, {"1 MOHM", 1e6},
                     {"1E-9F", 1e-9}, {"10n F", 1e-8}, {"3 MHZ", 3e6},   {"2 uA", 2e-6}};
    for (const auto& s : kSuffixes) {
        const Parsed q = parse(std::string("X ") + s.text);
        ASSERT_EQ(q.error, 0) << s.text;
        EXPECT_NEAR(q.units.at(0).params[0].number, s.value, s.value * 1e-12) << s.text;
    }
}

TEST(MessageParser, GarbageEndsTheMessageWithTheRightError) {
    const struct {
        const char* message;
        int error;
    } kCases[] = {
        {"VOLT:RANG \"abc", kInvalidStringData},
        {"VOLT::RANG 1", kSyntaxError},
        {"\x01\x02", kInvalidCharacter},
        {"VOLT:RANG 1.2.3", kNumericDataError},
        {"VOLT:RANG 10 XYZ", kInvalidSuffix},
        {"VOLT:RANG 1,", kSyntaxError},
        {"VOLT 1,,2", kSyntaxError},
        {"X 1,2,3,4,5,6,7,8,9", kParameterNotAllowed},
        {"?", kSyntaxError},
        {"*", kSyntaxError},
        {"*ID2?", kSyntaxError},
        {"A:B:C:D:E:F:G:H:I:J:K:L:M:N:O:P:Q", kUndefinedHeader},
        {"VOLT #H1F", kSyntaxError},
        {"VOLT:RANG \xff", kInvalidCharacter},
    };
    for (const auto& c : kCases) {
        const Parsed p = parse(c.message);
        EXPECT_EQ(p.error, c.error) << c.message;
        EXPECT_TRUE(p.units.empty()) << c.message;
    }
    // Units before the bad one stand; the rest of the message is dropped.
    const Parsed p = parse("*CLS;VOLT::X;*IDN?");
    EXPECT_EQ(p.headers, std::vector<std::string>{"*CLS"});
    EXPECT_EQ(p.error, kSyntaxError);
}

TEST(Parameters, ConversionsReportTheRightErrors) {
    const Unit u = parse("X \"str\",FOO,2,0.4,MAYBE").units.at(0);
    int error = 0;
    EXPECT_FALSE(toNumeric(u.params[0], error));
    EXPECT_EQ(error, kDataTypeError);
    EXPECT_FALSE(toNumeric(u.params[1], error));
    EXPECT_EQ(error, kIllegalParameterValue);
    EXPECT_EQ(toBool(u.params[2], error), true);
    EXPECT_EQ(toBool(u.params[3], error), false);
    EXPECT_FALSE(toBool(u.params[4], error));
    EXPECT_EQ(error, kIllegalParameterValue);
    EXPECT_TRUE(keywordMatches("IMMediate", "imm"));
    EXPECT_TRUE(keywordMatches("IMMediate", "IMMEDIATE"));
    EXPECT_FALSE(keywordMatches("IMMediate", "IMME"));
}

TEST(AppendNumber, UsesTheMetersNumberFormat) {
    std::string s;
    appendNumber(s, 1.23456789e-3);
    s += ',';
    appendNumber(s, 9.9e37);
    s += ',';
    appendNumber(s, -0.5);
    EXPECT_EQ(s, "+1.23456789E-03,+9.90000000E+37,-5.00000000E-01");
}

}  // namespace
}  // namespace qm::sim::scpi

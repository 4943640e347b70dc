#include "visa/ResourceExpression.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using qm::visa::ResourceExpression;

namespace {

bool match(const std::string& pattern, const std::string& candidate) {
    const auto expr = ResourceExpression::parse(pattern);
    EXPECT_TRUE(expr.has_value()) << pattern;
    return expr && expr->matches(candidate);
}

TEST(ResourceExpression, OperatorsMatchWholeDescriptorIgnoringCase) {
    const std::string usb = "USB0::0x1209::0x4101::SN000001::INSTR";
    EXPECT_TRUE(match("USB[0-9]::0x1209::?*INSTR", usb));
    EXPECT_FALSE(match("USB[0-9]::0x1208::?*INSTR", usb));
    EXPECT_TRUE(match("usb?*instr", usb));
    EXPECT_TRUE(match("?*INSTR", "GPIB0::7::INSTR"));
    EXPECT_TRUE(match("GPIB[0-9]?*INSTR", "GPIB0::12::INSTR"));
    EXPECT_FALSE(match("GPIB[0-9]?*INSTR", usb));
    EXPECT_TRUE(match("GPIB?*", "gpib0::7::instr"));

    // Whole-string: neither a prefix nor a suffix is enough.
    EXPECT_FALSE(match("GPIB0", "GPIB0::7::INSTR"));
    EXPECT_FALSE(match("7::INSTR", "GPIB0::7::INSTR"));

    EXPECT_TRUE(match("A?C", "AxC"));
    EXPECT_FALSE(match("A?C", "AC"));
    EXPECT_TRUE(match("AB*C", "AC"));
    EXPECT_TRUE(match("AB*C", "ABBBC"));
    EXPECT_FALSE(match("AB+C", "AC"));
    EXPECT_TRUE(match("AB+C", "ABBC"));
    EXPECT_TRUE(match("[a-c]+", "CabBA"));
    EXPECT_FALSE(match("[^a-c]", "B"));
    EXPECT_TRUE(match("[^a-c]", "d"));
    EXPECT_TRUE(match("[-x]", "-"));
    EXPECT_TRUE(match("GPIB|USB", "usb"));
    EXPECT_FALSE(match("GPIB|USB", "USBGPIB"));
    EXPECT_TRUE(match("(GPIB|USB)0::?*", "GPIB0::7::INSTR"));
    EXPECT_TRUE(match("(AB)+", "ABABAB"));
    EXPECT_FALSE(match("(AB)+", "ABA"));
    EXPECT_TRUE(match("(A*)*B", "AAAB"));

    // Escapes make special characters literal, inside lists too.
    EXPECT_TRUE(match("A\\*B", "A*B"));
    EXPECT_FALSE(match("A\\*B", "AAB"));
    EXPECT_TRUE(match("\\?", "?"));
    EXPECT_TRUE(match("[\\]x]", "]"));
    EXPECT_TRUE(match("\\(\\)\\|\\[\\]\\\\", "()|[]\\"));
}

TEST(ResourceExpression, MalformedPatternsAreRejected) {
    for (const char* bad : {"", "(", "(USB", "USB)", "[0-9", "]", "*", "+USB", "(*A)", "A|*", "A|",
                            "|A", "()", "[]", "[^]", "[z-a]", "USB\\", "[a\\"}) {
        std::string why;
        EXPECT_FALSE(ResourceExpression::parse(bad, &why).has_value()) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
    EXPECT_FALSE(ResourceExpression::parse(std::string(70, '(') + "A" + std::string(70, ')')));
    EXPECT_TRUE(ResourceExpression::parse(std::string(60, '(') + "A" + std::string(60, ')')));
    EXPECT_FALSE(ResourceExpression::parse(std::string(5000, 'A')));
}

TEST(ResourceExpression, HostilePatternsFinishQuickly) {
    // Patterns that drive a naive backtracking matcher exponential.
    const auto start = std::chrono::steady_clock::now();
    std::string nested;
    for (int i = 0; i < 30; ++i) nested += "(A*)*";
    const std::string text = std::string(3000, 'A') + "B";
    EXPECT_FALSE(match(nested + "C", text));
    EXPECT_FALSE(match("(A|A)*(A|AA)*(A+)+C", text));
    EXPECT_FALSE(match(std::string(400, '?') + "?*C", text));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace

// Captured meter answers replayed through the reading loop: odd line ends,
// exponents, overload and open-circuit values, dual answers, garbage.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[++i];
            out.push_back(c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c);
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

struct Captured {
    std::string answer, function, mainText, secondText;
};

std::vector<Captured> LoadCaptured() {
    std::vector<Captured> cases;
    std::ifstream in(std::string(QM_TEST_DATA_DIR) + "/app/captured_answers.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string field;
        while (std::getline(ss, field, '\t')) f.push_back(field);
        if (f.size() == 4) cases.push_back({Unescape(f[0]), f[1], f[2], f[3]});
    }
    return cases;
}

struct LastLine : ReadingView {
    void LineUpdated(const LineReading& l) override { line = l; }
    LineReading line;
};

TEST(CapturedAnswers, ShowAsTheWindowShowsThem) {
    const auto cases = LoadCaptured();
    ASSERT_GE(cases.size(), 15u);

    test::SimulatedBench bench;
    bench.UseTable(test::SimMeterSection("USB0::0x1209::0x4101::SN1::INSTR", "TX42", "SN1"));
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    MeterTool tool(prompter, texts, bench.clock);
    tool.Refresh();
    LastLine view;
    tool.loop().SetView(&view);

    std::string answer;
    tool.loop().SetAnswerSource([&](int, bool) { return FetchedAnswer{answer, VI_SUCCESS}; });
    for (const auto& c : cases) {
        // The function the reading is classified by, as a button would leave it.
        tool.sessions().Query(0, c.function + "\n");
        ASSERT_TRUE(tool.loop().OnStartReading()) << c.answer;
        answer = c.answer;
        tool.loop().OnTimer();
        if (c.mainText == "(not a number)") {
            EXPECT_FALSE(view.line.answered) << c.answer;
            EXPECT_TRUE(view.line.notANumber) << c.answer;
            tool.loop().OnStopReading();
            continue;
        }
        EXPECT_TRUE(view.line.answered) << c.answer;
        EXPECT_EQ(view.line.mainText, c.mainText) << "answer: " << c.answer;
        if (c.secondText == "-")
            EXPECT_FALSE(view.line.hasSecond) << c.answer;
        else
            EXPECT_EQ(view.line.secondText, c.secondText) << c.answer;
        tool.loop().OnStopReading();
    }
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace qm

// The add-in's programs in a headless office with a throw-away profile:
// Load installs the extension and its toolbar; the toolbar's macros start
// the real qmlink, which connects a simulated meter and logs a run from
// START to STOP into a Calc document; addinclean removes bar and add-in.
// Load also opens word-processor templates in Writer.
//
// The office runs the host, so the host's settings, meters and socket
// folder are given to the office through its environment.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/TempFolder.h"
#include "sheet/CalcAddin.h"
#include "support/Subprocess.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/OfficeSupport.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

// Waits for something another process (the office, or the host it started)
// does; false when `limit` passes first.
template <class Ready>
bool WaitFor(Ready ready, std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

// One request to the host on its socket: its answer line, and its process.
std::string Ask(const std::string& socketPath, const std::string& request, pid_t* host = nullptr) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "no socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        ucred peer{};
        socklen_t length = sizeof peer;
        if (host && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0) *host = peer.pid;
        const std::string line = request + "\n";
        if (::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
            timeval limit{5, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            char c = 0;
            while (::read(fd, &c, 1) == 1 && c != '\n') answer += c;
        }
    } else {
        answer = "not listening";
    }
    ::close(fd);
    return answer;
}

// The host processes the office started (their wrapper notes each one):
// ended when the test is done, however it ends.
struct HostProcesses {
    std::filesystem::path pids;
    ~HostProcesses() {
        std::ifstream in(pids);
        for (long pid = 0; in >> pid;) {
            const std::string command = test::ReadBytes("/proc/" + std::to_string(pid) + "/cmdline");
            if (command.find("qmlink") != std::string::npos) ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    }
};

class AddinOffice : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        const auto root = folder_->path();
        // The toolbar's macros run this wrapper of the host: it notes its
        // process and keeps its messages.
        const auto wrapper = root / "qmlink.sh";
        std::ofstream(wrapper) << "#!/bin/sh\necho $$ >> '" << (root / "host.pids").string() << "'\n"
                               << "exec '" << QM_QMLINK << "' \"$@\" 2>> '" << (root / "host.err").string()
                               << "'\n";
        std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
        std::filesystem::create_directories(root / "runtime");
        std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
        // Two meters; the first reads 1.25 with a little noise.
        test::WriteBytes(root / "sim.ini",
                         test::SimMeterSection("USB0::0x1209::0x4101::SN000001::INSTR", "TX42", "SN000001",
                                               "value=1.25\nnoise=0.01") +
                             test::SimMeterSection("USB0::0x1209::0x4101::SN000002::INSTR", "TX41", "SN000002"));
        // The settings: the shipped languages, and a run of readings every
        // 50 ms that only STOP ends, with a strip chart of the last 20 on the data sheet.
        const auto settings = root / "docs" / "Varnet Instruments" / "TX42" / "QM_TOOL.ini";
        std::filesystem::create_directories(settings.parent_path());
        std::string ini = test::ReadBytes(QM_SOURCE_DIR "/data/QM_TOOL.ini");
        const auto section = ini.find("[Information]\n");
        if (section != std::string::npos)
            ini.insert(section + 14, "ReadPoints=100\nBegin=1\nTerminating=3\nAdd_Chart=2\nIn_Sheet=True\n"
                                     "NumPoints=20\nInterval=50\n");
        test::WriteBytes(settings, ini);
        for (const auto& [name, value] :
             std::initializer_list<std::pair<const char*, std::string>>{
                 {"QM_LINK_HOST", wrapper.string()},
                 {"QM_VISA_RESOURCES", (root / "sim.ini").string()},
                 {"QM_LINK_DOCS", (root / "docs").string()},
                 {"XDG_RUNTIME_DIR", (root / "runtime").string()},
                 {"QT_QPA_PLATFORM", "offscreen"},
                 {"QM_LINK_HIDDEN", "1"}})
            ::setenv(name, value.c_str(), 1);
        pipe_ = "qm_addin_test_" + std::to_string(::getpid());
        test::StartSuiteOffice(pipe_, office_, startError_);
    }
    static void TearDownTestSuite() {
        test::EndSuiteOffice(office_);
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(office_) << "the office did not start: " << startError_; }

    static std::filesystem::path Root() { return folder_->path(); }
    static std::vector<std::string> Env() {
        return {"QM_LINK_OFFICE=pipe,name=" + pipe_, "QM_LINK_HIDDEN=1", "QT_QPA_PLATFORM=offscreen"};
    }
    static std::string HostErrors() { return test::ReadBytes(Root() / "host.err"); }

    static inline test::TempFolder* folder_ = nullptr;
    static inline std::shared_ptr<sheet::CalcOffice> office_;
    static inline std::string pipe_;
    static inline std::string startError_;
};

// The Calc document with the run: its first sheet has the headings.
std::shared_ptr<sheet::CalcDocument> LoggingDocument(sheet::CalcOffice& office) {
    auto open = sheet::OpenSpreadsheets(office);
    if (!open) return nullptr;
    for (const auto& d : open.value()) {
        auto a1 = d.document->Evaluate(0, "=A1");
        if (a1 && a1.value() == "Time") return d.document;
    }
    return nullptr;
}

double Number(sheet::CalcDocument& doc, const std::string& formula) {
    auto text = doc.Evaluate(0, formula);
    return text && !text.value().empty() ? std::atof(text.value().c_str()) : -1;
}

TEST_F(AddinOffice, LoadTheToolbarsHostRunsALogFromStartToStopAndAddincleanRemovesAll) {
    HostProcesses hosts{Root() / "host.pids"};
    auto load = test::Run({QM_LOAD, QM_OXT}, {}, Env());
    ASSERT_EQ(load.exitCode, 0) << load.err;
    auto extensions = sheet::UserExtensions(*office_);
    ASSERT_TRUE(extensions) << extensions.description();
    ASSERT_EQ(extensions.value().size(), 1u);
    EXPECT_EQ(extensions.value()[0].fileName, "QMLINKTX42.oxt");
    EXPECT_TRUE(extensions.value()[0].enabled);
    auto bars = sheet::CalcToolbars(*office_);
    ASSERT_TRUE(bars) << bars.description();
    ASSERT_EQ(bars.value().size(), 1u);
    EXPECT_EQ(bars.value()[0].uiName, "Varnet QM-Link");
    const std::vector<sheet::CommandBarControl> buttons = bars.value()[0].controls;
    ASSERT_EQ(buttons.size(), 9u);
    EXPECT_EQ(buttons[6].macro, "DmmTimerStart");

    // Connect: the macro starts the host, which shows the form with the meters.
    const std::string socket = (Root() / "runtime" / "qmlink" / "host").string();
    ASSERT_TRUE(sheet::RunToolbarMacro(*office_, buttons[1]));
    pid_t host = 0;
    ASSERT_TRUE(WaitFor([&] { return Ask(socket, "select frmConnect lvwDMM 1", &host) == "ok"; }, 60s))
        << Ask(socket, "select frmConnect lvwDMM 1") << "\n" << HostErrors();
    EXPECT_EQ(Ask(socket, "press frmConnect cmdConnect"), "ok");
    EXPECT_EQ(Ask(socket, "press frmConnect cmdOK"), "ok");
    EXPECT_TRUE(WaitFor([&] { return Ask(socket, "press frmConnect cmdOK") == "error frmConnect is not shown"; }));
    EXPECT_EQ(Ask(socket, "press frmConnect rm -rf"), "error not a request");

    // File Access through a second host process, which hands its command over.
    ASSERT_TRUE(sheet::RunToolbarMacro(*office_, buttons[2]));
    ASSERT_TRUE(WaitFor([&] { return Ask(socket, "press frmFiles cmdOK") == "ok"; })) << HostErrors();
    std::shared_ptr<sheet::CalcDocument> doc;
    ASSERT_TRUE(WaitFor([&] { return (doc = LoggingDocument(*office_)) != nullptr; })) << HostErrors();

    // START under the launcher's macro name, readings come in, STOP ends the run.
    ASSERT_TRUE(sheet::RunToolbarMacro(*office_, buttons[6]));
    ASSERT_TRUE(WaitFor([&] { return Number(*doc, "=F4") >= 22; })) << HostErrors();
    // A picture of the running strip chart, as the office prints it, when asked for.
    if (const char* shots = std::getenv("QM_SHOTS")) {
        ASSERT_TRUE(WaitFor([&] { return Number(*doc, "=F4") >= 60; }));
        ASSERT_TRUE(doc->SaveAs(std::string(shots) + "/qm-link-calc-run.pdf"));
    }
    ASSERT_TRUE(sheet::RunToolbarMacro(*office_, buttons[8]));
    // The engine's own bar in the document: START enabled again once the run stopped.
    auto startEnabled = [&] {
        const auto bar = doc->CommandBar("Varnet QM-Link");
        return bar && bar.value().size() == 9 && bar.value()[6].enabled;
    };
    ASSERT_TRUE(WaitFor(startEnabled)) << HostErrors() << "readings: " << Number(*doc, "=F4");
    const double count = Number(*doc, "=F4");
    EXPECT_GE(count, 22);
    EXPECT_NEAR(Number(*doc, "=B2"), 1.25, 0.1);  // the connected meter's reading
    EXPECT_EQ(Number(*doc, "=COUNT(B2:B1000)"), count);
    // The strip chart shows the last 20 readings.
    EXPECT_EQ(Number(*doc, "=F8"), 20);
    EXPECT_EQ(doc->Evaluate(0, "=IF(DmmisStripChart;\"strip\";\"all\")").value(), "strip");
    EXPECT_EQ(Number(*doc, "=ROWS(DmmyAxis)"), 20);
    EXPECT_EQ(Number(*doc, "=ROW(DmmyAxis)"), count + 2 - 20);
    const auto bar = doc->CommandBar("Varnet QM-Link");
    ASSERT_TRUE(bar) << bar.description();
    EXPECT_EQ(bar.value()[6].macro, "DmmTimerStartTX35XX");
    EXPECT_EQ(bar.value()[8].tip, "STOP");
    ASSERT_GT(host, 0);
    ::kill(host, SIGKILL);

    // addinclean: a bar named in lower case goes too; the add-in is disabled, its file kept.
    const sheet::CommandBarControl one{"DmmAboutTX35XX", "About", true, true};
    ASSERT_TRUE(sheet::SetCalcToolbar(*office_, "private:resource/toolbar/custom_other", "varnet qm-link", {&one, 1}));
    auto clean = test::Run({QM_ADDINCLEAN}, {}, Env());
    ASSERT_EQ(clean.exitCode, 0) << clean.err;
    bars = sheet::CalcToolbars(*office_);
    ASSERT_TRUE(bars);
    EXPECT_TRUE(bars.value().empty());
    extensions = sheet::UserExtensions(*office_);
    ASSERT_TRUE(extensions);
    ASSERT_EQ(extensions.value().size(), 1u);
    EXPECT_FALSE(extensions.value()[0].enabled);

    // Neither present: it opens and closes without a message.
    clean = test::Run({QM_ADDINCLEAN}, {}, Env());
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_TRUE(clean.err.empty()) << clean.err;
}

TEST_F(AddinOffice, LoadOpensANewWriterDocumentFromEitherTemplateKind) {
    if (!std::filesystem::exists(sheet::OfficeProgramDir() + "/libswlo.so"))
        GTEST_SKIP() << "LibreOffice Writer is not installed";
    for (const char* name : {"qm-link-template.ott", "qm-link-template.dot"}) {
        auto load = test::Run({QM_LOAD, QM_SOURCE_DIR "/tests/data/addin/" + std::string(name)}, {}, Env());
        ASSERT_EQ(load.exitCode, 0) << name << ": " << load.err;
    }
    auto docs = sheet::OpenTextDocuments(*office_);
    ASSERT_TRUE(docs) << docs.description();
    ASSERT_EQ(docs.value().size(), 2u);
    for (const auto& d : docs.value()) {
        EXPECT_EQ(d.text.rfind("Varnet QM-Link template", 0), 0u) << d.text;
        EXPECT_TRUE(d.location.empty()) << "the template itself was opened: " << d.location;
    }
}

}  // namespace
}  // namespace qm

// qmcli read --record and records list, end to end: a printed reading is
// saved unless its line says otherwise, and the record list tells why a
// number is taken.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "records/RecordTestSupport.h"
#include "support/Subprocess.h"

namespace qm {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

struct CliFolder {
    test::RunResult Read(const std::string& extra, std::vector<std::string> args,
                         const std::vector<std::string>& prefix = {}) {
        const std::string table = dir / "meter.ini";
        test::WriteBytes(table, "[USB0::0x1209::0x4101::SN000031::INSTR]\nbackend=sim\nmodel=TX42\n"
                                "serial=SN000031\nvalue=1.5\nnoise=0\n" + extra + "\n");
        std::vector<std::string> argv = prefix;
        for (const char* a : {QMCLI_PATH, "--resources"}) argv.push_back(a);
        argv.push_back(table);
        argv.insert(argv.end(), args.begin(), args.end());
        return test::Run(argv, dir.path());
    }
    std::string Record(int n) const { return dir.path() + "/DB/Record " + std::to_string(n) + ".mdb"; }
    test::TempDir dir;
};

TEST(QmcliSaving, AnswersLongerThanTheBufferArePrintedAsNotSaved) {
    CliFolder f;
    auto r = f.Read("long_answer=1", {"read", "0", "--count", "3", "--interval", "0", "--record", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "1.500000000000\tNOT SAVED\n1.500000000000\tNOT SAVED\n"
                     "1.500000000000\tNOT SAVED\n");
    EXPECT_NE(r.err.find("3 answers were longer than 1023 bytes"), std::string::npos) << r.err;
    EXPECT_EQ(test::StoredValues(f.Record(2)).size(), 0u);

    // Without --record nothing is said about saving.
    auto plain = f.Read("long_answer=1", {"read", "0", "--count", "1", "--interval", "0"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, "1.500000000000\n");
}

TEST(QmcliSaving, AFailedAppendIsPrintedAsNotSaved) {
    CliFolder f;
    // Files may not grow past 64 KiB (the shell's limit is in 512-byte blocks);
    // the reading whose row does not fit is the last one printed.
    auto r = f.Read("", {"read", "0", "--count", "100000", "--interval", "0", "--record", "4"},
                    {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 128; exec \"$@\"", "sh"});
    EXPECT_EQ(r.exitCode, 1);
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "1.500000000000\tNOT SAVED");
    long long shownSaved = 0;
    for (const auto& l : lines)
        if (l == "1.500000000000") ++shownSaved;
    EXPECT_EQ(shownSaved + 1, static_cast<long long>(lines.size()));
    EXPECT_EQ(static_cast<long long>(test::StoredValues(f.Record(4)).size()), shownSaved);
    EXPECT_NE(r.err.find("Record 4.mdb"), std::string::npos) << r.err;
}

TEST(QmcliSaving, RecordsListNamesUnreadableFilesAndReadsAWriteProtectedFolder) {
    CliFolder f;
    ASSERT_EQ(f.Read("", {"read", "0", "--count", "2", "--interval", "0", "--record", "1"}).exitCode, 0);
    test::WriteBytes(f.dir / "DB/Record 6.mdb", "not a database");

    test::RunResult list = f.Read("", {"records", "list"});
    EXPECT_EQ(list.exitCode, 0);
    auto lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 2u) << list.out;
    EXPECT_EQ(lines[0].rfind("Record 1            ( ", 0), 0u);
    EXPECT_EQ(lines[1], "Record 6            ( Record 6.mdb cannot be read )");
    EXPECT_NE(list.err.find("Record 6.mdb"), std::string::npos) << list.err;

    // The same folder, write-protected, for a user the permissions bind
    // (root too, without its file-permission override).
    ASSERT_EQ(::chmod((f.dir / "DB").c_str(), 0555), 0);
    std::vector<std::string> bound;
    if (::geteuid() == 0)
        bound = {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search,-fowner", "--"};
    list = f.Read("", {"records", "list"}, bound);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(Lines(list.out), lines);
    EXPECT_FALSE(test::Exists(f.dir / "DB/Record 1.mdb-wal"));
    auto save = f.Read("", {"read", "0", "--count", "1", "--interval", "0", "--record", "3"}, bound);
    EXPECT_EQ(save.exitCode, 1);
    EXPECT_NE(save.err.find("cannot be written"), std::string::npos) << save.err;
    ::chmod((f.dir / "DB").c_str(), 0755);
}

}  // namespace
}  // namespace qm

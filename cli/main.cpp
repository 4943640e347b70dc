// qmcli: the suite's rules on the command line, for scripting and headless use.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "instrument/ResourceSetup.h"

namespace {

const char* kUsage =
    "Usage: qmcli [--simulate | --resources FILE] COMMAND [ARGS]\n"
    "\n"
    "Global options:\n"
    "  --simulate         use the built-in simulated meters\n"
    "  --resources FILE   use the resource table FILE (default: $QM_VISA_RESOURCES)\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "Commands:\n"
    "  list                          one line per meter: slot, label, descriptor, identity\n"
    "  query SLOT COMMAND            send COMMAND to the meter in SLOT, print its answer\n"
    "  status SLOT                   print the Function and Range lines of SLOT\n"
    "  function SLOT NAME            switch SLOT to NAME (DCV DCI ACV ACI 2W 4W FREQ PERIOD\n"
    "                                CONT DIODE TEMP TCOUPL CAP), then print the two lines\n"
    "  second SLOT NAME              choose NAME as the second function of SLOT (a TX42),\n"
    "                                then print the two lines and the second function\n"
    "  read SLOT --count N [--interval MS] [--record R] [--yes]\n"
    "                                read SLOT N times, one line per reading; with --record\n"
    "                                save into record R (1-10)\n"
    "  read --slots S1,S2,... --count N [--interval MS] [--records R1,R2,...] [--yes]\n"
    "                                read two to four meters once per tick, one line a tick\n"
    "                                with their values tab-separated; --records saves each\n"
    "                                into its own record (- for a meter not saved)\n"
    "  records list                  list the records of the database folder\n"
    "  console SLOT                  send each line of standard input to SLOT; print the\n"
    "                                answer of each command that holds a '?'\n"
    "  settings SLOT                 print the Device Settings of SLOT, one NAME<TAB>VALUE a line\n"
    "  set SLOT NAME=VALUE ...       apply settings to SLOT as the Device Settings page does\n"
    "  burst SLOT --count N --record R\n"
    "                                take N readings (1-50000) from SLOT into record R\n"
    "  records show R [--page P]     the grid rows of record R, tab-separated\n"
    "  records stats R               its reading count, MAX, MIN and AVG\n"
    "  records search R --low L --high H\n"
    "                                the readings between L and H, with their statistics\n"
    "  records export R FILE         write record R to FILE.csv (\".csv\" is always appended)\n"
    "                                (show, stats, search and export take --earlier for\n"
    "                                the record's earlier-format file)\n"
    "  records delete R --yes        delete both files of record R\n"
    "  link find                     the link engine's search: row, identity, resource,\n"
    "                                session, resource manager\n"
    "  link log ROW --to calc|calc:URL|FILE.xlsx --count N --interval MS [...]\n"
    "                                log readings into a spreadsheet (qmcli link for all options)\n";

}  // namespace

int main(int argc, char** argv) {
    qm::ResourceOptions resources;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("qmcli %s\n", QM_VERSION);
            return 0;
        } else if (a == "--simulate" && args.empty()) {
            resources.simulate = true;
        } else if (a == "--resources" && args.empty()) {
            if (i + 1 >= argc) {
                std::fputs("qmcli: --resources needs a file name\n", stderr);
                return 2;
            }
            resources.resourcesFile = argv[++i];
        } else if (a.rfind("--resources=", 0) == 0 && args.empty()) {
            resources.resourcesFile = a.substr(std::strlen("--resources="));
        } else {
            args.push_back(a);
        }
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const auto setup = qm::ConfigureResources(resources);
    if (!setup.ok) {
        std::fprintf(stderr, "qmcli: %s\n", setup.message.c_str());
        return 2;
    }
    return qm::cli::RunCommand(args);
}

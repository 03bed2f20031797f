// fwut-sim: the relay and the Mobile Module's boot loader, simulated on a
// pseudo-terminal, for testing the update program end to end.
#include "platform/ConsoleSignals.h"
#include "platform/Printable.h"
#include "platform/ProgramStart.h"
#include "platform/posix/TimelyWakeUps.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimServer.h"
#include "tools/sim/Transcript.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

// In a signal handler, which cuts the loop's wait short.
void RequestStop()
{
    g_stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace fwut::sim;
    fwut::program::Start();
    // The module answers when it should, however busy the machine.
    fwut::posix::PrepareTimelyWakeUps();
    const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.helpWanted) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "fwut-sim: %s\n(fwut-sim --help lists the options)\n",
                     fwut::Printable(parsed.error).c_str());
        return 2;
    }
    const SimOptions& options = parsed.options;
    std::FILE* out = stderr;
    if (!options.transcriptPath.empty() && !(out = std::fopen(options.transcriptPath.c_str(), "w"))) {
        std::fprintf(stderr, "fwut-sim: cannot write %s: %s\n", fwut::Printable(options.transcriptPath).c_str(),
                     std::strerror(errno));
        return 2;
    }
    fwut::console::OnInterruptRequest(RequestStop);
    Transcript transcript(out);
    const int status = SimServer(options, transcript).Run(g_stopRequested);
    if (out != stderr) {
        std::fclose(out);
    }
    return status;
}

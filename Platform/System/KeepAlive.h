#pragma once

#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <string>

namespace SystemPlatform {

// The stand-in for the service manager's keep-alive of a daemon job: runs the program as its child
// and starts it again whenever it ends other than by exiting with status 0 (a crash, a kill -9, a
// failure), after a pause that doubles with each quick failure up to a bound. The child's process
// id is kept in the pid file while it runs. After every crash, before the pause, the program is run
// once more with the after-crash argument (bounded by restoreSeconds), so that what the crashed run
// left behind is undone at once. SIGTERM, SIGINT or SIGHUP is passed on to the child and ends the
// keep-alive once the child has gone (after SIGKILL when it takes too long). The keep-alive's own pid
// file, when given, names it while it runs and is removed when it ends.
class AERLO_SYSTEM_EXPORT KeepAlive {
public:
    struct Options {
        std::filesystem::path program;
        std::filesystem::path pidFile;
        std::filesystem::path ownPidFile; // none when empty
        std::string afterCrash; // the argument of the run after a crash; none when empty
        double firstDelay = 0.1; // seconds before the first restart
        double maximumDelay = 10.0; // the bound of the back-off
        double stableSeconds = 10.0; // a run this long starts the back-off afresh
        double stopSeconds = 1.5; // how long a stopping child may take before SIGKILL
        double restoreSeconds = 0.8; // how long the run after a crash may take before SIGKILL
    };

    // The pause before the next start, after a run of `ranSeconds` that followed a pause of `previous`.
    static double nextDelay(double previous, double ranSeconds, const Options& options);

    // The stand-in program: "keepalive --pid-file <path> [--own-pid-file <path>] [--after-crash <argument>]
    // <program>". Its exit status.
    static int main(int argc, char** argv, char** environment);
    // Keeps the program alive as described; returns 0 once it has exited with status 0 or was stopped.
    static int run(const Options& options, char** environment);

    // Where the stand-in program is.
    static std::filesystem::path standInProgram();
};

} // namespace SystemPlatform

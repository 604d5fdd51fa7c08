// A stand-in helper daemon for the installer tests: carries its version in the info section and
// waits for a signal. With AERLO_TEST_IGNORE_TERM set it ignores SIGTERM. "--restore" (the
// keep-alive's step after a crash) prints "restored <n>" with its parent's pid and exits.
#include "Platform/System/EmbeddedInfoSection.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

AERLO_EMBED_SHORT_VERSION(AERLO_TEST_DAEMON_VERSION);

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--restore") {
        std::printf("restored %d\n", static_cast<int>(::getppid()));
        return 0;
    }
    if (std::getenv("AERLO_TEST_IGNORE_TERM"))
        std::signal(SIGTERM, SIG_IGN);
    for (;;)
        ::pause();
}

// A stand-in helper daemon for the installer tests: carries its version in the info section and
// waits for a signal. With AERLO_TEST_IGNORE_TERM set it ignores SIGTERM.
#include "Platform/System/EmbeddedInfoSection.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

AERLO_EMBED_SHORT_VERSION(AERLO_TEST_DAEMON_VERSION);

int main()
{
    if (std::getenv("AERLO_TEST_IGNORE_TERM"))
        std::signal(SIGTERM, SIG_IGN);
    for (;;)
        ::pause();
}

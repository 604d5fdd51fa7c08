// com.norvane.AerloOffline.SMC.Helper: the privileged helper daemon. Started by the installer with
// AERLO_ROOT set; serves until `uninstall`, a signal, or replaces itself on `update`.
#include "Platform/Foundation/Console.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/System/EmbeddedInfo.h"
#include "Platform/System/EmbeddedInfoSection.h"
#include "Platform/System/HelperPaths.h"
#include "Tools/SMCHelper/HelperConfiguration.h"
#include "Tools/SMCHelper/HelperDaemon.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>

AERLO_EMBED_SHORT_VERSION(AERLO_HELPER_VERSION);

extern char** environ;

namespace {

// The version in this program's own info section, so that a patched copy answers what it carries.
std::string embeddedVersion()
{
    const auto info = SystemPlatform::EmbeddedInfo::infoDictionary("/proc/self/exe");
    if (info && info->is_object()) {
        const auto found = info->find("CFBundleShortVersionString");
        if (found != info->end() && found->is_string())
            return found->get<std::string>();
    }
    return AERLO_HELPER_VERSION;
}

} // namespace

int main()
{
    using Aerlo::HelperDaemon;
    using Foundation::Console;

    // The signals that end the daemon are taken by one thread with sigwait, so they are blocked
    // before any other thread starts (and stay blocked across a re-execution, which takes them again).
    sigset_t endings;
    sigemptyset(&endings);
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&endings, number);
    ::pthread_sigmask(SIG_BLOCK, &endings, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::string problem;
    const auto configuration =
        Aerlo::HelperConfiguration::load(SystemPlatform::HelperPaths::jobFile(HelperDaemon::label), problem);
    if (!configuration) {
        Console::printError(problem);
        return 1;
    }

    HelperDaemon::Options options;
    options.version = embeddedVersion();
    options.configuration = *configuration;
    options.smcRegistry = IOKit::SMCEndpoint::makeRegistry(IOKit::SMCEndpoint::specFromEnvironment(), true);
    // Lives until the process ends: the signal thread may still reach it.
    auto* daemon = new HelperDaemon(options);
    if (!daemon->start()) {
        Console::printError(daemon->errorDescription());
        return 1;
    }

    std::thread([daemon, endings] {
        int number = 0;
        if (::sigwait(&endings, &number) == 0)
            daemon->terminate(number);
    }).detach();

    for (;;) {
        daemon->tick();
        const auto request = daemon->waitForExit(1.0);
        if (!request)
            continue;
        daemon->stop();
        if (request->kind == HelperDaemon::ExitRequest::Kind::exit) {
            daemon->log().close();
            return request->status;
        }
        const std::string program = request->program.string();
        char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
        ::execve(program.c_str(), arguments, environ);
        nlohmann::ordered_json fields;
        fields["problem"] = "Cannot run " + program + ": " + std::generic_category().message(errno);
        daemon->log().record("failed", fields);
        if (!daemon->resume()) {
            Console::printError(daemon->errorDescription());
            return 1;
        }
    }
}

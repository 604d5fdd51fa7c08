// com.norvane.AerloOffline.SMC.Helper: the privileged helper daemon. Started by the installer with
// AERLO_ROOT set; serves until `uninstall`, a signal, or replaces itself on `update`.
// "--restore": the keep-alive's step after a crash (the systemd unit's after every stop): every forced fan
// back to automatic, then exit.
// "--install-system …", "--uninstall-system …": run as root through polkit, install this program for real,
// or stop and remove that install (SystemHelperInstall).
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/System/EmbeddedInfo.h"
#include "Platform/System/EmbeddedInfoSection.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/SystemHelperInstall.h"
#include "Tools/SMCHelper/HelperConfiguration.h"
#include "Tools/SMCHelper/HelperDaemon.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

AERLO_EMBED_SHORT_VERSION(AERLO_HELPER_VERSION);

extern char** environ;

namespace {

// The environment variable that carries the fans' owners across a re-execution.
constexpr const char* handoverVariable = "AERLO_HELPER_HANDOVER";

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

// The SMC as this program writes it; the daemon and its restore step share the key index lock.
std::shared_ptr<IOKit::ServiceRegistry> smcRegistry()
{
    return IOKit::SMCEndpoint::makeRegistry(IOKit::SMCEndpoint::specFromEnvironment(), true,
                                            SystemPlatform::HelperPaths::smcIndexLock(Aerlo::HelperDaemon::label));
}

// What a crashed daemon forced goes back to automatic at once, whatever the wait before its restart.
int restoreAfterCrash()
{
    Aerlo::FanWriter fans(smcRegistry());
    const auto restored = fans.restoreAutomatic(false);
    Aerlo::HelperLog log;
    if (const auto opened = log.open(SystemPlatform::HelperPaths::logFile(Aerlo::HelperDaemon::label)); !opened)
        Foundation::Console::printError(opened.error());
    nlohmann::ordered_json fields;
    // systemd runs the step after every stop, and says how the service ended.
    const char* result = std::getenv("SERVICE_RESULT");
    fields["reason"] = result && std::string_view(result) == "success" ? "stop" : "crash";
    fields["fans"] = restored;
    log.record("restore", fields);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--restore")
        return restoreAfterCrash();
    if (argc >= 2 && std::string_view(argv[1]) == SystemPlatform::SystemHelperInstall::installArgument) {
        std::error_code error;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
        return SystemPlatform::SystemHelperInstall::main(Aerlo::HelperDaemon::label, error ? argv[0] : self,
                                                         std::vector<std::string>(argv + 2, argv + argc));
    }
    if (argc >= 2 && std::string_view(argv[1]) == SystemPlatform::SystemHelperInstall::uninstallArgument)
        return SystemPlatform::SystemHelperInstall::uninstallMain(Aerlo::HelperDaemon::label,
                                                                  std::vector<std::string>(argv + 2, argv + argc));
    if (argc != 1) {
        Foundation::Console::printError(
            "usage: com.norvane.AerloOffline.SMC.Helper [--restore | --install-system … | --uninstall-system …]");
        return 64;
    }

    using Aerlo::HelperDaemon;
    using Foundation::Console;

    // The signals that end the daemon are taken by one thread with sigtimedwait, so they are blocked
    // before any other thread starts (and stay blocked across a re-execution, which takes them again).
    sigset_t endings;
    sigemptyset(&endings);
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&endings, number);
    ::pthread_sigmask(SIG_BLOCK, &endings, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const auto configuration =
        Aerlo::HelperConfiguration::load(SystemPlatform::HelperPaths::jobFile(HelperDaemon::label));
    if (!configuration) {
        Console::printError(configuration.error());
        return 1;
    }

    HelperDaemon::Options options;
    options.version = embeddedVersion();
    options.configuration = *configuration;
    options.smcRegistry = smcRegistry();
    if (const char* handover = std::getenv(handoverVariable)) {
        options.handover = handover;
        ::unsetenv(handoverVariable);
    }
    HelperDaemon daemon(options);
    if (const auto started = daemon.start(); !started) {
        Console::printError(started.error());
        return 1;
    }

    std::atomic<bool> ending {false};
    std::thread signals([&daemon, &ending, endings] {
        const timespec step {0, 200'000'000};
        while (!ending) {
            const int number = ::sigtimedwait(&endings, nullptr, &step);
            if (number > 0) {
                daemon.terminate(number);
                return;
            }
        }
    });
    const auto finish = [&](int status) {
        ending = true;
        signals.join();
        daemon.log().close();
        return status;
    };

    for (;;) {
        daemon.tick();
        const auto request = daemon.waitForExit(1.0);
        if (!request)
            continue;
        daemon.stop();
        if (request->kind == HelperDaemon::ExitRequest::Kind::exit)
            return finish(request->status);
        // The fans' owners go to the next image, which keeps them while they live.
        ::setenv(handoverVariable, daemon.handover().c_str(), 1);
        const std::string program = request->program.string();
        char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
        ::execve(program.c_str(), arguments, environ);
        ::unsetenv(handoverVariable);
        nlohmann::ordered_json fields;
        fields["problem"] = "Cannot run " + program + ": " + Foundation::errnoText(errno);
        daemon.log().record("failed", fields);
        if (const auto resumed = daemon.resume(); !resumed) {
            Console::printError(resumed.error());
            return finish(1);
        }
    }
}

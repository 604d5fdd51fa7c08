#include "Platform/System/KeepAlive.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/System/DaemonProcess.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <optional>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace SystemPlatform {

namespace {

using Clock = std::chrono::steady_clock;

timespec toTimespec(double seconds)
{
    seconds = std::max(0.0, seconds);
    const auto whole = static_cast<time_t>(seconds);
    return {whole, static_cast<long>((seconds - static_cast<double>(whole)) * 1e9)};
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string describe(int status)
{
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(WEXITSTATUS(status));
}

// Waits up to `seconds` for the child to end; its wait status, or nothing.
std::optional<int> reap(pid_t child, double seconds)
{
    sigset_t children;
    sigemptyset(&children);
    sigaddset(&children, SIGCHLD);
    const auto start = Clock::now();
    for (;;) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return status;
        const double left = seconds - since(start);
        if (left <= 0)
            return std::nullopt;
        const timespec wait = toTimespec(std::min(left, 0.05));
        ::sigtimedwait(&children, nullptr, &wait);
    }
}

// Runs `program argument` to its end, at most `seconds` (then SIGKILL); false when it did not exit with 0.
bool runOnce(const std::string& program, const std::string& argument, double seconds, const sigset_t& mask,
             char** environment)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::sigprocmask(SIG_SETMASK, &mask, nullptr);
        char* const arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
        ::execve(program.c_str(), arguments, environment);
        ::_exit(127);
    }
    auto status = reap(child, seconds);
    if (!status) {
        ::kill(child, SIGKILL);
        status = reap(child, 5.0);
    }
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

} // namespace

double KeepAlive::nextDelay(double previous, double ranSeconds, const Options& options)
{
    if (ranSeconds >= options.stableSeconds || previous <= 0)
        return options.firstDelay;
    return std::min(previous * 2, options.maximumDelay);
}

int KeepAlive::run(const Options& options, char** environment)
{
    sigset_t endings;
    sigemptyset(&endings);
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&endings, number);
    sigset_t handled = endings;
    sigaddset(&handled, SIGCHLD);
    sigset_t previousMask;
    ::sigprocmask(SIG_BLOCK, &handled, &previousMask);

    const std::string program = options.program.string();
    if (!options.ownPidFile.empty())
        if (const auto written = Foundation::AtomicFile::write(options.ownPidFile, std::to_string(::getpid()) + "\n", 0644); !written)
            Foundation::Console::printError("keepalive: " + written.error());
    const auto finish = [&] {
        if (!options.ownPidFile.empty() && DaemonProcess::readPidFile(options.ownPidFile) == ::getpid())
            ::unlink(options.ownPidFile.c_str());
        return 0;
    };
    double delay = 0;
    for (;;) {
        const auto started = Clock::now();
        // The pid file names the child once it runs the program: a pipe closed by the exec tells.
        Foundation::FileDescriptor execPipe[2];
        (void)Foundation::FileDescriptor::openPipe(execPipe); // without one the pid file is written at once
        const pid_t child = ::fork();
        if (child == 0) {
            ::sigprocmask(SIG_SETMASK, &previousMask, nullptr);
            char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
            ::execve(program.c_str(), arguments, environment);
            const int error = errno;
            (void)!::write(execPipe[1].get(), &error, sizeof error);
            ::_exit(127);
        }
        execPipe[1].reset();
        if (child > 0 && execPipe[0]) {
            int error = 0;
            while (::read(execPipe[0].get(), &error, sizeof error) < 0 && errno == EINTR) {
            }
        }
        execPipe[0].reset();
        int status = 0;
        bool stopping = false;
        if (child < 0) {
            Foundation::Console::printError("keepalive: cannot start " + program + ": " + Foundation::errnoText(errno));
            status = 127 << 8;
        } else {
            if (const auto written = Foundation::AtomicFile::write(options.pidFile, std::to_string(child) + "\n", 0644); !written)
                Foundation::Console::printError("keepalive: " + written.error());
            for (;;) {
                siginfo_t info {};
                const int number = ::sigwaitinfo(&handled, &info);
                if (number == SIGCHLD) {
                    if (::waitpid(child, &status, WNOHANG) == child)
                        break;
                    continue;
                }
                if (number <= 0)
                    continue;
                stopping = true;
                ::kill(child, SIGTERM);
                auto reaped = reap(child, options.stopSeconds);
                if (!reaped) {
                    ::kill(child, SIGKILL);
                    reaped = reap(child, 5.0);
                }
                status = reaped.value_or(0);
                break;
            }
            if (DaemonProcess::readPidFile(options.pidFile) == child)
                ::unlink(options.pidFile.c_str());
        }
        if (stopping || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
            return finish();

        if (!options.afterCrash.empty() && !runOnce(program, options.afterCrash, options.restoreSeconds, previousMask, environment))
            Foundation::Console::printError("keepalive: " + program + " " + options.afterCrash + " failed");
        delay = nextDelay(delay, since(started), options);
        Foundation::Console::printError("keepalive: " + program + " ended (" + describe(status) +
                                        "); starting it again in " + Foundation::NumberText::fixed(delay, 1) + " s");
        const auto pauseStart = Clock::now();
        for (;;) {
            const double left = delay - since(pauseStart);
            if (left <= 0)
                break;
            const timespec wait = toTimespec(left);
            const int number = ::sigtimedwait(&endings, nullptr, &wait);
            if (number > 0)
                return finish();
        }
    }
}

int KeepAlive::main(int argc, char** argv, char** environment)
{
    const std::string_view usage =
        "usage: keepalive --pid-file <path> [--own-pid-file <path>] [--after-crash <argument>] <program>";
    Options options;
    int next = 1;
    for (; next + 2 < argc; next += 2) {
        const std::string_view option = argv[next];
        if (option == "--pid-file" && options.pidFile.empty())
            options.pidFile = argv[next + 1];
        else if (option == "--own-pid-file" && options.ownPidFile.empty())
            options.ownPidFile = argv[next + 1];
        else if (option == "--after-crash" && options.afterCrash.empty())
            options.afterCrash = argv[next + 1];
        else
            break;
    }
    if (next + 1 != argc || options.pidFile.empty()) {
        Foundation::Console::printError(usage);
        return 64;
    }
    options.program = argv[next];
    return run(options, environment);
}

std::filesystem::path KeepAlive::standInProgram() { return AERLO_KEEPALIVE_STAND_IN; }

} // namespace SystemPlatform

#include "Platform/Foundation/Process.h"

#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/ToolMap.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace Foundation {

namespace {

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

// A close-on-exec pipe whose ends never take the numbers of the standard streams.
bool makePipe(FileDescriptor (&ends)[2])
{
    if (!FileDescriptor::openPipe(ends))
        return false;
    for (FileDescriptor& end : ends) {
        if (end.get() > STDERR_FILENO)
            continue;
        const int moved = ::fcntl(end.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (moved < 0) {
            ends[0].reset();
            ends[1].reset();
            return false;
        }
        end.reset(moved);
    }
    return true;
}

std::vector<std::string> environmentFor(const Process::Options& options)
{
    std::map<std::string, std::string> variables;
    if (options.environment) {
        variables = *options.environment;
    } else {
        for (char** entry = environ; entry && *entry; ++entry) {
            const std::string_view text(*entry);
            const size_t equals = text.find('=');
            if (equals != std::string_view::npos)
                variables.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
        }
    }
    for (const auto& [name, value] : options.environmentOverrides) {
        if (value)
            variables.insert_or_assign(name, *value);
        else
            variables.erase(name);
    }
    std::vector<std::string> result;
    result.reserve(variables.size());
    for (const auto& [name, value] : variables)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int pidFdFor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Milliseconds left until `deadline` (rounded up) for poll(); -1 waits without end.
int pollTimeout(std::optional<double> deadline)
{
    if (!deadline)
        return -1;
    const double left = *deadline - Clock::system().now();
    if (left <= 0)
        return 0;
    return static_cast<int>(left * 1000.0) + 1;
}

// The spawn's file actions and attributes, released however the launch ends.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
        // The child starts with no signal blocked and every signal at its default, whatever the parent ignores.
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

} // namespace

Process::Result Process::run(const std::string& executablePath, const std::vector<std::string>& arguments,
                             const Options& options)
{
    Process process(executablePath, arguments, options);
    Result result;
    const auto launched = process.run();
    result.launched = launched.ok();
    if (!result.launched) {
        result.launchError = launched.error();
        return result;
    }
    process.waitUntilExit();
    result.status = process.status_;
    result.reason = process.reason_;
    result.stdout_ = std::move(process.stdout_);
    result.stderr_ = std::move(process.stderr_);
    return result;
}

Process::Process(std::string executablePath, std::vector<std::string> arguments, Options options)
    : executablePath_(std::move(executablePath)), arguments_(std::move(arguments)), options_(std::move(options))
{
}

Process::~Process()
{
    closePipes();
    if (pid_ > 0) {
        std::lock_guard lock(reapMutex_);
        int status = 0;
        if (!reaped_ && ::waitpid(pid_, &status, WNOHANG) == 0) {
            try {
                std::thread([pid = pid_] {
                    int status = 0;
                    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                    }
                }).detach();
            } catch (const std::system_error&) {
                // No thread to spare: the child stays a zombie until this process ends.
            }
        }
    }
}

Foundation::Result<void> Process::run()
{
    const std::string failure = "Could not launch " + inQuotes(executablePath_) + ": ";
    if (pid_ > 0)
        return Error(failure + "it was launched before");
    const auto refuse = [this](std::string text) {
        launchError_ = text;
        return Error(std::move(text));
    };
    const std::optional<std::string> program = ToolMap::resolve(executablePath_);
    if (!program)
        return refuse(failure + "the program is not available on this system");
    const std::string as = *program == executablePath_ ? "" : " (as " + inQuotes(*program) + ")";

    if (const auto& directory = options_.currentDirectory; !directory.empty()) {
        struct stat info {};
        const int error = ::stat(directory.c_str(), &info) != 0 ? errno : S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
        if (error != 0)
            return refuse(failure + "the working directory " + inQuotes(directory.string()) + " is not usable: " +
                          errnoText(error));
    }

    SpawnSetup setup;
    FileDescriptor input[2], output[2], error[2];
    const bool wantsInput = options_.standardInput == Input::text;
    const bool wantsOutput = options_.standardOutput == Output::pipe;
    const bool wantsError = options_.standardError == Output::pipe;
    if ((wantsInput && !makePipe(input)) || (wantsOutput && !makePipe(output)) || (wantsError && !makePipe(error))) {
        const int failed = errno;
        return refuse(failure + errnoText(failed));
    }

    auto& actions = setup.actions;
    if (wantsInput)
        posix_spawn_file_actions_adddup2(&actions, input[0].get(), STDIN_FILENO);
    else if (options_.standardInput == Input::nullDevice)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (wantsOutput)
        posix_spawn_file_actions_adddup2(&actions, output[1].get(), STDOUT_FILENO);
    else if (options_.standardOutput == Output::discard)
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (wantsError)
        posix_spawn_file_actions_adddup2(&actions, error[1].get(), STDERR_FILENO);
    else if (options_.standardError == Output::discard)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    else if (options_.standardError == Output::standardOutput)
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // The child keeps its three standard streams and no other descriptor of ours.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (!options_.currentDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options_.currentDirectory.c_str());
    if (options_.newSession)
        posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    std::vector<std::string> argv{*program};
    argv.insert(argv.end(), arguments_.begin(), arguments_.end());
    std::vector<std::string> envp = environmentFor(options_);
    auto argvPointers = pointersTo(argv);
    auto envpPointers = pointersTo(envp);

    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, program->c_str(), &actions, &setup.attributes, argvPointers.data(), envpPointers.data());
    if (spawned != 0)
        return refuse("Could not launch " + inQuotes(executablePath_) + as + ": " + errnoText(spawned));

    launchError_.clear();
    pid_ = pid;
    pidFd_.reset(pidFdFor(pid));
    input[0].reset();
    output[1].reset();
    error[1].reset();
    inputFd_ = std::move(input[1]);
    outputFd_ = std::move(output[0]);
    errorFd_ = std::move(error[0]);
    if (inputFd_) {
        ::fcntl(inputFd_.get(), F_SETFL, ::fcntl(inputFd_.get(), F_GETFL) | O_NONBLOCK);
        if (options_.inputText.empty())
            inputFd_.reset();
    }
    return {};
}

bool Process::isRunning()
{
    if (pid_ <= 0)
        return false;
    return !reap(Clock::system().now());
}

void Process::waitUntilExit()
{
    if (pid_ <= 0)
        return;
    pump(std::nullopt);
    reap(std::nullopt);
}

bool Process::waitUntilExit(double timeoutSeconds)
{
    if (pid_ <= 0)
        return false;
    const double deadline = Clock::system().now() + std::max(0.0, timeoutSeconds);
    return pump(deadline) && reap(deadline);
}

void Process::terminate() { signal(SIGTERM); }

void Process::signal(int signalNumber)
{
    std::lock_guard lock(reapMutex_);
    if (pid_ > 0 && !reaped_)
        ::kill(pid_, signalNumber);
}

// Writes the input and reads the output pipes until every output pipe reached end of file and the
// input is written or refused; false when the deadline came first.
bool Process::pump(std::optional<double> deadline)
{
    char buffer[65536];
    while (inputFd_ || outputFd_ || errorFd_) {
        pollfd fds[3];
        nfds_t count = 0;
        if (inputFd_)
            fds[count++] = {inputFd_.get(), POLLOUT, 0};
        if (outputFd_)
            fds[count++] = {outputFd_.get(), POLLIN, 0};
        if (errorFd_)
            fds[count++] = {errorFd_.get(), POLLIN, 0};
        const int ready = ::poll(fds, count, pollTimeout(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            closePipes();
            return true;
        }
        if (ready == 0)
            return false;
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == inputFd_.get()) {
                writeInput();
                continue;
            }
            FileDescriptor& fd = fds[i].fd == outputFd_.get() ? outputFd_ : errorFd_;
            std::string& text = fds[i].fd == outputFd_.get() ? stdout_ : stderr_;
            const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n > 0)
                text.append(buffer, static_cast<size_t>(n));
            else if (n == 0 || (errno != EINTR && errno != EAGAIN))
                fd.reset();
        }
    }
    return true;
}

// Writes what the pipe takes of the input text; a child that closed its input gets no more.
void Process::writeInput()
{
    // A write to a pipe without a reader raises SIGPIPE: hold it in this thread and take it back.
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;

    const std::string& text = options_.inputText;
    const ssize_t n = ::write(inputFd_.get(), text.data() + inputWritten_, text.size() - inputWritten_);
    const int error = errno;
    if (n > 0)
        inputWritten_ += static_cast<size_t>(n);
    if ((n < 0 && error != EINTR && error != EAGAIN) || inputWritten_ == text.size())
        inputFd_.reset();
    if (n < 0 && error == EPIPE && !alreadyPending) {
        const timespec now{0, 0};
        ::sigtimedwait(&pipeSignal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// Reaps the child once it has exited; false when the deadline came first.
bool Process::reap(std::optional<double> deadline)
{
    {
        std::lock_guard lock(reapMutex_);
        if (reaped_)
            return true;
    }
    // Wait for the exit without reaping, so that terminate() never signals a reused pid.
    if (pidFd_) {
        pollfd fd{pidFd_.get(), POLLIN, 0};
        int ready;
        while ((ready = ::poll(&fd, 1, pollTimeout(deadline))) < 0 && errno == EINTR) {
        }
        if (ready == 0)
            return false;
    } else {
        siginfo_t info{};
        const int flags = WEXITED | WNOWAIT | (deadline ? WNOHANG : 0);
        while (::waitid(P_PID, static_cast<id_t>(pid_), &info, flags) == 0 && info.si_pid == 0) {
            if (Clock::system().now() >= *deadline)
                return false;
            const timespec step{0, 1'000'000};
            ::nanosleep(&step, nullptr);
        }
    }

    std::lock_guard lock(reapMutex_);
    if (reaped_)
        return true;
    int status = 0;
    pid_t reapedPid;
    while ((reapedPid = ::waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (reapedPid == 0)
        return false;
    reaped_ = true;
    if (reapedPid < 0) {
        // Reaped elsewhere (SIGCHLD ignored): the status is lost.
        status_ = -1;
        reason_ = TerminationReason::exit;
    } else if (WIFSIGNALED(status)) {
        status_ = WTERMSIG(status);
        reason_ = TerminationReason::uncaughtSignal;
    } else {
        status_ = WEXITSTATUS(status);
        reason_ = TerminationReason::exit;
    }
    return true;
}

void Process::closePipes()
{
    inputFd_.reset();
    outputFd_.reset();
    errorFd_.reset();
}

} // namespace Foundation

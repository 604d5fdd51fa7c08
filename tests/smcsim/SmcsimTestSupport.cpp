#include "tests/smcsim/SmcsimTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace SmcsimTest {

const char* const appleSiliconProfile = R"json({
  "name": "test-apple-silicon", "platform": "m1Pro",
  "facts": {"modelIdentifier": "MacBookPro18,3", "cpuBrand": "Apple M1 Pro", "osVersion": "14.5",
            "osBuild": "23F79", "architecture": "arm64"},
  "fans": [
    {"type": "flt ", "min": 1200, "max": 5800, "current": 0, "keys": ["Ac", "Mn", "Mx", "Tg", "Md"]},
    {"type": "flt ", "min": 1200, "max": 5800, "current": 0, "keys": ["Ac", "Mn", "Mx", "Tg", "Md"]}
  ],
  "smc": {"keys": [
    {"key": "Tp01", "type": "flt ", "value": 42.0},
    {"key": "Tp05", "type": "flt ", "value": 43.5},
    {"key": "Tg05", "type": "flt ", "value": 38.0},
    {"key": "TB1T", "type": "flt ", "value": 30.0},
    {"key": "TaLP", "type": "flt ", "value": 27.0},
    {"key": "Tm02", "type": "flt ", "value": 0},
    {"key": "PSTR", "type": "flt ", "value": 8.0},
    {"key": "PCPC", "type": "flt ", "value": 5.0},
    {"key": "VD0R", "type": "flt ", "value": 20.0}
  ]}
})json";

const char* const intelProfile = R"json({
  "name": "test-intel", "platform": "intel",
  "facts": {"modelIdentifier": "MacBookPro11,5", "cpuBrand": "Intel(R) Core(TM) i7-4870HQ CPU @ 2.50GHz",
            "osVersion": "12.7", "osBuild": "21H1015", "architecture": "x86_64"},
  "fans": [
    {"type": "fpe2", "min": 2000, "max": 6000, "current": 2000, "keys": ["Ac", "Mn", "Mx", "Tg"]},
    {"type": "fpe2", "min": 2000, "max": 6000, "current": 2000, "keys": ["Ac", "Mn", "Mx", "Tg"]}
  ],
  "smc": {"keys": [
    {"key": "FS! ", "type": "ui16", "writable": true, "value": 0},
    {"key": "TC0P", "type": "sp78", "value": 50},
    {"key": "TC1C", "type": "sp78", "value": 55},
    {"key": "TG0P", "type": "sp78", "value": 48},
    {"key": "TB1T", "type": "sp78", "value": 31},
    {"key": "Tm0P", "type": "sp78", "value": 40},
    {"key": "TS0P", "type": "sp78", "script": [[0, 33]]},
    {"key": "PSTR", "type": "sp96", "value": 12}
  ]}
})json";

SMCSim::MachineProfile profile(const char* json)
{
    auto parsed = SMCSim::MachineProfile::parse(json);
    EXPECT_TRUE(parsed) << parsed.error();
    return parsed ? *parsed : SMCSim::MachineProfile{};
}

RunningServer::RunningServer(std::shared_ptr<Aerlo::SimulatedMachine> machine, Aerlo::SmcsimServer::Options options)
    : server_(std::make_unique<Aerlo::SmcsimServer>(std::move(machine), std::move(options)))
{
    started_ = server_->start();
    if (started_)
        thread_ = std::thread([this] { server_->run(); });
}

RunningServer::~RunningServer()
{
    stop();
}

void RunningServer::stop()
{
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    Foundation::FileDescriptor pipeFds[2];
    if (!Foundation::FileDescriptor::openPipe(pipeFds))
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1].get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1].get(), STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const auto name = variable.substr(0, variable.find('=') + 1);
        bool replaced = false;
        for (const auto& override_ : environment)
            replaced = replaced || override_.starts_with(name);
        if (!replaced)
            variables.push_back(variable);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (auto& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0)
        pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    output_ = std::move(pipeFds[0]);
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::string ChildProcess::readLine(double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (const auto end = buffer_.find('\n'); end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !output_)
            return {};
        pollfd fd{output_.get(), POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::read(output_.get(), chunk, sizeof chunk);
        if (n <= 0)
            return {};
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string ChildProcess::readAll(double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (output_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{output_.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        char chunk[4096];
        const ssize_t n = ::read(output_.get(), chunk, sizeof chunk);
        if (n <= 0)
            break;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    return std::exchange(buffer_, {});
}

int ChildProcess::wait(double seconds)
{
    if (pid_ <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return -1;
        }
        // Drain the output so that the child never blocks on a full pipe.
        pollfd fd{output_.get(), POLLIN, 0};
        if (::poll(&fd, 1, 2) > 0) {
            char chunk[4096];
            if (const ssize_t n = ::read(output_.get(), chunk, sizeof chunk); n > 0)
                buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ChildProcess::signal(int number)
{
    if (pid_ > 0)
        ::kill(pid_, number);
}

RunResult runProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    ChildProcess child(arguments, environment);
    RunResult result;
    result.output = child.readAll();
    result.status = child.wait();
    return result;
}

std::string smcsimPath()
{
    return std::string(AERLO_BINARY_DIR) + "/bin/smcsim";
}

} // namespace SmcsimTest

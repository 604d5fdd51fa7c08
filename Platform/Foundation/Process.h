#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include "Platform/Foundation/FileDescriptor.h"

#include "Platform/Foundation/Result.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Foundation {

// How a child ended: it exited, or a signal it did not catch ended it.
enum class ProcessTerminationReason { exit, uncaughtSignal };

// Where a standard output stream of the child goes.
enum class ProcessOutput {
    pipe,           // to the parent, which collects it (standardOutputText / standardErrorText)
    inherit,        // the parent's own stream
    discard,        // /dev/null
    standardOutput, // standard error only: wherever standard output goes (one pipe keeps the order)
};

// What the child reads on standard input.
enum class ProcessInput { nullDevice, inherit, text };

struct AERLO_FOUNDATION_EXPORT ProcessOptions {
    // Replaces the inherited environment when set.
    std::optional<std::map<std::string, std::string>> environment;
    // Applied on top of the inherited (or replacing) environment; an empty value unsets the variable.
    std::map<std::string, std::optional<std::string>> environmentOverrides;
    // Empty: the parent's.
    std::filesystem::path currentDirectory;
    ProcessInput standardInput = ProcessInput::nullDevice;
    std::string inputText; // with ProcessInput::text
    ProcessOutput standardOutput = ProcessOutput::pipe;
    ProcessOutput standardError = ProcessOutput::pipe;
    // The child leads a new session of its own (it outlives this process's terminal and signals).
    bool newSession = false;
};

struct AERLO_FOUNDATION_EXPORT ProcessResult {
    bool launched = false;
    std::string launchError; // empty when launched
    int status = 0;          // exit status, or the signal number
    ProcessTerminationReason reason = ProcessTerminationReason::exit;
    std::string stdout_;
    std::string stderr_;
};

// A child process: program, arguments, environment, working directory and standard streams,
// launched once. The program path goes through ToolMap first, so fixed macOS paths reach their
// Linux counterpart or a test fake.
//
// Piped output is read to end of file before the child is reaped, both pipes at once (and the
// input text written meanwhile), so a child that writes much on both streams never blocks.
// A launched child is always reaped: by a wait, or after the Process is gone.
class AERLO_FOUNDATION_EXPORT Process {
public:
    using TerminationReason = ProcessTerminationReason;
    using Output = ProcessOutput;
    using Input = ProcessInput;
    using Options = ProcessOptions;
    using Result = ProcessResult;

    // Launches, collects the piped output, waits for the exit.
    [[nodiscard]] static Result run(const std::string& executablePath, const std::vector<std::string>& arguments,
                      const Options& options = {});

    Process() = default;
    Process(std::string executablePath, std::vector<std::string> arguments, Options options = {});
    // A child still running is left to run and reaped in the background; its pipes are closed.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Settings; they take effect at the launch.
    void setArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }
    const std::string& executablePath() const { return executablePath_; }
    const std::vector<std::string>& arguments() const { return arguments_; }
    const Options& options() const { return options_; }

    // Launches the child, or says why it could not be launched (the program's path and the system's
    // error text); a Process launches once.
    Foundation::Result<void> run();
    const std::string& launchError() const { return launchError_; }
    bool isLaunched() const { return pid_ > 0; }
    pid_t processIdentifier() const { return pid_; }
    bool isRunning();

    // Collects the piped output to end of file, then waits for the child to exit.
    void waitUntilExit();
    // The same within `timeoutSeconds`; true when the child has exited. A later wait goes on where this one stopped.
    [[nodiscard]] bool waitUntilExit(double timeoutSeconds);
    // Sends SIGTERM to a child that has not been reaped yet.
    void terminate();
    // Sends the signal (SIGSTOP, SIGCONT, …) to a child that has not been reaped yet.
    void signal(int signalNumber);

    // Meaningful once the child has exited.
    int terminationStatus() const { return status_; }
    TerminationReason terminationReason() const { return reason_; }
    // What the pipes gave so far (all of it after a wait).
    const std::string& standardOutputText() const { return stdout_; }
    const std::string& standardErrorText() const { return stderr_; }

private:
    bool pump(std::optional<double> deadline);
    void writeInput();
    bool reap(std::optional<double> deadline);
    void closePipes();

    std::string executablePath_;
    std::vector<std::string> arguments_;
    Options options_;

    std::string launchError_;
    pid_t pid_ = -1;
    FileDescriptor pidFd_;
    FileDescriptor inputFd_;
    FileDescriptor outputFd_;
    FileDescriptor errorFd_;
    size_t inputWritten_ = 0;
    std::string stdout_;
    std::string stderr_;

    std::mutex reapMutex_; // a reaped child's pid may be reused: terminate() and the reaping never overlap
    bool reaped_ = false;
    int status_ = 0;
    TerminationReason reason_ = TerminationReason::exit;
};

} // namespace Foundation

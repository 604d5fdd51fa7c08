#pragma once

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/SMC/MachineProfile.h"
#include "Tools/smcsim/SimulatedMachine.h"
#include "Tools/smcsim/SmcsimServer.h"

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace SmcsimTest {

// A two-fan Apple-silicon machine: "flt " fan keys with mode keys, no forced mask.
extern const char* const appleSiliconProfile;
// A two-fan Intel machine: "fpe2" fan keys, the "FS! " forced mask, no mode keys.
extern const char* const intelProfile;

SMCSim::MachineProfile profile(const char* json);

// A simulator served on a thread of the test until stop() or destruction.
class RunningServer {
public:
    RunningServer(std::shared_ptr<Aerlo::SimulatedMachine> machine, Aerlo::SmcsimServer::Options options);
    ~RunningServer();
    bool started() const { return started_; }
    void stop();
    Aerlo::SmcsimServer& server() { return *server_; }

private:
    std::unique_ptr<Aerlo::SmcsimServer> server_;
    std::thread thread_;
    bool started_ = false;
};

// A child process with its standard output and error on one pipe.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment);
    ~ChildProcess();
    bool started() const { return pid_ > 0; }
    // The next line of standard output, empty after `seconds` or at the end.
    std::string readLine(double seconds = 10);
    // Everything up to the end of its output (or `seconds`).
    std::string readAll(double seconds = 10);
    // The exit status, or -1 when it did not end within `seconds` (it is then killed).
    int wait(double seconds = 10);
    void signal(int number);

private:
    int pid_ = -1;
    Foundation::FileDescriptor output_;
    std::string buffer_;
};

// Runs a program to its end: exit status and what it printed (output and errors).
struct RunResult {
    int status = -1;
    std::string output;
};
RunResult runProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment);

// The built smcsim program.
std::string smcsimPath();

} // namespace SmcsimTest

#include "Platform/System/ProcessApplicationLauncher.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/Process.h"

#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace SystemPlatform {

namespace fs = std::filesystem;

namespace {

fs::path registrationFolder() { return Foundation::Paths::root() / "var" / "run" / "applications"; }

// The process listening on `socket`, when one accepts.
std::optional<pid_t> listeningProcess(const fs::path& socket)
{
    const auto address = Foundation::unixAddress(socket);
    if (!address)
        return std::nullopt;
    const Foundation::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return std::nullopt;
    std::optional<pid_t> pid;
    ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0
        && ::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.pid > 0)
        pid = credentials.pid;
    return pid;
}

fs::path bundleOfProcess(pid_t pid)
{
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    return error ? fs::path() : Foundation::Bundle::bundlePathForExecutable(executable);
}

} // namespace

fs::path ProcessApplicationLauncher::registrationSocket(std::string_view identifier)
{
    return registrationFolder() / (std::string(identifier) + ".sock");
}

std::vector<RunningApplication> ProcessApplicationLauncher::runningApplications()
{
    std::vector<fs::path> sockets;
    std::error_code error;
    for (fs::directory_iterator it(registrationFolder(), error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == ".sock" && it->is_socket(error))
            sockets.push_back(it->path());
    std::sort(sockets.begin(), sockets.end());
    std::vector<RunningApplication> running;
    for (const fs::path& socket : sockets)
        if (const auto pid = listeningProcess(socket))
            running.push_back({*pid, socket.stem().string(), bundleOfProcess(*pid)});
    return running;
}

Foundation::Result<pid_t> ProcessApplicationLauncher::openApplication(const fs::path& bundlePath,
                                                                      const OpenConfiguration&)
{
    const auto executable = Foundation::Bundle(bundlePath).executablePath();
    if (!executable)
        return Foundation::Error("\"" + bundlePath.string() + "\" is no application bundle.");
    Foundation::ProcessOptions options;
    options.newSession = true;
    options.standardOutput = Foundation::ProcessOutput::inherit;
    options.standardError = Foundation::ProcessOutput::inherit;
    Foundation::Process process(executable->string(), {}, options);
    if (auto launched = process.run(); !launched.ok())
        return Foundation::Error(launched.error());
    return process.processIdentifier();
}

} // namespace SystemPlatform

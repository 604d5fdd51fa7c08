#include "Tools/smcsim/SmcsimServer.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Aerlo {

namespace {

using Protocol = IOKit::SocketSmcProtocol;

bool sameToken(std::string_view presented, const std::string& token)
{
    if (presented.size() != token.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < token.size(); ++i)
        difference |= static_cast<unsigned char>(presented[i] ^ token[i]);
    return difference == 0;
}

// Starts a reply (kept from the last one, so that its storage is reused) with a result code.
void setResult(std::string& reply, IOKit::kern_return_t code)
{
    reply.clear();
    Protocol::putU32(reply, code);
}

} // namespace

SmcsimServer::SmcsimServer(std::shared_ptr<SimulatedMachine> machine, Options options)
    : machine_(std::move(machine)), options_(std::move(options))
{
    (void)Foundation::FileDescriptor::openPipe(wake_, O_NONBLOCK); // start() says when there is none
}

SmcsimServer::~SmcsimServer()
{
    {
        std::lock_guard lock(mutex_);
        reapLocked(true);
    }
    if (listenFd_) { // started, never run
        listenFd_.reset();
        ::unlink(options_.socketPath.c_str());
        ::unlink(tokenPath().c_str());
    }
}

std::filesystem::path SmcsimServer::tokenPath() const
{
    return Protocol::tokenPath(options_.socketPath);
}

std::size_t SmcsimServer::clientCount() const
{
    std::lock_guard lock(mutex_);
    std::size_t live = 0;
    for (const Client& client : clients_)
        live += client.done ? 0 : 1;
    return live;
}

bool SmcsimServer::writeToken()
{
    token_ = Protocol::makeToken();
    const std::filesystem::path path = tokenPath();
    ::unlink(path.c_str());
    const Foundation::FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return false;
    const std::string line = token_ + "\n";
    return ::fchmod(fd.get(), 0600) == 0
        && ::write(fd.get(), line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

bool SmcsimServer::start()
{
    const std::filesystem::path& path = options_.socketPath;
    if (!wake_[0]) {
        Foundation::Console::printError("smcsim: cannot make a wake pipe");
        return false;
    }
    if (const Foundation::FileDescriptor live(Protocol::connectTo(path, 1)); live) {
        Foundation::Console::printError("smcsim: another simulator is serving on " + path.string());
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    if (!writeToken()) {
        Foundation::Console::printError("smcsim: cannot write the token " + tokenPath().string() + ": " +
                                        Foundation::errnoText(errno));
        return false;
    }
    const auto listening = Protocol::listenOn(path);
    if (!listening) {
        ::unlink(tokenPath().c_str());
        Foundation::Console::printError("smcsim: " + listening.error());
        return false;
    }
    listenFd_.reset(*listening);
    return true;
}

void SmcsimServer::stop()
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_[1].get(), &byte, 1);
}

void SmcsimServer::reapLocked(bool all)
{
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (!all && !it->done) {
            ++it;
            continue;
        }
        if (all)
            ::shutdown(it->fd.get(), SHUT_RDWR);
        if (it->thread.joinable())
            it->thread.join();
        it = clients_.erase(it);
    }
}

void SmcsimServer::run()
{
    if (!listenFd_)
        return;
    for (;;) {
        pollfd fds[2] = {{listenFd_.get(), POLLIN, 0}, {wake_[0].get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            break;
        if (!(fds[0].revents & POLLIN))
            continue;
        Foundation::FileDescriptor fd(::accept4(listenFd_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        std::lock_guard lock(mutex_);
        reapLocked(false);
        if (!fd)
            continue;
        Client& client = clients_.emplace_back();
        client.fd = std::move(fd);
        client.thread = std::thread([this, &client] { serve(client); });
    }
    {
        std::lock_guard lock(mutex_);
        reapLocked(true);
    }
    listenFd_.reset();
    ::unlink(options_.socketPath.c_str());
    ::unlink(tokenPath().c_str());
}

// One client's conversation: its privilege, the user-client connections it opened, and the reply
// buffer kept between requests.
struct SmcsimServer::Session {
    int fd = -1;
    bool privileged = false;
    std::set<std::uint32_t> handles;
    std::string reply;
    bool stopAfter = false;
};

bool SmcsimServer::greet(Session& session, IOKit::SocketSmcReader& reader)
{
    Protocol::Frame frame;
    if (reader.receive(frame) != Protocol::Status::ok || frame.op != Protocol::Op::hello ||
        frame.payload.size() != Protocol::helloSize || Protocol::u32At(frame.payload, 0) != Protocol::magic ||
        Protocol::u32At(frame.payload, 4) != Protocol::version)
        return false;
    if (frame.payload[8] != 0) {
        const auto uid = Protocol::peerUid(session.fd);
        session.privileged = (uid && *uid == options_.privilegedUid) ||
                             sameToken(std::string_view(frame.payload).substr(12, Protocol::tokenSize), token_);
    }
    setResult(session.reply, IOKit::kIOReturnSuccess);
    session.reply.push_back(session.privileged ? 1 : 0);
    session.reply.append(3, '\0');
    return Protocol::send(session.fd, Protocol::Op::hello, session.reply);
}

bool SmcsimServer::openConnection(Session& session, std::string_view payload)
{
    const auto type = Protocol::u32At(payload, 0);
    if (!type || payload.size() != 4)
        return false;
    std::uint32_t handle = 0;
    const auto code = machine_->device()->open(*type, session.privileged, handle);
    if (code == IOKit::kIOReturnSuccess)
        session.handles.insert(handle);
    setResult(session.reply, code);
    Protocol::putU32(session.reply, handle);
    return true;
}

bool SmcsimServer::callDevice(Session& session, std::string_view payload)
{
    if (payload.size() != 8 + IOKit::kSMCRecordSize)
        return false;
    const std::uint32_t handle = *Protocol::u32At(payload, 0);
    IOKit::SMCRecord input{};
    IOKit::SMCRecord output{};
    std::copy(payload.begin() + 8, payload.end(), input.begin());
    const auto code = session.handles.contains(handle)
                          ? machine_->device()->call(handle, *Protocol::u32At(payload, 4), input, output)
                          : IOKit::MACH_SEND_INVALID_DEST;
    setResult(session.reply, code);
    session.reply.append(reinterpret_cast<const char*>(output.data()), output.size());
    return true;
}

bool SmcsimServer::closeConnection(Session& session, std::string_view payload)
{
    const auto handle = Protocol::u32At(payload, 0);
    if (!handle || payload.size() != 4)
        return false;
    auto code = IOKit::MACH_SEND_INVALID_DEST;
    if (session.handles.contains(*handle)) {
        code = machine_->device()->close(*handle);
        if (code == IOKit::kIOReturnSuccess)
            session.handles.erase(*handle);
    }
    setResult(session.reply, code);
    return true;
}

bool SmcsimServer::control(Session& session, std::string_view payload)
{
    if (!session.privileged) {
        session.reply = R"json({"ok":false,"error":"control needs privilege (the token next to the socket)"})json";
        return true;
    }
    const auto answer = machine_->control(payload);
    session.reply = answer.text;
    session.stopAfter = answer.stop;
    return true;
}

bool SmcsimServer::answer(Session& session, const Protocol::Frame& frame)
{
    session.reply.clear();
    session.stopAfter = false;
    switch (frame.op) {
    case Protocol::Op::open:
        return openConnection(session, frame.payload);
    case Protocol::Op::call:
        return callDevice(session, frame.payload);
    case Protocol::Op::close:
        return closeConnection(session, frame.payload);
    case Protocol::Op::control:
        return control(session, frame.payload);
    case Protocol::Op::hello:
        break;
    }
    return false; // a second hello
}

void SmcsimServer::serve(Client& client)
{
    Session session;
    session.fd = client.fd.get();
    IOKit::SocketSmcReader reader(client.fd.get(), Protocol::activeWait);
    bool alive = greet(session, reader);
    Protocol::Frame frame;
    while (alive && reader.receive(frame) == Protocol::Status::ok) {
        alive = answer(session, frame) && Protocol::send(client.fd.get(), frame.op, session.reply);
        if (session.stopAfter)
            stop();
    }
    for (std::uint32_t handle : session.handles)
        machine_->device()->close(handle);
    ::shutdown(client.fd.get(), SHUT_RDWR); // the peer sees the end now; the fd closes when reaped
    client.done = true;
}

} // namespace Aerlo

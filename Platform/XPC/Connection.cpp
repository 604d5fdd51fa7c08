#include "Platform/XPC/Connection.h"

#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/XPC/Socket.h"
#include "Platform/XPC/TransportState.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <system_error>

namespace XPC {

namespace {

// One underlying socket connection.
struct Session {
    Socket socket;
    std::uint64_t number = 0;
    MessageCodec decoder; // touched only on the private queue
    std::atomic<bool> ended {false};
};

// Ends a session once: stops reading it and fails the replies still awaited on it.
void endSession(TransportState& state, Session& session, const Error& error)
{
    if (session.ended.exchange(true))
        return;
    state.queue().unwatch(session.socket.fd());
    session.socket.shutdown(true, true);
    state.endSession(session.number, error);
}

// Runs on the private queue whenever the session's socket is readable or hung up.
void readSession(const std::weak_ptr<TransportState>& weakState, const std::shared_ptr<Session>& session)
{
    auto state = weakState.lock();
    if (!state || session->ended)
        return;
    std::array<char, 16384> buffer;
    const ssize_t n = session->socket.read(buffer.data(), buffer.size());
    if (n == -1)
        return;
    if (n <= 0) {
        endSession(*state, *session, state->makeError(Error::Code::connectionInterrupted));
        return;
    }
    auto result = session->decoder.feed(buffer.data(), static_cast<std::size_t>(n));
    for (const Message& message : result.messages) {
        auto reply = MessageCodec::parseReply(message);
        if (!reply) {
            endSession(*state, *session, state->makeError(Error::Code::replyInvalid, "not a reply"));
            return;
        }
        state->receive(*reply);
    }
    if (result.error != DecodeError::none)
        endSession(*state, *session, state->makeError(Error::Code::replyInvalid, MessageCodec::describe(result.error)));
}

// The service speaks first once it has admitted the connection, and nothing may be written before:
// waits for its greeting. False (with `error`) when it closes or says anything else first.
bool awaitAdmission(const Socket& socket, Socket::Deadline deadline, int& error)
{
    MessageCodec decoder;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready {socket.fd(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            error = ETIMEDOUT;
            return false;
        }
        // One byte at a time: what follows the greeting belongs to the session's reader.
        char byte = 0;
        const ssize_t n = socket.read(&byte, 1);
        if (n == -1)
            continue;
        if (n <= 0) {
            error = ECONNREFUSED;
            return false;
        }
        auto result = decoder.feed(&byte, 1);
        if (!result.messages.empty() || result.error != DecodeError::none) {
            const bool greeted = result.error == DecodeError::none && MessageCodec::isGreeting(result.messages.front());
            error = greeted ? 0 : EPROTO;
            return greeted;
        }
    }
}

} // namespace

struct Connection::Link {
    std::shared_ptr<TransportState> state;
    std::filesystem::path path;
    std::atomic<double> sendTimeout {defaultSendTimeout};
    // One message on the wire at a time, in order; a sender waits for its turn no longer than its deadline.
    std::mutex writeMutex;
    std::condition_variable writeFree;
    bool writing = false;
    std::mutex sessionMutex;
    std::shared_ptr<Session> current;

    std::shared_ptr<Session> liveSession()
    {
        std::lock_guard lock(sessionMutex);
        if (current && !current->ended)
            return current;
        return nullptr;
    }

    std::shared_ptr<Session> connect(Socket::Deadline deadline, int& error)
    {
        auto socket = Socket::connect(path, deadline, error);
        if (!socket || !awaitAdmission(*socket, deadline, error))
            return nullptr;
        auto session = std::make_shared<Session>();
        session->socket = std::move(*socket);
        session->number = state->openSession();
        state->queue().watch(session->socket.fd(),
                             [weak = std::weak_ptr(state), session] { readSession(weak, session); });
        std::lock_guard lock(sessionMutex);
        current = session;
        return session;
    }

    void deliver(TransportState::Outgoing outgoing)
    {
        const auto deadline = std::chrono::steady_clock::now() + Socket::toDuration(sendTimeout.load());
        {
            std::unique_lock lock(writeMutex);
            if (!writeFree.wait_until(lock, deadline, [this] { return !writing; })) {
                state->fail(outgoing, state->makeError(Error::Code::timedOut));
                return;
            }
            writing = true;
        }
        write(outgoing, deadline);
        std::lock_guard lock(writeMutex);
        writing = false;
        writeFree.notify_one();
    }

    void write(TransportState::Outgoing& outgoing, Socket::Deadline deadline)
    {
        for (int attempt = 0;; ++attempt) {
            int error = 0;
            auto session = liveSession();
            if (!session)
                session = connect(deadline, error);
            if (!session) {
                state->fail(outgoing, state->makeError(Error::Code::connectionFailed, Foundation::errnoText(error)));
                state->connectionLost();
                return;
            }
            if (!state->await(outgoing, session->number)) {
                endSession(*state, *session, state->makeError(Error::Code::connectionInvalid));
                state->fail(outgoing, state->makeError(Error::Code::connectionInvalid));
                return;
            }
            const auto result = session->socket.writeAll(outgoing.frame, deadline, error);
            if (result == Socket::WriteResult::written) {
                state->written(outgoing.id);
                return;
            }
            if (!state->withdraw(outgoing))
                return; // answered meanwhile
            if (result == Socket::WriteResult::peerGone) {
                // Stop writing there but read what the peer sent before it went.
                session->socket.shutdown(false, true);
                std::lock_guard lock(sessionMutex);
                if (current == session)
                    current.reset();
            } else {
                endSession(*state, *session,
                           state->makeError(Error::Code::connectionInterrupted, Foundation::errnoText(error)));
            }
            if (result == Socket::WriteResult::peerGone && attempt == 0)
                continue;
            const auto code =
                result == Socket::WriteResult::timedOut ? Error::Code::timedOut : Error::Code::connectionInterrupted;
            state->fail(
                outgoing,
                state->makeError(code, result == Socket::WriteResult::timedOut ? "" : Foundation::errnoText(error)));
            return;
        }
    }
};

Connection::Connection(std::string serviceName) : Connection(serviceName, socketPath(serviceName)) {}

Connection::Connection(std::string serviceName, std::filesystem::path socketPath) : link_(std::make_shared<Link>())
{
    Socket::ignoreBrokenPipe();
    link_->state = std::make_shared<TransportState>(std::move(serviceName));
    link_->path = std::move(socketPath);
}

Connection::~Connection()
{
    invalidate();
    link_->state->queue().stop(); // every handler has run when this returns
}

std::filesystem::path Connection::socketPath(std::string_view serviceName)
{
    return Foundation::Paths::root() / "var" / "run" / (std::string(serviceName) + ".sock");
}

const std::string& Connection::serviceName() const { return link_->state->serviceName(); }

const std::filesystem::path& Connection::socketPath() const { return link_->path; }

void Connection::setSendTimeout(double seconds) { link_->sendTimeout = seconds; }

void Connection::setInvalidationHandler(std::function<void()> handler)
{
    link_->state->setInvalidationHandler(std::move(handler));
}

void Connection::resume()
{
    for (auto& outgoing : link_->state->resume())
        link_->deliver(std::move(outgoing));
}

void Connection::invalidate()
{
    if (!link_->state->invalidate())
        return;
    std::lock_guard lock(link_->sessionMutex);
    if (link_->current) {
        link_->current->socket.shutdown(true, true);
        link_->current.reset();
    }
}

void Connection::sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error)
{
    if (auto outgoing = link_->state->prepare(message, std::move(reply), std::move(error)))
        link_->deliver(std::move(*outgoing));
}

} // namespace XPC

#include "Platform/XPC/Listener.h"

#include "Platform/Foundation/Posix.h"
#include "Platform/XPC/PrivateQueue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <poll.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace XPC {

namespace {

constexpr double sweepSeconds = 0.5;

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

std::string counted(std::size_t number, const char* one, const char* many)
{
    return std::to_string(number) + " " + (number == 1 ? one : many);
}

// Messages a uid or a process may still send now: refilled at `rate` per second, at most one second's worth.
struct Bucket {
    double tokens = 0;
    double updated = 0;
    bool fresh = true;

    void refill(double time, double rate)
    {
        tokens = fresh ? rate : std::min(rate, tokens + (time - updated) * rate);
        updated = time;
        fresh = false;
    }
    // Seconds until one message may go.
    double wait(double rate) const { return tokens >= 1 ? 0 : (1 - tokens) / rate; }
};

class Client : public PeerConnection {
public:
    Client(Socket socket, PeerCredentials credentials) : socket_(std::move(socket)), credentials_(credentials) {}

    const PeerCredentials& credentials() const override { return credentials_; }

    [[nodiscard]] bool reply(std::uint64_t id, const std::optional<std::string>& text,
                             std::function<void()> written) override
    {
        if (!open_)
            return false;
        auto frame = MessageCodec::encode(MessageCodec::makeReply(id, text));
        if (!frame) {
            close();
            return false;
        }
        if (outbox_.size() == sent_)
            progress = now(); // a queue that was empty starts its stall clock now
        outbox_ += *frame;
        waiting_.push_back({queued_ + outbox_.size() - sent_, std::move(written)});
        return true;
    }

    void close() override
    {
        open_ = false;
        socket_.shutdown(true, true);
    }

    bool isOpen() const override { return open_; }

    const Socket& socket() const { return socket_; }

    // Writes what the socket takes now; false when the peer is gone.
    bool flush()
    {
        while (sent_ < outbox_.size()) {
            const ssize_t n = socket_.writeSome(std::string_view(outbox_).substr(sent_));
            if (n < 0)
                return false;
            if (n == 0)
                break;
            sent_ += static_cast<std::size_t>(n);
            queued_ += static_cast<std::size_t>(n);
            progress = now();
        }
        while (!waiting_.empty() && waiting_.front().end <= queued_) {
            auto written = std::move(waiting_.front().written);
            waiting_.pop_front();
            if (written)
                written();
        }
        if (sent_ == outbox_.size()) {
            outbox_.clear();
            sent_ = 0;
        } else if (sent_ > 65536) {
            outbox_.erase(0, sent_);
            sent_ = 0;
        }
        return true;
    }

    std::size_t unsentBytes() const { return outbox_.size() - sent_; }
    std::size_t undelivered() const { return waiting_.size(); }

    MessageCodec decoder;
    std::deque<Message> pending; // decoded, waiting for their turn
    DecodeError failure = DecodeError::none; // the stream's error, reported once `pending` is handled
    double incompleteSince = -1; // when the frame being read began
    double progress = 0; // when the reply queue last moved
    bool paused = false; // waiting for the rate to allow more
    short events = 0; // what the queue watches for

private:
    struct Waiting {
        std::size_t end; // total bytes written once this frame is out
        std::function<void()> written;
    };

    Socket socket_;
    PeerCredentials credentials_;
    std::string outbox_;
    std::size_t sent_ = 0; // bytes of outbox_ written
    std::size_t queued_ = 0; // bytes written on this connection so far
    std::deque<Waiting> waiting_;
    bool open_ = true;
};

} // namespace

struct Listener::Impl : std::enable_shared_from_this<Listener::Impl> {
    std::filesystem::path path;
    Options options;
    PeerAdmission peerAdmission;
    SenderAdmission senderAdmission;
    MessageHandler handler;
    RejectionHandler rejection;

    std::atomic<bool> listening {false};
    std::atomic<std::size_t> connections {0};

    // Touched only on the queue.
    Socket socket;
    dev_t device = 0;
    ino_t inode = 0;
    std::map<int, std::shared_ptr<Client>> clients;
    std::map<uid_t, Bucket> uidBuckets;
    std::map<pid_t, Bucket> processBuckets;
    bool sweeping = false;

    PrivateQueue queue {"xpc.listener"};

    void reject(const PeerCredentials& peer, std::string_view reason)
    {
        if (rejection)
            rejection(peer, reason);
    }

    void remove(const std::shared_ptr<Client>& client)
    {
        client->close();
        queue.unwatch(client->socket().fd());
        clients.erase(client->socket().fd());
        connections = clients.size();
    }

    // Closes a client for `reason`, saying how many of its replies were never delivered.
    void closeClient(const std::shared_ptr<Client>& client, std::string reason)
    {
        if (const auto lost = client->undelivered())
            reason += " (" + counted(lost, "reply", "replies") + " not delivered)";
        reject(client->credentials(), reason);
        remove(client);
    }

    std::size_t connectionsOf(const PeerCredentials& peer, bool sameProcess) const
    {
        return static_cast<std::size_t>(std::count_if(clients.begin(), clients.end(), [&](const auto& entry) {
            const auto& other = entry.second->credentials();
            return sameProcess ? other.pid == peer.pid : other.uid == peer.uid;
        }));
    }

    void acceptOne()
    {
        auto accepted = socket.accept();
        if (!accepted)
            return;
        const auto credentials = accepted->peerCredentials();
        const PeerCredentials peer =
            credentials.value_or(PeerCredentials {0, static_cast<uid_t>(-1), static_cast<gid_t>(-1)});
        if (!credentials) {
            reject(peer, "the peer is unknown");
            return;
        }
        if (peerAdmission && !peerAdmission(peer))
            return;
        if (clients.size() >= options.maximumConnections
            || connectionsOf(peer, false) >= options.maximumConnectionsPerUID
            || connectionsOf(peer, true) >= options.maximumConnectionsPerProcess) {
            reject(peer, Listener::tooManyConnections);
            return;
        }
        // Whatever is queued now was written before the peer was admitted: never read, never served.
        if (accepted->queuedBytes() > 0) {
            reject(peer, Listener::writtenBeforeAdmission);
            return;
        }
        const auto& greeting = MessageCodec::greetingFrame();
        if (accepted->writeSome(greeting) != static_cast<ssize_t>(greeting.size()))
            return;
        auto client = std::make_shared<Client>(std::move(*accepted), peer);
        clients[client->socket().fd()] = client;
        connections = clients.size();
        update(client);
        startSweeping();
    }

    // Watches what the client's state asks for: its socket while it may be read, its reply queue
    // while that holds bytes.
    void update(const std::shared_ptr<Client>& client)
    {
        if (!client->isOpen())
            return;
        short events = 0;
        if (client->failure == DecodeError::none && client->pending.empty() && !client->paused
            && client->unsentBytes() <= options.replyQueueBytes)
            events |= POLLIN;
        if (client->unsentBytes() > 0)
            events |= POLLOUT;
        if (events == client->events)
            return;
        client->events = events;
        const int fd = client->socket().fd();
        if (events == 0) {
            queue.unwatch(fd);
            return;
        }
        queue.watch(fd, events, [weak = weak_from_this(), client](short occurred) {
            if (auto self = weak.lock())
                self->ready(client, occurred);
        });
    }

    void ready(const std::shared_ptr<Client>& client, short occurred)
    {
        if (!client->isOpen()) {
            remove(client);
            return;
        }
        if (client->unsentBytes() > 0 && !client->flush()) {
            closeClient(client, "the client stopped reading");
            return;
        }
        if ((occurred & (POLLIN | POLLHUP | POLLERR)) && (client->events & POLLIN) && !read(client))
            return;
        serve(client);
    }

    // One read; false when the client was closed.
    bool read(const std::shared_ptr<Client>& client)
    {
        std::array<char, 16384> buffer;
        std::optional<PeerCredentials> sender;
        const ssize_t n = client->socket().read(buffer.data(), buffer.size(), sender);
        if (n == -1)
            return true;
        if (n <= 0) {
            if (client->undelivered() > 0)
                closeClient(client, "the client left");
            else
                remove(client);
            return false;
        }
        if (senderAdmission) {
            const auto admitted = sender ? senderAdmission(client->credentials(), *sender)
                                         : Foundation::Error("the sender of a message is unknown");
            if (!admitted) {
                closeClient(client, admitted.error());
                return false;
            }
        }
        auto result = client->decoder.feed(buffer.data(), static_cast<std::size_t>(n));
        for (auto& message : result.messages)
            client->pending.push_back(std::move(message));
        client->failure = result.error;
        if (client->decoder.bufferedSize() == 0)
            client->incompleteSince = -1;
        else if (client->incompleteSince < 0 || !result.messages.empty())
            client->incompleteSince = now();
        return true;
    }

    // Seconds until the client may send one more message; 0 takes it now.
    double rateWait(const PeerCredentials& peer)
    {
        if (options.messagesPerSecond == 0)
            return 0;
        const double rate = static_cast<double>(options.messagesPerSecond);
        const double time = now();
        Bucket& byUID = uidBuckets[peer.uid];
        Bucket& byProcess = processBuckets[peer.pid];
        byUID.refill(time, rate);
        byProcess.refill(time, rate);
        const double wait = std::max(byUID.wait(rate), byProcess.wait(rate));
        if (wait > 0)
            return wait;
        byUID.tokens -= 1;
        byProcess.tokens -= 1;
        return 0;
    }

    // Handles the client's waiting messages as far as its rate and reply queue allow.
    void serve(const std::shared_ptr<Client>& client)
    {
        while (!client->pending.empty() && client->isOpen()) {
            if (client->unsentBytes() > options.replyQueueBytes)
                break; // resumed when the queue drains
            if (const double wait = rateWait(client->credentials()); wait > 0) {
                client->paused = true;
                queue.asyncAfter(wait, [weak = weak_from_this(), client] {
                    auto self = weak.lock();
                    if (!self || !client->isOpen())
                        return;
                    client->paused = false;
                    self->serve(client);
                });
                break;
            }
            const Message message = std::move(client->pending.front());
            client->pending.pop_front();
            auto request = MessageCodec::parseRequest(message);
            if (!request) {
                closeClient(client, "malformed request");
                return;
            }
            const bool accepted = handler && handler(*client, *request);
            if (!client->isOpen()) {
                remove(client);
                return;
            }
            if (!client->flush()) {
                closeClient(client, "the client stopped reading");
                return;
            }
            if (!accepted) {
                remove(client);
                return;
            }
        }
        if (client->pending.empty() && client->failure != DecodeError::none) {
            closeClient(client, std::string(MessageCodec::describe(client->failure)));
            return;
        }
        update(client);
    }

    void startSweeping()
    {
        if (sweeping)
            return;
        sweeping = true;
        queue.asyncAfter(sweepSeconds, [weak = weak_from_this()] {
            if (auto self = weak.lock())
                self->sweep();
        });
    }

    // Closes the clients that hold the daemon up; forgets the rates of those that are idle.
    void sweep()
    {
        sweeping = false;
        const double time = now();
        std::vector<std::shared_ptr<Client>> stalled;
        for (const auto& [fd, client] : clients)
            if ((client->unsentBytes() > 0 && time - client->progress > options.stallSeconds)
                || (client->incompleteSince >= 0 && time - client->incompleteSince > options.stallSeconds))
                stalled.push_back(client);
        for (const auto& client : stalled) {
            const bool replies = client->unsentBytes() > 0 && time - client->progress > options.stallSeconds;
            closeClient(client,
                        replies ? "the client does not read its replies" : "an incomplete frame was held too long");
        }
        const double rate = static_cast<double>(options.messagesPerSecond);
        const auto idle = [&](auto& buckets) {
            for (auto entry = buckets.begin(); entry != buckets.end();) {
                entry->second.refill(time, rate);
                entry = entry->second.tokens >= rate ? buckets.erase(entry) : std::next(entry);
            }
        };
        idle(uidBuckets);
        idle(processBuckets);
        if (!clients.empty() || !uidBuckets.empty() || !processBuckets.empty())
            startSweeping();
    }

    void teardown()
    {
        if (socket.isOpen()) {
            // The file goes first (only while it is still ours): nobody sees a socket that refuses.
            struct stat info {};
            if (::lstat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode)
                ::unlink(path.c_str());
            queue.unwatch(socket.fd());
            socket.close();
        }
        listening = false;
        for (auto& [fd, client] : clients) {
            client->flush(); // what the socket takes now; the rest is lost
            client->close();
            queue.unwatch(fd);
        }
        clients.clear();
        connections = 0;
    }
};

Listener::Listener(std::filesystem::path socketPath) : Listener(std::move(socketPath), Options {}) {}

Listener::Listener(std::filesystem::path socketPath, Options options) : impl_(std::make_shared<Impl>())
{
    impl_->path = std::move(socketPath);
    impl_->options = options;
}

Listener::~Listener()
{
    stop();
    impl_->queue.stop(); // no handler runs once this returns
}

void Listener::setPeerAdmission(PeerAdmission admission) { impl_->peerAdmission = std::move(admission); }

void Listener::setSenderAdmission(SenderAdmission admission) { impl_->senderAdmission = std::move(admission); }

void Listener::setMessageHandler(MessageHandler handler) { impl_->handler = std::move(handler); }

void Listener::setRejectionHandler(RejectionHandler handler) { impl_->rejection = std::move(handler); }

Foundation::Result<void> Listener::start()
{
    Foundation::Result<void> started;
    impl_->queue.sync([this, &started] {
        Impl& impl = *impl_;
        if (impl.listening)
            return;
        int error = 0;
        auto socket = Socket::listen(impl.path, impl.options.socketMode, error, impl.senderAdmission != nullptr);
        if (!socket) {
            started =
                Foundation::Error("Couldn't listen on " + impl.path.string() + ": " + Foundation::errnoText(error));
            return;
        }
        struct stat info {};
        ::lstat(impl.path.c_str(), &info);
        impl.device = info.st_dev;
        impl.inode = info.st_ino;
        impl.socket = std::move(*socket);
        impl.queue.watch(impl.socket.fd(), [weak = impl.weak_from_this()] {
            if (auto self = weak.lock())
                self->acceptOne();
        });
        impl.listening = true;
    });
    return started;
}

void Listener::stop()
{
    impl_->queue.sync([impl = impl_.get()] { impl->teardown(); });
}

bool Listener::isListening() const { return impl_->listening; }

std::size_t Listener::connectionCount() const { return impl_->connections; }

const std::filesystem::path& Listener::socketPath() const { return impl_->path; }

} // namespace XPC

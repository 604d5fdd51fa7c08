#include "Platform/XPC/Listener.h"

#include "Platform/XPC/PrivateQueue.h"

#include <array>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace XPC {

namespace {

class Client : public PeerConnection {
public:
    Client(Socket socket, PeerCredentials credentials, double replyTimeout)
        : socket_(std::move(socket)), credentials_(credentials), replyTimeout_(replyTimeout)
    {
    }

    const PeerCredentials& credentials() const override { return credentials_; }

    bool reply(std::uint64_t id, const std::optional<std::string>& text) override
    {
        if (!open_)
            return false;
        auto frame = MessageCodec::encode(MessageCodec::makeReply(id, text));
        int error = 0;
        const auto deadline = std::chrono::steady_clock::now() + Socket::toDuration(replyTimeout_);
        if (!frame || socket_.writeAll(*frame, deadline, error) != Socket::WriteResult::written) {
            close();
            return false;
        }
        return true;
    }

    void close() override
    {
        open_ = false;
        socket_.shutdown(true, true);
    }

    bool isOpen() const override { return open_; }

    const Socket& socket() const { return socket_; }
    MessageCodec& decoder() { return decoder_; }

    // True when one more message now keeps the client within `limit` messages in any one second.
    bool admit(double now, std::size_t limit)
    {
        if (limit == 0)
            return true;
        while (!recent_.empty() && recent_.front() <= now - 1.0)
            recent_.pop_front();
        if (recent_.size() >= limit)
            return false;
        recent_.push_back(now);
        return true;
    }

private:
    Socket socket_;
    PeerCredentials credentials_;
    double replyTimeout_;
    MessageCodec decoder_;
    std::deque<double> recent_;
    bool open_ = true;
};

} // namespace

struct Listener::Impl : std::enable_shared_from_this<Listener::Impl> {
    std::filesystem::path path;
    Options options;
    PeerFilter filter;
    MessageHandler handler;
    RejectionHandler rejection;

    mutable std::mutex mutex; // guards `error`
    std::string error;
    std::atomic<bool> listening{false};
    std::atomic<std::size_t> count{0};

    // Touched only on the queue.
    Socket socket;
    dev_t device = 0;
    ino_t inode = 0;
    std::map<int, std::shared_ptr<Client>> clients;

    PrivateQueue queue{"xpc.listener"};

    const Foundation::Clock& clock() const { return options.clock ? *options.clock : Foundation::Clock::system(); }

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
        count = clients.size();
    }

    void acceptOne()
    {
        auto accepted = socket.accept();
        if (!accepted)
            return;
        const PeerCredentials peer = accepted->peerCredentials().value_or(PeerCredentials{0, static_cast<uid_t>(-1), static_cast<gid_t>(-1)});
        if (clients.size() >= options.maximumConnections) {
            reject(peer, "too many connections");
            return;
        }
        if (!accepted->peerCredentials() || (filter && !filter(peer))) {
            reject(peer, "peer refused");
            return;
        }
        auto client = std::make_shared<Client>(std::move(*accepted), peer, options.replyTimeout);
        const int fd = client->socket().fd();
        clients[fd] = client;
        count = clients.size();
        queue.watch(fd, [weak = weak_from_this(), client] {
            if (auto self = weak.lock())
                self->read(client);
        });
    }

    void read(const std::shared_ptr<Client>& client)
    {
        if (!client->isOpen()) {
            remove(client);
            return;
        }
        std::array<char, 16384> buffer;
        const ssize_t n = client->socket().read(buffer.data(), buffer.size());
        if (n == -1)
            return;
        if (n <= 0) {
            remove(client);
            return;
        }
        auto result = client->decoder().feed(buffer.data(), static_cast<std::size_t>(n));
        for (const Message& message : result.messages) {
            auto request = MessageCodec::parseRequest(message);
            if (!request) {
                reject(client->credentials(), "malformed request");
                remove(client);
                return;
            }
            if (!client->admit(clock().now(), options.messagesPerSecond)) {
                reject(client->credentials(), "message rate exceeded");
                remove(client);
                return;
            }
            if (!handler || !handler(*client, *request) || !client->isOpen()) {
                remove(client);
                return;
            }
        }
        if (result.error != DecodeError::none) {
            reject(client->credentials(), MessageCodec::describe(result.error));
            remove(client);
        }
    }

    void teardown()
    {
        if (socket.isOpen()) {
            queue.unwatch(socket.fd());
            socket.close();
            // Remove the socket file only while it is still ours.
            struct stat info {};
            if (::lstat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode)
                ::unlink(path.c_str());
        }
        listening = false;
        for (auto& [fd, client] : clients) {
            client->close();
            queue.unwatch(fd);
        }
        clients.clear();
        count = 0;
    }
};

Listener::Listener(std::filesystem::path socketPath) : Listener(std::move(socketPath), Options{}) {}

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

void Listener::setPeerFilter(PeerFilter filter) { impl_->filter = std::move(filter); }

void Listener::setMessageHandler(MessageHandler handler) { impl_->handler = std::move(handler); }

void Listener::setRejectionHandler(RejectionHandler handler) { impl_->rejection = std::move(handler); }

bool Listener::start()
{
    bool started = false;
    impl_->queue.sync([this, &started] {
        Impl& impl = *impl_;
        if (impl.listening) {
            started = true;
            return;
        }
        int error = 0;
        auto socket = Socket::listen(impl.path, impl.options.socketMode, error);
        if (!socket) {
            std::lock_guard lock(impl.mutex);
            impl.error = "Couldn't listen on " + impl.path.string() + ": " + std::generic_category().message(error);
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
        std::lock_guard lock(impl.mutex);
        impl.error.clear();
        started = true;
    });
    return started;
}

void Listener::stop()
{
    impl_->queue.sync([impl = impl_.get()] { impl->teardown(); });
}

bool Listener::isListening() const { return impl_->listening; }

std::string Listener::errorDescription() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->error;
}

std::size_t Listener::connectionCount() const { return impl_->count; }

const std::filesystem::path& Listener::socketPath() const { return impl_->path; }

} // namespace XPC

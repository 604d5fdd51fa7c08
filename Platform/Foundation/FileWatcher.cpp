#include "Platform/Foundation/FileWatcher.h"

#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/SharedInstance.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace Foundation {

namespace {

constexpr std::uint32_t folderEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_MODIFY
    | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t folderEnded = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

// The watcher that the fork handlers guard: the shared one, while it exists.
std::atomic<FileWatcher*> forkGuarded {nullptr};



} // namespace

SharedInstance<FileWatcher>& FileWatcher::instance()
{
    static SharedInstance<FileWatcher> shared([](void* storage) { make(storage, true); });
    return shared;
}

void FileWatcher::make(void* storage, bool inotifyAvailable)
{
    static std::once_flag registered;
    std::call_once(registered, [] { pthread_atfork(prepareFork, parentAfterFork, childAfterFork); });
    forkGuarded.store(new (storage) FileWatcher(inotifyAvailable));
}

FileWatcher& FileWatcher::shared()
{
    return instance().get();
}

void FileWatcher::resetForTesting(bool inotifyAvailable)
{
    instance().resetForTesting([inotifyAvailable](void* storage) { make(storage, inotifyAvailable); });
}

FileWatcher::FileWatcher(bool inotifyAvailable) : available_(inotifyAvailable) { }

FileWatcher::~FileWatcher()
{
    FileWatcher* self = this;
    forkGuarded.compare_exchange_strong(self, nullptr);
    if (thread_) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_.get(), &one, sizeof one);
        thread_->join();
    }
    std::lock_guard lock(mutex_);
    endAll();
    inotify_.reset();
    wake_.reset();
}

std::shared_ptr<FileWatcher::Mark> FileWatcher::watch(const std::filesystem::path& file)
{
    std::lock_guard lock(mutex_);
    if (!available_ || !file.has_filename() || !start())
        return nullptr;
    const int descriptor = inotify_add_watch(inotify_.get(), file.parent_path().c_str(), folderEvents);
    if (descriptor < 0)
        return nullptr;
    auto& files = folders_[descriptor].files;
    const std::string name = file.filename().native();
    const auto [first, last] = files.equal_range(name);
    for (auto it = first; it != last;)
        it = it->second.expired() ? files.erase(it) : std::next(it);
    auto mark = std::make_shared<Mark>();
    files.emplace(name, mark);
    return mark;
}

bool FileWatcher::start()
{
    if (thread_)
        return true;
    inotify_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    wake_.reset(eventfd(0, EFD_CLOEXEC));
    if (!inotify_ || !wake_) {
        inotify_.reset();
        wake_.reset();
        available_ = false; // said once: readers fall back to checking the file
        return false;
    }
    thread_ = std::make_unique<std::thread>([this] { run(); });
    return true;
}

void FileWatcher::run()
{
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        pollfd descriptors[2] = {{inotify_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (descriptors[1].revents)
            return;
        const ssize_t size = ::read(inotify_.get(), buffer, sizeof buffer);
        if (size < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (size <= 0)
            break;
        dispatch(buffer, static_cast<std::size_t>(size));
    }
    // The watch cannot go on: every reader checks its file itself from now on.
    std::lock_guard lock(mutex_);
    endAll();
    available_ = false;
}

void FileWatcher::dispatch(const char* events, std::size_t size)
{
    std::lock_guard lock(mutex_);
    for (std::size_t offset = 0; offset < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + offset);
        offset += sizeof(inotify_event) + event->len;
        if (event->mask & IN_Q_OVERFLOW) {
            // Events were lost: whatever is read next is read again.
            for (auto& [descriptor, folder] : folders_)
                for (auto& [name, weak] : folder.files)
                    if (const auto mark = weak.lock())
                        mark->changed_.store(true);
            continue;
        }
        const auto found = folders_.find(event->wd);
        if (found == folders_.end())
            continue;
        if (event->mask & folderEnded) {
            if (!(event->mask & IN_IGNORED))
                inotify_rm_watch(inotify_.get(), event->wd);
            endFolder(event->wd);
            continue;
        }
        if (event->len == 0)
            continue;
        auto& files = found->second.files;
        const auto [first, last] = files.equal_range(std::string_view(event->name));
        for (auto it = first; it != last; ++it)
            if (const auto mark = it->second.lock())
                mark->changed_.store(true);
    }
}

void FileWatcher::endFolder(int descriptor)
{
    const auto found = folders_.find(descriptor);
    if (found == folders_.end())
        return;
    for (auto& [name, weak] : found->second.files)
        if (const auto mark = weak.lock())
            mark->live_.store(false);
    folders_.erase(found);
}

void FileWatcher::endAll()
{
    while (!folders_.empty())
        endFolder(folders_.begin()->first);
}

void FileWatcher::forgetAfterFork()
{
    // The thread did not come along and the inotify instance is shared with the parent: let both go
    // without touching the parent's state (no join, no removal of watches).
    for (auto& [descriptor, folder] : folders_)
        for (auto& [name, weak] : folder.files)
            if (const auto mark = weak.lock())
                mark->live_.store(false);
    folders_.clear();
    (void)thread_.release();
    inotify_.reset();
    wake_.reset();
}

void FileWatcher::prepareFork()
{
    if (FileWatcher* watcher = forkGuarded.load())
        watcher->mutex_.lock();
}

void FileWatcher::parentAfterFork()
{
    if (FileWatcher* watcher = forkGuarded.load())
        watcher->mutex_.unlock();
}

void FileWatcher::childAfterFork()
{
    if (FileWatcher* watcher = forkGuarded.load()) {
        watcher->forgetAfterFork();
        watcher->mutex_.unlock();
    }
}

} // namespace Foundation

#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/TestAccess.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace Foundation {

template <class T>
class SharedInstance;

// Tells readers of files that a file may have changed: inotify watches on the files' folders, served by
// one background thread. A reader keeps a Mark per file; while the mark is unchanged the file is as it
// was when the reader last cleared the mark, and asking costs no system call. Where inotify cannot be
// used, watch() gives nothing and the reader checks the file itself.
//
// A forked child starts with every inherited mark changed (the watching thread stays with the parent)
// and watches anew on its first watch(). Thread safe.
class AERLO_FOUNDATION_EXPORT FileWatcher {
public:
    class Mark {
    public:
        // True when the file may differ from what was read after the last clear(); always true once the
        // watch has ended (the folder was removed or moved, the watcher was reset, the process forked).
        bool changed() const noexcept { return changed_.load() || !live_.load(); }
        // False once the watch has ended: the reader must watch the file again.
        bool live() const noexcept { return live_.load(); }
        // Call before reading the file: a change made after this call shows in changed().
        void clear() noexcept { changed_.store(false); }

    private:
        friend class FileWatcher;
        std::atomic<bool> changed_ {true};
        std::atomic<bool> live_ {true};
    };

    // The process-wide watcher.
    static FileWatcher& shared();

    explicit FileWatcher(bool inotifyAvailable = true);
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // A mark that turns changed whenever `file` is created, written, replaced, renamed, removed or has its
    // attributes changed; nullptr when it cannot be watched (no inotify, its folder does not exist, no
    // watch left).
    std::shared_ptr<Mark> watch(const std::filesystem::path& file);

private:
    struct Folder {
        std::multimap<std::string, std::weak_ptr<Mark>, std::less<>> files;
    };

    [[nodiscard]] bool start(); // caller holds mutex_
    void run();
    void dispatch(const char* events, std::size_t size);
    void endFolder(int descriptor); // caller holds mutex_
    void endAll();                  // caller holds mutex_
    void forgetAfterFork();         // in a forked child, with mutex_ held since before the fork

    // The shared watcher's slot, and how it is made: placement-new, then guarded across forks.
    static SharedInstance<FileWatcher>& instance();
    static void make(void* storage, bool inotifyAvailable);
    static void prepareFork();
    static void parentAfterFork();
    static void childAfterFork();

    bool available_;
    std::mutex mutex_;
    FileDescriptor inotify_;
    FileDescriptor wake_;
    std::unique_ptr<std::thread> thread_;
    std::map<int, Folder> folders_; // by watch descriptor

    friend struct ::TestAccess;
    // Tests: replaces the shared watcher with a fresh one (ending every mark of the old one); with
    // `inotifyAvailable` false, it behaves as on a system without inotify.
    static void resetForTesting(bool inotifyAvailable = true);
};

} // namespace Foundation

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace SystemPlatform {

// A file replaced in one step: the new content is staged in a temporary file beside the destination
// and renamed over it by commit(). A staged file that is not committed is removed.
// Operations return the empty text on success, else what failed.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Stages `contents` with the permissions `mode`.
    std::string stage(std::string_view contents, mode_t mode);
    // Stages a copy of the regular file `source` with the permissions `mode`, keeping its access and
    // modification times to the nanosecond.
    std::string stageCopy(const std::filesystem::path& source, mode_t mode);
    // Renames the staged file over the destination.
    std::string commit();

    // stage() and commit() in one.
    static std::string write(const std::filesystem::path& destination, std::string_view contents, mode_t mode);

private:
    std::string stageFrom(int sourceFd, std::string_view contents, mode_t mode);
    void discard();

    std::filesystem::path destination_;
    std::filesystem::path temporary_;
};

} // namespace SystemPlatform

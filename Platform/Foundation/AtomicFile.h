#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include "Platform/Foundation/Result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <optional>
#include <sys/types.h>
#include <time.h>

namespace Foundation {

// A file replaced in one step: the new content is staged in a temporary file beside the destination
// and renamed over it by commit(). A staged file that is not committed is removed.
// Operations succeed, or fail with what failed ("Cannot write \"…\": …").
class AERLO_FOUNDATION_EXPORT AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Stages `contents` with the permissions `mode`.
    Result<void> stage(std::string_view contents, mode_t mode);
    // Stages a copy of the regular file `source` with the permissions `mode`, keeping its access and
    // modification times to the nanosecond.
    Result<void> stageCopy(const std::filesystem::path& source, mode_t mode);
    // Renames the staged file over the destination.
    Result<void> commit();

    // Files staged afterwards are modified later than `time`, even when the clock has not moved on since.
    void setModifiedAfter(const timespec& time) { modifiedAfter_ = time; }
    // The errno of the step that failed last; 0 when none did.
    int failedErrno() const { return failedErrno_; }

    // stage() and commit() in one.
    static Result<void> write(const std::filesystem::path& destination,
                              std::string_view contents, mode_t mode);

private:
    Result<void> stageFrom(int sourceFd, std::string_view contents, mode_t mode);
    bool keepModifiedAfter(int fd) const;
    Error failed(std::string_view what, const std::filesystem::path& path, int error);
    void discard();

    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    std::optional<timespec> modifiedAfter_;
    int failedErrno_ = 0;
};

} // namespace Foundation

#pragma once

#include "Platform/Foundation/ByteCountFormatter.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace Foundation {
template <class T>
class SharedInstance;
}

namespace QVToolsKit {

// Sizes of files and folder trees, and their display texts. Failures print one line and count 0.
class QVTOOLSKIT_EXPORT QVFileSizeTool {
public:
    static QVFileSizeTool& shared();
    virtual ~QVFileSizeTool() = default;

    // "1.5 MB", "999 bytes", "2.50 TB": bytes to TB, steps of 1000, fraction digits padded.
    // Counts above the largest signed 64-bit number are written as that number.
    virtual std::string formatSize(std::uint64_t size);

    // A folder (a bundle included) by its tree, anything else as a file; a missing path prints
    // "Invalid path: " and counts 0.
    static std::uint64_t calculateSize(const std::filesystem::path& at);
    // The sum of the non-folder items in the tree, hidden items and everything in hidden folders left
    // out; links to folders are not followed.
    static std::uint64_t calculateDirectorySize(const std::filesystem::path& at);
    static std::uint64_t calculateFileSize(const std::filesystem::path& at);
    // The user's home folder.
    static std::filesystem::path getSandboxDataPath();
    // Whether an item is there (a link counts when its target exists).
    static bool fileExists(const std::filesystem::path& atPath);
    static bool isDirectory(const std::filesystem::path& url);

protected:
    QVFileSizeTool();

private:
    static Foundation::SharedInstance<QVFileSizeTool>& instance();

    Foundation::ByteCountFormatter byteFormatter_;
};

} // namespace QVToolsKit

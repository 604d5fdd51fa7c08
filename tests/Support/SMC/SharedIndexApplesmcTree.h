#pragma once

#include "Platform/SMC/ApplesmcFiles.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string_view>

namespace SMCSim {

class FakeApplesmcTree;

// A fake applesmc tree whose one key index lives in memory shared with the processes forked after it
// is made, as the driver's index is shared by every process: each process reads its own copy of the
// tree, through the index that all of them move. Counts this process's index moves.
class SharedIndexApplesmcTree : public IOKit::ApplesmcFiles {
public:
    explicit SharedIndexApplesmcTree(std::shared_ptr<FakeApplesmcTree> tree);
    ~SharedIndexApplesmcTree() override;
    SharedIndexApplesmcTree(const SharedIndexApplesmcTree&) = delete;
    SharedIndexApplesmcTree& operator=(const SharedIndexApplesmcTree&) = delete;

    Contents read(std::string_view name) override;
    int write(std::string_view name, std::string_view text) override;

    std::size_t indexMoves() const { return indexMoves_; }

private:
    std::shared_ptr<FakeApplesmcTree> tree_;
    std::atomic<long>* index_; // in the shared mapping
    std::atomic<std::size_t> indexMoves_ {0};
};

} // namespace SMCSim

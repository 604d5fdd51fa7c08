#include "tests/Support/SMC/SharedIndexApplesmcTree.h"

#include "tests/Support/SMC/FakeApplesmcTree.h"

#include <charconv>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/mman.h>

namespace SMCSim {

SharedIndexApplesmcTree::SharedIndexApplesmcTree(std::shared_ptr<FakeApplesmcTree> tree) : tree_(std::move(tree))
{
    void* memory =
        ::mmap(nullptr, sizeof(std::atomic<long>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::runtime_error("no shared memory for the key index");
    index_ = new (memory) std::atomic<long>(0);
}

SharedIndexApplesmcTree::~SharedIndexApplesmcTree() { ::munmap(index_, sizeof(std::atomic<long>)); }

IOKit::ApplesmcFiles::Contents SharedIndexApplesmcTree::read(std::string_view name)
{
    // The data the shared index names now, whoever moved it last.
    if (name.starts_with("key_at_index"))
        if (const int error = tree_->write("key_at_index", std::to_string(index_->load())))
            return {error, {}};
    return tree_->read(name);
}

int SharedIndexApplesmcTree::write(std::string_view name, std::string_view text)
{
    const int error = tree_->write(name, text);
    if (name != "key_at_index" || error)
        return error;
    long index = 0;
    std::from_chars(text.data(), text.data() + text.size(), index);
    index_->store(index);
    ++indexMoves_;
    return 0;
}

} // namespace SMCSim

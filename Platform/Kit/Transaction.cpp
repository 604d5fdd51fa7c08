#include "Platform/Kit/Transaction.h"

#include <vector>

namespace Kit {

namespace {
// One flag per open transaction.
thread_local std::vector<bool> open;
} // namespace

void Transaction::begin() { open.push_back(open.empty() ? false : open.back()); }

void Transaction::commit()
{
    if (!open.empty())
        open.pop_back();
}

void Transaction::setDisableActions(bool disable)
{
    if (!open.empty())
        open.back() = disable;
}

bool Transaction::disableActions() { return !open.empty() && open.back(); }

} // namespace Kit

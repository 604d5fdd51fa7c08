#include "Platform/System/Workspace.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ProcessURLOpener.h"

namespace SystemPlatform {

namespace {

Foundation::SharedInstance<Workspace>& instance()
{
    static Foundation::SharedInstance<Workspace> shared;
    return shared;
}

} // namespace

Workspace& Workspace::shared()
{
    return instance().get();
}

void Workspace::resetShared(std::shared_ptr<URLOpener> opener)
{
    instance().resetForTesting([opener](void* storage) { new (storage) Workspace(opener); });
}

Workspace::Workspace(std::shared_ptr<URLOpener> opener)
    : opener_(opener ? std::move(opener) : std::make_shared<ProcessURLOpener>())
{
}

bool Workspace::open(const Foundation::URL& url)
{
    return opener()->open(url);
}

std::shared_ptr<URLOpener> Workspace::opener() const
{
    std::lock_guard lock(mutex_);
    return opener_;
}

} // namespace SystemPlatform

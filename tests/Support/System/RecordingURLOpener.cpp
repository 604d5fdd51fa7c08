#include "tests/Support/System/RecordingURLOpener.h"

namespace SystemPlatform {

bool RecordingURLOpener::open(const Foundation::URL& url)
{
    std::lock_guard lock(mutex_);
    opened_.push_back(url.absoluteString());
    return answer_;
}

std::vector<std::string> RecordingURLOpener::openedURLs() const
{
    std::lock_guard lock(mutex_);
    return opened_;
}

void RecordingURLOpener::setAnswer(bool answer)
{
    std::lock_guard lock(mutex_);
    answer_ = answer;
}

} // namespace SystemPlatform

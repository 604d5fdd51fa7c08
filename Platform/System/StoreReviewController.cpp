#include "Platform/System/StoreReviewController.h"

#include <atomic>

namespace SystemPlatform {

namespace {

std::atomic<std::size_t> requests {0};

} // namespace

void StoreReviewController::requestReview() { requests.fetch_add(1, std::memory_order_relaxed); }

std::size_t StoreReviewController::requestCount() { return requests.load(std::memory_order_relaxed); }

void StoreReviewController::resetForTesting() { requests.store(0, std::memory_order_relaxed); }

} // namespace SystemPlatform

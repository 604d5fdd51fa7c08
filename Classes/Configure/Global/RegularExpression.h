#pragma once

#include "Platform/Foundation/Result.h"

#include <QRegularExpression>

#include <string_view>

namespace Aerlo {

// A compiled expression, or the reason the pattern does not compile (never an exception).
Foundation::Result<QRegularExpression> makeRegularExpression(std::string_view pattern,
                                                             QRegularExpression::PatternOptions options = {});

} // namespace Aerlo

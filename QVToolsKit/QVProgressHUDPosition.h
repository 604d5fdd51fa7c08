#pragma once

namespace QVToolsKit {

// The vertical placement of the HUD's box: a fifth of the host's height above or below the centre.
enum class QVProgressHUDPosition { top, center, bottom };

} // namespace QVToolsKit

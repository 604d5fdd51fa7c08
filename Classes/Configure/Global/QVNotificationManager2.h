#pragma once

#include "Classes/Configure/Global/NotificationManagerOperations.h"

namespace Aerlo {

// The distributed observe and removals and the workspace operations, on behalf of this class.
class QVNotificationManager2 : public NotificationManagerOperations<QVNotificationManager2> {};

} // namespace Aerlo

#include "Classes/App/SessionLoginItemService.h"

#include "Classes/App/LoginServiceKit.h"

namespace Aerlo {

bool SessionLoginItemService::find(const std::string& path) { return LoginServiceKit::findLoginItem(path).has_value(); }

bool SessionLoginItemService::add(const std::string& path) { return LoginServiceKit::addLoginItem(path); }

bool SessionLoginItemService::remove(const std::string& path) { return LoginServiceKit::removeLoginItem(path); }

} // namespace Aerlo

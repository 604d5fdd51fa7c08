#pragma once

namespace Aerlo {

// Part of the application's type set; it holds nothing and does nothing.
class LoginUserManager {};

} // namespace Aerlo

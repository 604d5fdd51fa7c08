#pragma once

#include "Platform/Kit/Application.h"

namespace Aerlo {

// The program's application object: Kit's application, nothing added. main makes this class the one
// Kit::Application::shared() builds.
class App : public Kit::Application {};

} // namespace Aerlo

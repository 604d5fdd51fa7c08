#pragma once

#include "Platform/Kit/ViewController.h"

namespace Aerlo {

// A plain view controller: loading its view is Kit's, nothing added.
class ViewController : public Kit::ViewController {};

} // namespace Aerlo

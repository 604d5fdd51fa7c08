#pragma once

#include "Platform/Kit/Image.h"

namespace Aerlo {

class Process_p;

// The picture of a listed process: its application's icon, else the workspace's icon of a shell.
class ProcessIcon {
public:
    static Kit::Image icon(const Process_p& process);
};

} // namespace Aerlo

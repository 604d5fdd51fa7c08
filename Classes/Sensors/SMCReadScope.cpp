#include "Classes/Sensors/SMCReadScope.h"

#include "Classes/Sensors/SMC.h"

namespace Aerlo {

SMCReadScope::SMCReadScope(SMC& smc) : smc_(smc)
{
    smc_.openReadScope();
}

SMCReadScope::~SMCReadScope()
{
    smc_.closeReadScope();
}

} // namespace Aerlo

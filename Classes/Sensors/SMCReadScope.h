#pragma once

namespace Aerlo {

class SMC;

// The reads of one tick: while a scope is open on an SMC, each key is read from it once and every later
// read of that key, from any reader and thread, gets the same result (waiting for it while it is under
// way); a write of the key through the SMC drops that key's result. Scopes nest; when the last one
// closes, nothing read in it is kept.
class SMCReadScope {
public:
    explicit SMCReadScope(SMC& smc);
    ~SMCReadScope();
    SMCReadScope(const SMCReadScope&) = delete;
    SMCReadScope& operator=(const SMCReadScope&) = delete;

private:
    SMC& smc_;
};

} // namespace Aerlo

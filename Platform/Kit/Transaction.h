#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

// Groups layer changes; inside a transaction that disables actions, changes run no layer actions.
// Transactions nest; each begin has its commit. Main thread.
class AERLO_KIT_EXPORT Transaction {
public:
    static void begin();
    static void commit();
    static void setDisableActions(bool disable);
    static bool disableActions();

    // begin() now, commit() at the end of the scope.
    class Scope {
    public:
        Scope() { begin(); }
        ~Scope() { commit(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};

} // namespace Kit

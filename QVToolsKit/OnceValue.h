#pragma once

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TestAccess.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <functional>

namespace QVToolsKit {

// Module values read on first use and kept for the process; tests may make them read again.
class QVTOOLSKIT_EXPORT OnceValue {
public:
    // The value `Make` gives on the first call, the same object ever after.
    template <class T, T (*Make)()>
    static const T& get()
    {
        static Foundation::SharedInstance<T>& instance = []() -> Foundation::SharedInstance<T>& {
            static Foundation::SharedInstance<T> made([](void* storage) { new (storage) T(Make()); });
            registerReset([] { made.resetForTesting(); });
            return made;
        }();
        return instance.get();
    }

private:
    static void registerReset(std::function<void()> reset);

    friend struct ::TestAccess;
    // Tests: every value made so far is made again on its next use.
    static void resetForTesting();
};

} // namespace QVToolsKit

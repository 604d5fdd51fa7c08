#include "AerloControlHelper/AppDelegate.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/SystemRunLoopDriver.h"
#include "Platform/Foundation/UserDefaults.h"

// No window and no toolkit: the delegate's work on a run loop of the system clock, then exit 0.
int main()
{
    // Nothing of the helper's own lands in the main application's suite.
    (void)Foundation::UserDefaults::setStandardSuiteName(AerloControlHelper::AppDelegate::helperBundleIdentifier);
    Foundation::SystemRunLoopDriver runLoop;
    AerloControlHelper::AppDelegate delegate([&runLoop] { runLoop.stop(); });
    Foundation::DispatchQueue::main().async([&delegate] { delegate.applicationDidFinishLaunching(); });
    runLoop.run();
    delegate.applicationWillTerminate();
    return 0;
}

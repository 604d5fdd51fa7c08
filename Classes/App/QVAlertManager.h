#pragma once

#include "Platform/Foundation/TestAccess.h"

#include <functional>

namespace Aerlo {

// The standard alerts of the fan panels and the rule editor, shown modally on the main thread. The chip
// hint and the first-rule alert show once per run.
class QVAlertManager {
public:
    static void showNoFanAlert();
    static void showChipTipsAlert();
    // "alert.rules.setting": the fan window closes, the settings open, "openCustomFanSpeedPreference" is
    // posted, then onSettings; any other answer: onCancel.
    static void presentFanRulesAlert(const std::function<void()>& onSettings, const std::function<void()>& onCancel);
    // The pairings of the two panels: custom mode chosen without rules.
    static void showFanRulesAlert(const std::function<void()>& onSettings, const std::function<void()>& onCancel);
    static void showSingleFanRulesAlert(const std::function<void()>& onSettings, const std::function<void()>& onCancel);
    static void showAddRulesAlert();
    // Fans still run forced while no helper can set them automatic (it is gone, or installing it again was
    // refused: `refused`): says so and how to recover. True when the user asks to reinstall the helper.
    static bool showFansStillForcedAlert(bool refused);
    // Installing the helper was refused (no fan forced meanwhile).
    static void showHelperRefusedAlert();

    static bool hasShownAddRules();

private:
    friend struct ::TestAccess;
    // A new run's flags.
    static void resetForTesting();
};

} // namespace Aerlo

#pragma once

#include "Classes/Sensors/Sensor_p.h"
#include "Classes/Views/SensorPopupUpdating.h"
#include "Classes/Views/SensorView.h"
#include "Platform/Kit/StackView.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The live readings under the fan controls: a section per sensor type (a header with the type's name, then a
// row per reading, grouped by sensor group), without fans. Built once; the values refresh while shown.
class SensorPopup : public Kit::StackView, public SensorPopupUpdating {
public:
    static constexpr double headerHeight = 30;
    static constexpr double headerTitleHeight = 18;

    explicit SensorPopup(const Kit::Rect& frame);

    // Told the popup's new size after its height changed.
    std::function<void(Kit::Size)> sizeCallback;
    // The row of each reading's key.
    const std::map<std::string, std::weak_ptr<SensorView>>& list() const { return list_; }
    const std::vector<Sensor_p>& sensors() const { return sensors_; }
    // While false, readings of the group Unknown are left out.
    bool unknownSensorsState = false;

    // Builds the sections and rows of `sensors` (none: of the stored list), keeps the list given, fits the height.
    virtual void setup(const std::optional<std::vector<Sensor_p>>& sensors = std::nullopt);
    // Fits the height to the arranged views and reports a changed size.
    virtual void recalculateHeight();
    // Queues on the main queue a refresh of the rows' values from `sensors`, done while the popup is on screen.
    // Any thread.
    void update(const std::vector<Sensor_p>& sensors) override;

    // A 30-high header as wide as given, its title centred in an 18-high field at y 6.
    static std::shared_ptr<Kit::View> makeSectionHeader(const std::string& title, Kit::Point origin, double width);

private:
    void addSection(SensorType type, const std::vector<Sensor_p>& kept);
    void refresh(const std::vector<Sensor_p>& sensors);

    std::map<std::string, std::weak_ptr<SensorView>> list_;
    std::vector<Sensor_p> sensors_;
};

} // namespace Aerlo

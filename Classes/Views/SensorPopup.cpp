#include "Classes/Views/SensorPopup.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Views/TextView.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/Window.h"

#include <algorithm>

namespace Aerlo {

namespace {

// The distinct values of `key` over `items`, in the order each first occurs.
template <class Item, class Key>
auto firstOccurrences(const std::vector<Item>& items, Key key)
{
    std::vector<decltype(key(items.front()))> seen;
    for (const Item& item : items)
        if (std::find(seen.begin(), seen.end(), key(item)) == seen.end())
            seen.push_back(key(item));
    return seen;
}

} // namespace

SensorPopup::SensorPopup(const Kit::Rect& frame) : Kit::StackView(frame)
{
    setOrientation(Orientation::vertical);
    setSpacing(0);
}

std::shared_ptr<Kit::View> SensorPopup::makeSectionHeader(const std::string& title, Kit::Point origin, double width)
{
    auto header = std::make_shared<Kit::View>(Kit::Rect {origin.x, origin.y, width, headerHeight});
    auto titleView =
        std::make_shared<TextView>(Kit::Rect {0, (headerHeight - headerTitleHeight) * 0.5, width, headerTitleHeight});
    titleView->setStringValue(title);
    titleView->setAlignment(Kit::TextAlignment::center);
    titleView->setTextColor(Kit::Colour::secondaryLabelColor());
    titleView->setFont(Kit::Font::systemFont(12, Kit::Font::Weight::medium));
    header->addSubview(titleView);
    return header;
}

void SensorPopup::setup(const std::optional<std::vector<Sensor_p>>& sensors)
{
    const std::vector<Sensor_p>& given = sensors ? *sensors : sensors_;
    std::vector<Sensor_p> kept;
    for (const Sensor_p& sensor : given) {
        if (sensor.type() == SensorType::fan && sensor.isComputed())
            continue;
        if (!unknownSensorsState && sensor.group() == SensorGroup::unknown)
            continue;
        kept.push_back(sensor);
    }
    if (!kept.empty())
        for (SensorType type : firstOccurrences(kept, [](const Sensor_p& s) { return s.type(); }))
            addSection(type, kept);
    if (sensors)
        sensors_ = *sensors;
    recalculateHeight();
}

void SensorPopup::addSection(SensorType type, const std::vector<Sensor_p>& kept)
{
    std::vector<Sensor_p> ofType;
    std::copy_if(kept.begin(), kept.end(), std::back_inserter(ofType),
                 [type](const Sensor_p& s) { return s.type() == type; });
    if (ofType.empty() || type == SensorType::fan)
        return;
    // The groups' order is taken before the popup flags drop readings.
    const auto groups = firstOccurrences(ofType, [](const Sensor_p& s) { return s.group(); });
    std::vector<Sensor_p> shown;
    std::copy_if(ofType.begin(), ofType.end(), std::back_inserter(shown),
                 [](const Sensor_p& s) { return s.popupState(); });
    if (shown.empty())
        return;

    const double width = frame().width();
    addArrangedSubview(makeSectionHeader(LocalizationTable::text(rawValue(type)), {0, 0}, width));
    std::weak_ptr<Kit::View> weakPopup = weak_from_this();
    const std::function<void()> rowSizeCallback = [weakPopup] {
        if (const auto popup = std::dynamic_pointer_cast<SensorPopup>(weakPopup.lock()))
            popup->recalculateHeight();
    };
    for (SensorGroup group : groups) {
        for (const Sensor_p& sensor : shown) {
            if (sensor.group() != group)
                continue;
            auto row = std::make_shared<SensorView>(sensor, rowSizeCallback, width);
            addArrangedSubview(row);
            // A later reading with the same key takes the entry; the earlier row stays.
            list_[sensor.key()] = row;
        }
    }
}

void SensorPopup::recalculateHeight()
{
    double sum = 0;
    for (const auto& view : arrangedSubviews())
        sum += view->bounds().height() + spacing();
    if (!arrangedSubviews().empty())
        sum -= spacing();
    if (sum == frame().height())
        return;
    setFrameSize({frame().width(), sum});
    if (sizeCallback)
        sizeCallback(frame().size);
}

void SensorPopup::update(const std::vector<Sensor_p>& sensors)
{
    // The popup is held weakly: a refresh queued before it went does nothing.
    std::weak_ptr<Kit::View> weakPopup = weak_from_this();
    Foundation::DispatchQueue::main().async([weakPopup, sensors] {
        if (const auto popup = std::dynamic_pointer_cast<SensorPopup>(weakPopup.lock()))
            popup->refresh(sensors);
    });
}

void SensorPopup::refresh(const std::vector<Sensor_p>& sensors)
{
    const Kit::Window* shownIn = window();
    if (!shownIn || !shownIn->isVisible())
        return;
    for (const Sensor_p& sensor : sensors) {
        const auto found = list_.find(sensor.key());
        if (found == list_.end())
            continue;
        if (const auto row = found->second.lock())
            row->valueView()->valueView()->setStringValue(sensor.preciseValueText());
    }
}

} // namespace Aerlo

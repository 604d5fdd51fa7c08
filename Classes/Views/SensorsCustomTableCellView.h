#pragma once

#include "Platform/Kit/Button.h"
#include "Platform/Kit/Coder.h"
#include "Platform/Kit/TableCellView.h"

#include <memory>

namespace Aerlo {

// A table cell with an outlet to the check box that enables its row's sensor.
class SensorsCustomTableCellView : public Kit::TableCellView {
public:
    explicit SensorsCustomTableCellView(const Kit::Rect& frame = {}) : Kit::TableCellView(frame) {}
    explicit SensorsCustomTableCellView(const Kit::Coder& coder) : Kit::TableCellView(coder.frame) {}
    void awakeFromNib() {}

    // Weak: the cell's view hierarchy owns the check box.
    std::shared_ptr<Kit::Button> isEnabledCheckBox() const { return isEnabledCheckBox_.lock(); }
    void setIsEnabledCheckBox(const std::shared_ptr<Kit::Button>& checkBox) { isEnabledCheckBox_ = checkBox; }

private:
    std::weak_ptr<Kit::Button> isEnabledCheckBox_;
};

} // namespace Aerlo

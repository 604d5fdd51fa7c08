#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <memory>

namespace Kit {
class View;
}

namespace QVToolsKit {

// What the HUD's indicator slot shows; the four status kinds carry the view to show there.
class QVTOOLSKIT_EXPORT QVProgressHUDMode {
public:
    enum class Kind { info, success, error, custom, indeterminate, determinate, text };

    static QVProgressHUDMode info(std::shared_ptr<Kit::View> view) { return {Kind::info, std::move(view)}; }
    static QVProgressHUDMode success(std::shared_ptr<Kit::View> view) { return {Kind::success, std::move(view)}; }
    static QVProgressHUDMode error(std::shared_ptr<Kit::View> view) { return {Kind::error, std::move(view)}; }
    static QVProgressHUDMode custom(std::shared_ptr<Kit::View> view) { return {Kind::custom, std::move(view)}; }
    static QVProgressHUDMode indeterminate() { return {Kind::indeterminate, nullptr}; }
    static QVProgressHUDMode determinate() { return {Kind::determinate, nullptr}; }
    static QVProgressHUDMode text() { return {Kind::text, nullptr}; }

    Kind kind() const { return kind_; }
    // The carried view (none for the last three kinds).
    const std::shared_ptr<Kit::View>& view() const { return view_; }
    // info, success, error and custom.
    bool carriesView() const { return kind_ <= Kind::custom; }

private:
    QVProgressHUDMode(Kind kind, std::shared_ptr<Kit::View> view) : kind_(kind), view_(std::move(view)) {}

    Kind kind_;
    std::shared_ptr<Kit::View> view_;
};

} // namespace QVToolsKit

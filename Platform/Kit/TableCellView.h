#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/View.h"

#include <memory>

namespace Kit {

// A table cell: a view with an optional image view and text field (outlets) and the row's object.
class AERLO_KIT_EXPORT TableCellView : public View {
public:
    explicit TableCellView(const Rect& frame = {});
    // A cell with an image view at the left and a label filling the rest, both added as subviews.
    static std::shared_ptr<TableCellView> withImageAndText(const Rect& frame);

    const std::shared_ptr<ImageView>& imageView() const { return imageView_; }
    void setImageView(std::shared_ptr<ImageView> view) { imageView_ = std::move(view); }
    const std::shared_ptr<TextField>& textField() const { return textField_; }
    void setTextField(std::shared_ptr<TextField> field) { textField_ = std::move(field); }
    // The row's background under the cell, handed to its text field.
    BackgroundStyle backgroundStyle() const { return backgroundStyle_; }
    void setBackgroundStyle(BackgroundStyle style);

private:
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<TextField> textField_;
    BackgroundStyle backgroundStyle_ = BackgroundStyle::normal;
};

} // namespace Kit

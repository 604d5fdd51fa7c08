#include "Platform/Kit/TableCellView.h"

namespace Kit {

TableCellView::TableCellView(const Rect& frame) : View(frame) {}

void TableCellView::setBackgroundStyle(BackgroundStyle style)
{
    backgroundStyle_ = style;
    if (textField_) {
        textField_->textFieldCell().setBackgroundStyle(style);
        textField_->setNeedsDisplay();
    }
}

std::shared_ptr<TableCellView> TableCellView::withImageAndText(const Rect& frame)
{
    auto cell = std::make_shared<TableCellView>(frame);
    const double side = std::min(16.0, frame.height());
    auto image = std::make_shared<ImageView>(Rect(3, (frame.height() - side) / 2, side, side));
    image->setAutoresizingMask(View::minYMargin | View::maxYMargin);
    auto label = TextField::labelWithString("");
    const double lineHeight = label->font().lineHeight();
    label->setFrame(
        {side + 8, (frame.height() - lineHeight) / 2, std::max(0.0, frame.width() - side - 10), lineHeight});
    label->setAutoresizingMask(View::widthSizable | View::minYMargin | View::maxYMargin);
    label->setLineBreakMode(LineBreakMode::byTruncatingTail);
    cell->addSubview(image);
    cell->addSubview(label);
    cell->setImageView(std::move(image));
    cell->setTextField(std::move(label));
    return cell;
}

} // namespace Kit

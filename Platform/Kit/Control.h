#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Cell.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/TargetAction.h"
#include "Platform/Kit/View.h"

#include <memory>

namespace Kit {

class GraphicsContext;

// A view that holds a value in its cell and sends its action to its target when the user changes it.
// Values set by code send nothing.
class AERLO_KIT_EXPORT Control : public View {
public:
    using Action = TargetAction<Control>;

    explicit Control(const Rect& frame = {}, std::shared_ptr<Cell> cell = nullptr);
    ~Control() override;

    Cell& cell() const { return *cell_; }
    // Replaces the cell; the control keeps its enabled flag, tag and target and action.
    virtual void setCell(std::shared_ptr<Cell> cell);

    virtual double doubleValue() const { return cell_->doubleValue(); }
    virtual void setDoubleValue(double value);
    float floatValue() const { return static_cast<float>(doubleValue()); }
    void setFloatValue(float value) { setDoubleValue(value); }
    long integerValue() const { return cell_->integerValue(); }
    std::string stringValue() const { return cell_->stringValue(); }
    virtual void setStringValue(std::string value);

    bool isEnabled() const { return cell_->isEnabled(); }
    virtual void setEnabled(bool enabled);
    int tag() const override { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isContinuous() const { return cell_->isContinuous(); }
    void setContinuous(bool continuous) { cell_->setContinuous(continuous); }
    bool isHighlighted() const { return cell_->isHighlighted(); }
    void setHighlighted(bool highlighted);
    const Font& font() const { return cell_->font(); }
    virtual void setFont(Font font);
    TextAlignment alignment() const { return cell_->alignment(); }
    void setAlignment(TextAlignment alignment);
    const std::shared_ptr<Foundation::Formatter>& formatter() const { return cell_->formatter(); }
    void setFormatter(std::shared_ptr<Foundation::Formatter> formatter) { cell_->setFormatter(std::move(formatter)); }

    const void* target() const { return action_.target(); }
    void setTarget(const void* target) { action_.setTarget(target); }
    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }
    // Calls the action with this control as sender; false when there is none or the control is disabled.
    virtual bool sendAction();

    // What a click does, for the kinds that take clicks (a button presses, a pop-up opens its menu); false
    // for the others. Space, Return and Enter perform it on the focused enabled control, as assistive
    // technology's press does.
    virtual bool performClick() { return false; }
    void keyDown(const Event& event) override;
    bool accessibilityPerformPress() override { return performClick(); }
    // A click leaves the keyboard focus where it was; the ring goes round the bezel.
    bool becomesFirstResponderOnClick() const override { return false; }
    Rect focusRingMaskBounds() const override { return bounds().insetBy(0.5, 0.5); }
    double focusRingCornerRadius() const override { return 5; }

protected:
    // The text colour of the control's titles: the control text colour, faded while disabled.
    Colour titleColour() const;
    // Fills the rounded body the bordered controls share (bounds inset by half a point, radius 5) and
    // returns its outline for the caller to stroke after what it draws inside.
    BezierPath fillBezel(GraphicsContext& context) const;

private:
    std::shared_ptr<Cell> cell_;
    Action action_;
    int tag_ = 0;
};

} // namespace Kit

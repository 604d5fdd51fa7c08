#pragma once

#include "Platform/Kit/AffineTransform.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/LayerValue.h"
#include "Platform/Kit/Rect.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Kit {

class Animation;
class GraphicsContext;
class View;

// Corners in the layer's own space (y up: minY is the bottom).
enum CornerMask : unsigned {
    minXMinYCorner = 1,
    maxXMinYCorner = 2,
    minXMaxYCorner = 4,
    maxXMaxYCorner = 8,
    allCorners = 15,
};

enum class CornerCurve { circular, continuous };

// The animatable state of a layer: what the model holds and what the presentation shows.
struct AERLO_KIT_EXPORT LayerProperties {
    Rect bounds;
    Point position;
    Point anchorPoint {0.5, 0.5};
    AffineTransform transform;
    double opacity = 1;
    bool hidden = false;
    std::optional<Colour> backgroundColor;
    double cornerRadius = 0;
    unsigned maskedCorners = allCorners;
    CornerCurve cornerCurve = CornerCurve::circular;
    bool masksToBounds = false;
    std::optional<Colour> borderColor = Colour::black();
    double borderWidth = 0;
    std::optional<Colour> shadowColor = Colour::black();
    double shadowOpacity = 0;
    double shadowRadius = 3;
    Size shadowOffset {0, -3};
    // Shape layers.
    std::optional<Colour> fillColor = Colour::black();
    std::optional<Colour> strokeColor;
    double lineWidth = 1;
    double strokeStart = 0;
    double strokeEnd = 1;
    // Text layers.
    std::optional<Colour> foregroundColor = Colour::whiteColor();
    double fontSize = 36;

    // The value at a key path ("opacity", "position.x", "transform.rotation.z", "bounds.size.width", ...).
    std::optional<LayerValue> value(std::string_view keyPath) const;
    // False for an unknown key path or a value of the wrong kind.
    bool setValue(std::string_view keyPath, const LayerValue& value);
    // The frame in the superlayer: position, anchor point and bounds size (the transform aside).
    Rect frame() const;
};

// A Core-Animation-like layer: geometry, look, sublayers, a mask and animations on media time.
// Every Kit view has one. Changes repaint the view that shows the layer.
class AERLO_KIT_EXPORT Layer : public std::enable_shared_from_this<Layer> {
public:
    Layer();
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    const LayerProperties& model() const { return model_; }

    Rect bounds() const { return model_.bounds; }
    void setBounds(const Rect& bounds);
    Point position() const { return model_.position; }
    void setPosition(Point position);
    Point anchorPoint() const { return model_.anchorPoint; }
    void setAnchorPoint(Point anchor);
    Rect frame() const { return model_.frame(); }
    void setFrame(const Rect& frame);
    AffineTransform affineTransform() const { return model_.transform; }
    void setAffineTransform(const AffineTransform& transform);
    double opacity() const { return model_.opacity; }
    void setOpacity(double opacity);
    bool isHidden() const { return model_.hidden; }
    void setHidden(bool hidden);
    std::optional<Colour> backgroundColor() const { return model_.backgroundColor; }
    void setBackgroundColor(std::optional<Colour> colour);
    double cornerRadius() const { return model_.cornerRadius; }
    void setCornerRadius(double radius);
    unsigned maskedCorners() const { return model_.maskedCorners; }
    void setMaskedCorners(unsigned corners);
    CornerCurve cornerCurve() const { return model_.cornerCurve; }
    void setCornerCurve(CornerCurve curve);
    bool masksToBounds() const { return model_.masksToBounds; }
    void setMasksToBounds(bool masks);
    std::optional<Colour> borderColor() const { return model_.borderColor; }
    void setBorderColor(std::optional<Colour> colour);
    double borderWidth() const { return model_.borderWidth; }
    void setBorderWidth(double width);
    std::optional<Colour> shadowColor() const { return model_.shadowColor; }
    void setShadowColor(std::optional<Colour> colour);
    double shadowOpacity() const { return model_.shadowOpacity; }
    void setShadowOpacity(double opacity);
    double shadowRadius() const { return model_.shadowRadius; }
    void setShadowRadius(double radius);
    Size shadowOffset() const { return model_.shadowOffset; }
    void setShadowOffset(Size offset);

    // Drawn in the bounds, scaled to fill them.
    std::optional<Image> contents() const { return contents_; }
    void setContents(std::optional<Image> image);
    double contentsScale() const { return contentsScale_; }
    void setContentsScale(double scale) { contentsScale_ = scale; }

    // The mask's alpha clips this layer and everything above it; the mask lies in this layer's space.
    std::shared_ptr<Layer> mask() const { return mask_; }
    void setMask(std::shared_ptr<Layer> mask);

    Layer* superlayer() const { return superlayer_; }
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    void addSublayer(std::shared_ptr<Layer> layer);
    // An index past the end appends.
    void insertSublayer(std::shared_ptr<Layer> layer, std::size_t index);
    void removeFromSuperlayer();

    // Key-value access to the model.
    std::optional<LayerValue> value(std::string_view keyPath) const;
    void setValue(std::string_view keyPath, const LayerValue& value);

    // Animations on media time (the main run loop's clock).
    void addAnimation(std::shared_ptr<Animation> animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    std::shared_ptr<Animation> animation(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    double speed() const { return speed_; }
    void setSpeed(double speed);
    double timeOffset() const { return timeOffset_; }
    void setTimeOffset(double offset);
    double beginTime() const { return beginTime_; }
    void setBeginTime(double time);
    // Time `t` of `layer` (nullptr: media time) in this layer's time.
    double convertTime(double t, const Layer* layer) const;
    // The layer's local time now.
    double localTime() const;
    // The model with the running animations applied at the current media time.
    LayerProperties presentation() const;
    // Whether an animation would show a different value at a later time.
    bool hasRunningAnimations() const;
    // A layer whose one animation turns it about z by whole turns for ever, at steady speeds, shows the
    // same at times one cycle apart: the cycle's length in media time and a media time at which one
    // starts. Nothing for any other animation, or none.
    struct Cycle {
        double length = 0;
        double start = 0;
    };
    std::optional<Cycle> repeatingCycle() const;

    // Animations run when the property of their key changes (outside a transaction that disables
    // actions); one without values animates from the value shown before to the new one. Layers have
    // no other implicit animations.
    void setActions(std::map<std::string, std::shared_ptr<Animation>> actions);

    // The view whose layer this is, if any.
    View* view() const { return view_; }
    // The view that paints this layer (its own, or the one of the layer it lies in).
    View* hostView() const;
    // Shown in a visible window.
    bool isOnScreen() const;
    // Repaints whoever shows the layer.
    void setNeedsDisplay();

    // Paints the layer and its sublayers in `context` (the superlayer's space) at presentation values.
    void render(GraphicsContext& context) const;
    // The path of the rounded bounds (corner radius, masked corners and corner curve).
    static BezierPath roundedBoundsPath(const LayerProperties& properties);

protected:
    // The layer's own content, between background and sublayers, in its bounds space.
    virtual void drawContent(GraphicsContext& context, const LayerProperties& presentation) const;
    // The outline that clips what this layer masks (in its bounds space).
    virtual BezierPath clipOutline(const LayerProperties& presentation) const;
    void changed();
    // After every change of the bounds (setBounds, setFrame, a key path under "bounds").
    virtual void boundsDidChange() {}
    // Changes the model under `key` (empty: no action applies) and repaints.
    void setModel(std::string_view key, const std::function<void(LayerProperties&)>& change);

private:
    friend class View;
    struct AnimationEntry {
        std::string key;
        std::shared_ptr<Animation> animation;
        bool stopReported = false;
    };

    friend class AnimationClock;
    void paintContents(GraphicsContext& context, const LayerProperties& p, const std::function<void()>& drawOwn) const;
    void animationsChanged();
    // The layer whose time this layer's time derives from (the superlayer, or the superview's layer).
    const Layer* timeParent() const;
    // Media time at which this layer's local time reaches `t` (infinity when it never does).
    double mediaTimeOf(double t) const;
    // Reports the end of animations that ended by now and drops those removed on completion.
    void finishEndedAnimations();
    void stopEntry(AnimationEntry& entry, bool finished);
    Layer* maskHost_ = nullptr;

    LayerProperties model_;
    std::optional<Image> contents_;
    double contentsScale_ = 1;
    std::shared_ptr<Layer> mask_;
    Layer* superlayer_ = nullptr;
    std::vector<std::shared_ptr<Layer>> sublayers_;
    std::vector<AnimationEntry> animations_;
    std::map<std::string, std::shared_ptr<Animation>> actions_;
    double speed_ = 1;
    double timeOffset_ = 0;
    double beginTime_ = 0;
    View* view_ = nullptr;
};

} // namespace Kit

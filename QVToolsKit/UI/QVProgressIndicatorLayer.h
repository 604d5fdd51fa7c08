#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Layer.h"

#include <memory>
#include <vector>

namespace Foundation {
class Timer;
}

namespace QVToolsKit {

// The progress HUD's spinner: twelve rounded fins round the centre of the layer's coordinates. While it
// runs, a timer lights one fin after the other (clockwise, every 0.05 s) and each lit fin fades back
// over 0.7 s.
class QVTOOLSKITUI_EXPORT QVProgressIndicatorLayer : public Kit::Layer {
public:
    static std::shared_ptr<QVProgressIndicatorLayer> make(double size, Kit::Colour color);
    ~QVProgressIndicatorLayer() override;

    bool isRunning() const { return isRunning_; }
    const Kit::Colour& color() const { return color_; }
    const std::shared_ptr<Foundation::Timer>& animationTimer() const { return animationTimer_; }
    int fposition() const { return fposition_; }
    double fadeDownOpacity() const { return fadeDownOpacity_; }
    int numFins() const { return numFins_; }
    const std::vector<std::shared_ptr<Kit::Layer>>& finLayers() const { return finLayers_; }

    // The timer's action: lights the next fin.
    void advancePosition();
    void startSpinning();
    void stopSpinning();

    // The rotation point lies below each fin: ((s − 0.3 s) × −0.9) / s, kept constant so that a zero
    // size stays finite.
    static constexpr double finAnchorY = -0.63;

protected:
    void boundsDidChange() override;

private:
    explicit QVProgressIndicatorLayer(Kit::Colour color);
    void createFinLayers();
    void setupAnimTimer();
    void fitFin(Kit::Layer& fin) const;

    bool isRunning_ = false;
    Kit::Colour color_;
    std::shared_ptr<Foundation::Timer> animationTimer_;
    int fposition_ = 0;
    double fadeDownOpacity_ = 0;
    int numFins_ = 12;
    std::vector<std::shared_ptr<Kit::Layer>> finLayers_;
};

} // namespace QVToolsKit

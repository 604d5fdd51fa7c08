#include "QVToolsKit/UI/QVProgressIndicatorLayer.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/Transaction.h"

#include <algorithm>

namespace QVToolsKit {

QVProgressIndicatorLayer::QVProgressIndicatorLayer(Kit::Colour color) : color_(std::move(color)) {}

std::shared_ptr<QVProgressIndicatorLayer> QVProgressIndicatorLayer::make(double size, Kit::Colour color)
{
    std::shared_ptr<QVProgressIndicatorLayer> layer(new QVProgressIndicatorLayer(std::move(color)));
    layer->setBounds({-size / 2, -size / 2, size, size});
    layer->createFinLayers();
    if (layer->isRunning_)
        layer->setupAnimTimer();
    return layer;
}

QVProgressIndicatorLayer::~QVProgressIndicatorLayer()
{
    isRunning_ = false;
    if (animationTimer_)
        animationTimer_->invalidate();
    animationTimer_.reset();
    for (const auto& fin : finLayers_)
        fin->removeFromSuperlayer();
}

void QVProgressIndicatorLayer::fitFin(Kit::Layer& fin) const
{
    const double w = bounds().width();
    const double h = bounds().height();
    const double s = std::max(0.0, std::min(w, h));
    fin.setBounds({0, 0, 0.095 * s, 0.3 * s});
    fin.setAnchorPoint({0.5, finAnchorY});
    fin.setPosition({w * 0.5, h * 0.5});
    fin.setCornerRadius(0.095 * s * 0.5);
}

void QVProgressIndicatorLayer::createFinLayers()
{
    for (int i = 0; i < numFins_; ++i) {
        auto fin = std::make_shared<Kit::Layer>();
        fitFin(*fin);
        fin->setAffineTransform(Kit::AffineTransform::rotation(-6.282185 / numFins_ * i));
        fin->setBackgroundColor(color_);
        {
            Kit::Transaction::Scope scope;
            Kit::Transaction::setDisableActions(true);
            fin->setOpacity(fadeDownOpacity_);
        }
        auto fade = std::make_shared<Kit::BasicAnimation>();
        fade->duration = 0.7;
        fin->setActions({{"opacity", fade}});
        addSublayer(fin);
        finLayers_.push_back(fin);
    }
}

void QVProgressIndicatorLayer::boundsDidChange()
{
    Kit::Transaction::Scope scope;
    Kit::Transaction::setDisableActions(true);
    for (const auto& fin : finLayers_)
        fitFin(*fin);
}

void QVProgressIndicatorLayer::advancePosition()
{
    if (finLayers_.empty())
        return;
    fposition_ = (fposition_ + 1) % numFins_;
    Kit::Layer& fin = *finLayers_[fposition_];
    {
        Kit::Transaction::Scope scope;
        Kit::Transaction::setDisableActions(true);
        fin.setOpacity(1.0);
    }
    fin.setOpacity(fadeDownOpacity_);
    setNeedsDisplay();
}

void QVProgressIndicatorLayer::setupAnimTimer()
{
    if (animationTimer_)
        animationTimer_->invalidate();
    // The timer holds the layer weakly: whoever shows the spinner owns it.
    std::weak_ptr<Kit::Layer> weak = weak_from_this();
    animationTimer_ = std::make_shared<Foundation::Timer>(0.05, true, [weak](Foundation::Timer& timer) {
        if (auto layer = std::static_pointer_cast<QVProgressIndicatorLayer>(weak.lock()))
            layer->advancePosition();
        else
            timer.invalidate();
    });
    auto& loop = Foundation::RunLoop::main();
    animationTimer_->setFireDate(loop.clock().now());
    loop.add(animationTimer_, Foundation::RunLoop::Mode::common);
    loop.add(animationTimer_, Foundation::RunLoop::Mode::default_);
    loop.add(animationTimer_, Foundation::RunLoop::Mode::eventTracking);
}

void QVProgressIndicatorLayer::startSpinning()
{
    setHidden(false);
    isRunning_ = true;
    fposition_ = numFins_ - 1;
    setNeedsDisplay();
    setupAnimTimer();
}

void QVProgressIndicatorLayer::stopSpinning()
{
    isRunning_ = false;
    if (animationTimer_)
        animationTimer_->invalidate();
    animationTimer_.reset();
    setNeedsDisplay();
}

} // namespace QVToolsKit

#pragma once

#include "Platform/Kit/GraphicsContext.h"

#include <QPainter>
#include <QTransform>

#include <memory>
#include <vector>

namespace Kit {

struct GraphicsContext::Impl {
    struct State {
        QTransform user;
        Colour fill = Colour::black();
        Colour stroke = Colour::black();
        CompositingOperation operation = CompositingOperation::sourceOver;
        double alpha = 1;
    };

    QPainter* painter = nullptr;
    std::unique_ptr<QPainter> ownedPainter; // an image's focus
    QTransform base; // the context's space onto the painter's device
    bool flipped = false;
    double baseOpacity = 1;
    std::vector<State> stack {State {}};

    State& state() { return stack.back(); }
    QTransform matrix() const { return stack.back().user * base; }
    // Sets the painter up for a primitive: the context's transform, operation and alpha.
    void prepare(CompositingOperation operation);
    // The same, with `rect` drawn upright (text and images).
    void prepareUpright(const Rect& rect, CompositingOperation operation);
};

} // namespace Kit

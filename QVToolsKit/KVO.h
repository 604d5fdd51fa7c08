#pragma once

#include "Platform/Foundation/Object.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <any>
#include <functional>
#include <string>
#include <vector>

namespace QVToolsKit {

// A base class that watches all of its own declared properties (Foundation::Property members of the
// subclasses; plain fields cannot be seen) and hands every change to one handler.
class QVTOOLSKIT_EXPORT KVO : public Foundation::Object {
public:
    // (property name, new value, old value); an empty std::any is an absent value.
    using Handler = std::function<void(const std::string& name, const std::any& newValue, const std::any& oldValue)>;

    KVO() = default;

    // The handler lives beside the object and is not itself observed; an empty one calls nothing.
    virtual Handler kvoHandler() const { return handler_; }
    virtual void setKvoHandler(Handler handler) { handler_ = std::move(handler); }

    // True: observe every property of the object (most derived class first) for new and old values;
    // a second true changes nothing. False: stop; without an earlier true it does nothing.
    virtual void kvo(bool on);

    void observeValue(const std::optional<std::string>& keyPath, Foundation::Object* object,
                      const Foundation::KeyValueChange* change, void* context) override;

private:
    friend struct KVOAccess; // tests

    // The names of the object's properties, its most derived class first, up to the root.
    static std::vector<std::string> getAllProperties(const Foundation::Object& of);

    Handler handler_;
    bool observing_ = false;
};

} // namespace QVToolsKit

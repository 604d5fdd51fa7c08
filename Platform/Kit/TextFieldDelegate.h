#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

class TextField;

// Told about the user's editing of a text field (never about texts set by code).
class AERLO_KIT_EXPORT TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual void controlTextDidBeginEditing(TextField&) {}
    virtual void controlTextDidChange(TextField&) {}
    virtual void controlTextDidEndEditing(TextField&) {}
};

} // namespace Kit

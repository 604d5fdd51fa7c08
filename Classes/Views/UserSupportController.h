#pragma once

#include "Platform/Kit/Control.h"
#include "Platform/Kit/ViewController.h"

#include <memory>

namespace Aerlo {

// The about and support page: the product and its version, the support page and the community group.
class UserSupportController : public Kit::ViewController {
public:
    static constexpr const char* supportURL = "https://norvane.example.com/support";
    static constexpr const char* communityURL = "https://norvane.example.com/community";

    static void registerScene();
    static std::shared_ptr<UserSupportController> make();

    void TechnicalSupportButtonTap(Kit::Control& sender);
    void QQGroupButtonTap(Kit::Control& sender);

protected:
    void loadView() override;
};

} // namespace Aerlo

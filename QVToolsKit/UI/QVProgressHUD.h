#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "QVToolsKit/UI/QVToolsKitUIExport.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/View.h"
#include "QVToolsKit/UI/QVProgressHUDLayout.h"
#include "QVToolsKit/UI/QVProgressHUDMaskType.h"
#include "QVToolsKit/QVProgressHUDMode.h"
#include "QVToolsKit/QVProgressHUDPosition.h"
#include "QVToolsKit/UI/QVProgressHUDStyle.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {
class Timer;
template <class T>
class SharedInstance;
}

namespace Kit {
class ImageView;
class TextField;
class Window;
class WindowController;
}

namespace QVToolsKit {

class QVProgressIndicatorLayer;

// A translucent rounded box over a host view with a spinner, a status image or nothing above one line of
// text. Used through its static operations, which act on one shared instance. Without a container view it
// covers the first screen in a borderless, transparent, floating window of its own. Main thread only.
class QVTOOLSKITUI_EXPORT QVProgressHUD : public Kit::View {
public:
    using Action = std::function<void()>;

    static constexpr std::string_view willAppearNotification = "QVProgressHUD.willAppear";
    static constexpr std::string_view didAppearNotification = "QVProgressHUD.didAppear";
    static constexpr std::string_view willDisappearNotification = "QVProgressHUD.willDisappear";
    static constexpr std::string_view didDisappearNotification = "QVProgressHUD.didDisappear";
    static constexpr std::string_view didReceiveMouseDownEventNotification = "QVProgressHUD.didReceiveMouseDownEvent";

    static std::shared_ptr<QVProgressHUD> shared();

    // Stored for the next layout, drawing or show.
    static void setDefaultStyle(QVProgressHUDStyle style);
    static void setDefaultMaskType(QVProgressHUDMaskType maskType);
    static void setDefaultPosition(QVProgressHUDPosition position);
    // Held weakly: a container that is gone counts as none.
    static void setContainerView(const std::shared_ptr<Kit::View>& view);
    static void setFont(Kit::Font font);
    static void setOpacity(double opacity);
    static void setSpinnerSize(double size);
    static void setMargin(double margin);
    static void setPadding(double padding);
    static void setCornerRadius(double radius);
    static void setDismissable(bool dismissible);

    // The spinner, until dismissed.
    static void show();
    static void showWithStatus(const std::string& status);
    // A status image, or the text alone, hidden after the display time of the text.
    static void showSuccessWithStatus(const std::string& status);
    static void showErrorWithStatus(const std::string& status);
    static void showInfoWithStatus(const std::string& status);
    static void showTextWithStatus(const std::string& status);
    static void showImage(const Kit::Image& image, const std::string& status);
    // Hides now (delay <= 0: the completion runs at once, once) or after the delay.
    static void dismiss(double delay = 0, Action completion = {});

    // The display time of a status text: 0.06 s per character plus 0.5 s, within 2 to 5 s.
    static double displayTime(std::string_view status);
    // The file name of a status image: "<kind>_white@2x.png" for a dark style, else "<kind>_black@2x.png".
    static std::string imageForStatus(QVProgressHUDMode::Kind kind, const QVProgressHUDStyle& style);
    // The named file of the "QVProgressHUD.bundle" resource bundle; an empty image when any step fails.
    static Kit::Image bundleImage(const std::string& name);

    ~QVProgressHUD() override;

    const Action& dismissCompletion() const { return dismissCompletion_; }
    const QVProgressHUDStyle& style() const { return style_; }
    const QVProgressHUDMaskType& maskType() const { return maskType_; }
    QVProgressHUDPosition position() const { return position_; }
    std::shared_ptr<Kit::View> containerView() const { return containerView_.lock(); }
    const Kit::Font& font() const { return font_; }
    double opacity() const { return opacity_; }
    double spinnerSize() const { return spinnerSize_; }
    double margin() const { return margin_; }
    double padding() const { return padding_; }
    double cornerRadius() const { return cornerRadius_; }
    bool dismissible() const { return dismissible_; }
    const QVProgressHUDMode& mode() const { return mode_; }
    const std::shared_ptr<Kit::View>& indicator() const { return indicator_; }
    const std::shared_ptr<QVProgressIndicatorLayer>& progressIndicator() const { return progressIndicator_; }
    Kit::Size size() const { return size_; }
    bool useAnimation() const { return useAnimation_; }
    const std::shared_ptr<Kit::TextField>& statusLabel() const { return statusLabel_; }
    const Action& completionHandler() const { return completionHandler_; }
    double progress() const { return progress_; }
    static constexpr double minimumDismissTimeInterval = 2.0;
    static constexpr double maximumDismissTimeInterval = 5.0;
    Kit::WindowController* windowController() const { return windowController_.get(); }
    // Where the box is drawn, from the last layout.
    Kit::Rect boxRect() const { return layout_.box; }

    // Posts the mouse-down notification; hands the click on only with mask none; a dismissible HUD hides.
    void mouseDown(const Kit::Event& event) override;
    void viewWillDraw() override;
    // The mask and the rounded box.
    void draw(const Kit::Rect& dirtyRect) override;
    // Frames of the HUD (its superview's bounds), the indicator and the text, and the box size.
    void layoutSubviews();

private:
    QVProgressHUD();
    static Foundation::SharedInstance<std::shared_ptr<QVProgressHUD>>& instance();
    void makeWindowIfNeeded();
    Kit::Window* ownWindow() const;
    Kit::View* hudView();
    void showWithStatus(const std::string& status, QVProgressHUDMode mode);
    void show(bool animated);
    void hide(bool animated);
    void done();
    void setupProgressIndicator();
    void hideDelayed(std::optional<double> animated);
    void showStatus(const std::string& status, QVProgressHUDMode mode);
    std::shared_ptr<Kit::ImageView> createImageView(const Kit::Image& image) const;
    void scheduleHide(double delay, bool automatic);
    // Drops the pending hides (only the automatic ones when asked).
    void cancelPendingHides(bool automaticOnly = false);

    Action dismissCompletion_;
    QVProgressHUDStyle style_ = QVProgressHUDStyle::automatic();
    QVProgressHUDMaskType maskType_ = QVProgressHUDMaskType::none();
    QVProgressHUDPosition position_ = QVProgressHUDPosition::center;
    std::weak_ptr<Kit::View> containerView_;
    Kit::Font font_;
    double opacity_ = 0.9;
    double spinnerSize_ = 60;
    double margin_ = 18;
    double padding_ = 4;
    double cornerRadius_ = 15;
    bool dismissible_ = false;
    QVProgressHUDMode mode_ = QVProgressHUDMode::indeterminate();
    std::shared_ptr<Kit::View> indicator_;
    std::shared_ptr<QVProgressIndicatorLayer> progressIndicator_;
    Kit::Size size_;
    bool useAnimation_ = true;
    std::shared_ptr<Kit::TextField> statusLabel_;
    Action completionHandler_;
    double progress_ = 0;
    std::unique_ptr<Kit::WindowController> windowController_;

    struct PendingHide {
        std::shared_ptr<Foundation::Timer> timer;
        bool automatic;
    };
    std::vector<PendingHide> pendingHides_;
    QVProgressHUDLayout layout_;
    // A fade-in queued before a later hide, or a fade-out's end before a later show, is stale.
    std::uint64_t hides_ = 0;
    std::uint64_t shows_ = 0;

    friend struct ::TestAccess;
    // Tests: tears the shared HUD down (window closed, spinner stopped, pending hides dropped) and forgets it.
    static void resetForTesting();
    void tearDownForTesting();
};

} // namespace QVToolsKit

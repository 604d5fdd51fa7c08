#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/EdgeInsets.h"
#include "Platform/Kit/Rect.h"

#include <any>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace Kit {

// A display. Frames are global, y up from the bottom left of the primary screen (the first one).
class AERLO_KIT_EXPORT Screen {
public:
    struct Description {
        Rect frame;
        Rect visibleFrame;
        double backingScaleFactor = 1;
        std::string localizedName;
        bool isBuiltin = false;
        EdgeInsets safeAreaInsets;
        // "NSScreenNumber" and the like.
        std::map<std::string, std::any> deviceDescription;
    };
    // Where the screen list comes from: Qt's screens in the application, a fixed list in tests.
    class Provider {
    public:
        virtual ~Provider() = default;
        // Primary first.
        virtual std::vector<Description> screens() const = 0;
        // Where the global origin (the primary's bottom left) lies in Qt's global coordinates (y
        // down); none without screens. By default the primary's top left is Qt's (0, 0).
        virtual std::optional<Point> qtGlobalOrigin() const;
    };
    class FixedProvider : public Provider {
    public:
        explicit FixedProvider(std::vector<Description> screens) : screens_(std::move(screens)) {}
        std::vector<Description> screens() const override { return screens_; }
        void setScreens(std::vector<Description> screens) { screens_ = std::move(screens); }

    private:
        std::vector<Description> screens_;
    };

    explicit Screen(Description description) : description_(std::move(description)) {}

    static std::vector<std::shared_ptr<Screen>> screens();
    // The key window's screen, else the first; none without screens.
    static std::shared_ptr<Screen> main();
    // For Kit's own placement: the main screen, or a fixed 1440 × 900 one when there is none.
    static Screen placementMain();
    // Global y-up rects and points to Qt's global coordinates and back; without screens the fixed
    // 1440 × 900 main screen stands at Qt's origin.
    static Rect qtRectFromGlobal(const Rect& rect);
    static Rect globalRectFromQt(const Rect& rect);
    static Point qtPointFromGlobal(Point point);
    static Point globalPointFromQt(Point point);
    // Replaces the provider (nullptr: Qt's again).
    static void replaceProvider(std::shared_ptr<Provider> provider);
    static std::shared_ptr<Provider> provider();
    static Description fallbackDescription();

    Rect frame() const { return description_.frame; }
    Rect visibleFrame() const { return description_.visibleFrame; }
    double backingScaleFactor() const { return description_.backingScaleFactor; }
    const std::string& localizedName() const { return description_.localizedName; }
    bool isBuiltin() const { return description_.isBuiltin; }
    EdgeInsets safeAreaInsets() const { return description_.safeAreaInsets; }
    const std::map<std::string, std::any>& deviceDescription() const { return description_.deviceDescription; }
    const Description& description() const { return description_; }

    // The same display: same frame, name and number.
    bool operator==(const Screen& other) const;

    // The status bar's thickness.
    static constexpr double statusBarThickness = 22;

private:
    Description description_;
};

} // namespace Kit

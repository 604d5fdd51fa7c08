#pragma once

#include "Platform/Kit/KitExport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <optional>

namespace Kit {

// Keeps the system appearance (light or dark) on the desktop's setting while it lives: the XDG desktop
// portal's "org.freedesktop.appearance" "color-scheme" when it states one, else GNOME's "color-scheme"
// setting when it states one, else the global domain's style when it is dark, else the application
// palette's lightness. Each source is followed live.
class AERLO_KIT_EXPORT DesktopAppearance final : public QObject {
    Q_OBJECT

public:
    enum class Source { portal, gnome, globalDomain, palette };

    explicit DesktopAppearance(QDBusConnection bus = QDBusConnection::sessionBus());
    ~DesktopAppearance() override;
    DesktopAppearance(const DesktopAppearance&) = delete;
    DesktopAppearance& operator=(const DesktopAppearance&) = delete;

    // Which source decided the last time, and whether it asked for dark.
    Source source() const { return source_; }
    bool prefersDark() const { return dark_; }
    // Asks the sources again and sets the system appearance.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // The portal's SettingChanged (group, key, value).
    void settingChanged(const QDBusMessage& message);

private:
    // The portal's answer to a read: 1 dark, 2 light, anything else no preference.
    void takePortalValue(const QVariant& value);
    void readPortal(bool older);
    std::optional<bool> gnomeDark() const;
    static bool paletteIsDark();

    QDBusConnection bus_;
    std::optional<bool> portalDark_;
    // GNOME's settings object (GSettings), when the schema with the key is installed.
    void* gnome_ = nullptr;
    unsigned long gnomeHandler_ = 0;
    Source source_ = Source::palette;
    bool dark_ = false;
};

} // namespace Kit

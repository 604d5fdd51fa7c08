#include "Platform/Kit/DesktopAppearance.h"

#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Appearance.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

// GLib names a field after Qt's keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace Kit {

namespace {

constexpr const char* portalService = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* portalInterface = "org.freedesktop.portal.Settings";
constexpr const char* appearanceGroup = "org.freedesktop.appearance";
constexpr const char* colourSchemeKey = "color-scheme";
constexpr const char* gnomeSchema = "org.gnome.desktop.interface";

// Unwraps variants in variants (the older Read answers with one more level).
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

void gnomeChanged(GSettings*, const gchar*, gpointer self) { static_cast<DesktopAppearance*>(self)->update(); }

} // namespace

DesktopAppearance::DesktopAppearance(QDBusConnection bus) : bus_(std::move(bus))
{
    if (GSettingsSchemaSource* schemas = g_settings_schema_source_get_default()) {
        if (GSettingsSchema* schema = g_settings_schema_source_lookup(schemas, gnomeSchema, TRUE)) {
            if (g_settings_schema_has_key(schema, colourSchemeKey)) {
                auto* settings = g_settings_new_full(schema, nullptr, nullptr);
                gnome_ = settings;
                gnomeHandler_ = g_signal_connect(settings, "changed::color-scheme", G_CALLBACK(gnomeChanged), this);
                // The signal comes only for keys read since.
                g_free(g_settings_get_string(settings, colourSchemeKey));
            }
            g_settings_schema_unref(schema);
        }
    }
    if (qApp)
        qApp->installEventFilter(this);
    if (bus_.isConnected()) {
        bus_.connect(QString::fromLatin1(portalService), QString::fromLatin1(portalPath),
                     QString::fromLatin1(portalInterface), QStringLiteral("SettingChanged"), this,
                     SLOT(settingChanged(QDBusMessage)));
        readPortal(false);
    }
    update();
}

DesktopAppearance::~DesktopAppearance()
{
    if (gnome_) {
        g_signal_handler_disconnect(gnome_, gnomeHandler_);
        g_object_unref(gnome_);
    }
}

void DesktopAppearance::readPortal(bool older)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(portalService), QString::fromLatin1(portalPath), QString::fromLatin1(portalInterface),
        older ? QStringLiteral("Read") : QStringLiteral("ReadOne"));
    call << QString::fromLatin1(appearanceGroup) << QString::fromLatin1(colourSchemeKey);
    // Asked without waiting: a portal that must start first holds up nothing.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, older](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusMessage reply = done->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            takePortalValue(reply.arguments().constFirst());
            return;
        }
        // Portals before ReadOne have only Read.
        if (!older && reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod"))
            readPortal(true);
    });
}

void DesktopAppearance::takePortalValue(const QVariant& value)
{
    bool ok = false;
    const uint scheme = unwrapped(value).toUInt(&ok);
    portalDark_ = !ok || (scheme != 1 && scheme != 2) ? std::nullopt : std::optional<bool>(scheme == 1);
    update();
}

void DesktopAppearance::settingChanged(const QDBusMessage& message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() == 3 && args[0].toString() == QLatin1String(appearanceGroup)
        && args[1].toString() == QLatin1String(colourSchemeKey))
        takePortalValue(args[2]);
}

std::optional<bool> DesktopAppearance::gnomeDark() const
{
    if (!gnome_)
        return std::nullopt;
    gchar* value = g_settings_get_string(static_cast<GSettings*>(gnome_), colourSchemeKey);
    const std::string scheme = value ? value : "";
    g_free(value);
    if (scheme == "prefer-dark")
        return true;
    if (scheme == "prefer-light")
        return false;
    return std::nullopt;
}

bool DesktopAppearance::paletteIsDark()
{
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

void DesktopAppearance::update()
{
    if (portalDark_) {
        source_ = Source::portal;
        dark_ = *portalDark_;
    } else if (const auto gnome = gnomeDark()) {
        source_ = Source::gnome;
        dark_ = *gnome;
    } else if (Foundation::UserDefaults::globalInterfaceStyleIsDark()) {
        source_ = Source::globalDomain;
        dark_ = true;
    } else {
        source_ = Source::palette;
        dark_ = paletteIsDark();
    }
    Appearance::setSystem(dark_ ? Appearance::darkAqua() : Appearance::aqua());
}

bool DesktopAppearance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && source_ == Source::palette)
        update();
    return QObject::eventFilter(watched, event);
}

} // namespace Kit

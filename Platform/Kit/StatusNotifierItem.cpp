#include "Platform/Kit/StatusNotifierItem.h"

#include "Platform/Kit/FrameIconEngine.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <atomic>

namespace Kit {

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::Pixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierItem::Pixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::ToolTip& tip)
{
    argument.beginStructure();
    argument << tip.iconName << tip.pixmaps << tip.title << tip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierItem::ToolTip& tip)
{
    argument.beginStructure();
    argument >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    argument.endStructure();
    return argument;
}

void StatusNotifierItem::registerMetaTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<Pixmap>();
        qDBusRegisterMetaType<QList<Pixmap>>();
        qDBusRegisterMetaType<ToolTip>();
        return true;
    }();
    static_cast<void>(registered);
}

namespace {

StatusNotifierItem::Pixmap pixmapOf(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    StatusNotifierItem::Pixmap pixmap {argb.width(), argb.height(), {}};
    pixmap.bytes.resize(static_cast<qsizetype>(argb.width()) * argb.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            *out++ = qToBigEndian(row[x]);
    }
    return pixmap;
}

const char* const introspection = R"xml(<interface name="org.kde.StatusNotifierItem">
<property name="Category" type="s" access="read"/>
<property name="Id" type="s" access="read"/>
<property name="Title" type="s" access="read"/>
<property name="Status" type="s" access="read"/>
<property name="WindowId" type="i" access="read"/>
<property name="IconName" type="s" access="read"/>
<property name="IconThemePath" type="s" access="read"/>
<property name="IconPixmap" type="a(iiay)" access="read"/>
<property name="OverlayIconName" type="s" access="read"/>
<property name="AttentionIconName" type="s" access="read"/>
<property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
<property name="ItemIsMenu" type="b" access="read"/>
<property name="Menu" type="o" access="read"/>
<property name="XAyatanaLabel" type="s" access="read"/>
<property name="XAyatanaLabelGuide" type="s" access="read"/>
<method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
<method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
<method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
<method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
<signal name="NewTitle"/>
<signal name="NewIcon"/>
<signal name="NewToolTip"/>
<signal name="NewStatus"><arg name="status" type="s"/></signal>
<signal name="XAyatanaNewLabel"><arg name="label" type="s"/><arg name="guide" type="s"/></signal>
</interface>
)xml";

} // namespace

StatusNotifierItem::Icon StatusNotifierItem::Icon::fromImage(const QImage& image)
{
    Icon icon;
    icon.pixmaps.append(pixmapOf(image));
    // Named by its pixels: the same image is the same file, however often it shows.
    const QByteArray& pixels = icon.pixmaps.constFirst().bytes;
    icon.name = QStringLiteral("aerlo-tray-%1x%2-%3")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(QString::fromLatin1(QCryptographicHash::hash(pixels, QCryptographicHash::Sha1).toHex().left(16)));
    QBuffer buffer(&icon.png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    if (image.width() >= 32 && image.height() >= 32)
        icon.pixmaps.append(pixmapOf(FrameIconEngine::scaled(image, image.size() / 2)));
    return icon;
}

class StatusNotifierItem::Object final : public QDBusVirtualObject {
public:
    Object(std::string id, QDBusConnection connection) : connection_(std::move(connection)), id_(std::move(id))
    {
        registerMetaTypes();
        static std::atomic<int> count {0};
        service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(++count)
                       .toStdString();
        if (!connection_.isConnected())
            return;
        QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty() || !QDir(runtime).exists())
            runtime = QDir::tempPath();
        folder_ = std::make_unique<QTemporaryDir>(runtime + QStringLiteral("/aerlo-tray-XXXXXX"));
        connection_.registerVirtualObject(QString::fromLatin1(itemPath), this);
        connection_.registerService(QString::fromStdString(service_));
        watcher_ = std::make_unique<QDBusServiceWatcher>(QString::fromLatin1(watcherService), connection_,
            QDBusServiceWatcher::WatchForRegistration);
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] { registerItem(); });
        registerItem();
    }

    ~Object() override
    {
        if (!connection_.isConnected())
            return;
        connection_.unregisterObject(QString::fromLatin1(itemPath));
        connection_.unregisterService(QString::fromStdString(service_));
    }

    QString introspect(const QString& path) const override
    {
        return path == QLatin1String(itemPath) ? QString::fromLatin1(introspection) : QString();
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            if (member == QLatin1String("Get") && args.size() == 2) {
                const QVariant value = property(args[1].toString());
                if (!value.isValid())
                    return connection.send(message.createErrorReply(QDBusError::InvalidArgs, "no such property"));
                return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
            }
            if (member == QLatin1String("GetAll")) {
                QVariantMap all;
                for (const char* name : {"Category", "Id", "Title", "Status", "WindowId", "IconName", "IconThemePath", "IconPixmap",
                         "OverlayIconName", "AttentionIconName", "ToolTip", "ItemIsMenu", "Menu", "XAyatanaLabel",
                         "XAyatanaLabelGuide"})
                    all.insert(QString::fromLatin1(name), property(QString::fromLatin1(name)));
                return connection.send(message.createReply(all));
            }
            return connection.send(message.createErrorReply(QDBusError::NotSupported, "read-only properties"));
        }
        const bool click = member == QLatin1String("Activate") || member == QLatin1String("SecondaryActivate")
            || member == QLatin1String("ContextMenu");
        if (click && args.size() == 2) {
            connection.send(message.createReply());
            const Click kind = member == QLatin1String("Activate") ? Click::primary
                : member == QLatin1String("SecondaryActivate")     ? Click::secondary
                                                                   : Click::context;
            if (handler_)
                handler_(kind, QPoint(args[0].toInt(), args[1].toInt()));
            return true;
        }
        if (member == QLatin1String("Scroll") || member == QLatin1String("ProvideXdgActivationToken"))
            return connection.send(message.createReply());
        return false;
    }

    QVariant property(const QString& name) const
    {
        if (name == QLatin1String("Category"))
            return QStringLiteral("Hardware");
        if (name == QLatin1String("Id") || name == QLatin1String("Title"))
            return QString::fromStdString(id_);
        if (name == QLatin1String("Status"))
            return status();
        if (name == QLatin1String("WindowId"))
            return 0;
        if (name == QLatin1String("IconName"))
            return iconNamed_;
        if (name == QLatin1String("IconThemePath"))
            return namesIcons_ && folder_ && folder_->isValid() ? folder_->path() : QString();
        if (name == QLatin1String("OverlayIconName") || name == QLatin1String("AttentionIconName"))
            return QString();
        if (name == QLatin1String("IconPixmap"))
            return QVariant::fromValue(icon_.pixmaps);
        if (name == QLatin1String("ToolTip"))
            return QVariant::fromValue(ToolTip {QString(), {}, QString::fromStdString(id_), toolTip_});
        if (name == QLatin1String("ItemIsMenu"))
            return false;
        if (name == QLatin1String("Menu"))
            return QVariant::fromValue(QDBusObjectPath("/NO_DBUSMENU"));
        if (name == QLatin1String("XAyatanaLabel") || name == QLatin1String("XAyatanaLabelGuide"))
            return label_;
        return {};
    }

    QString status() const { return visible_ ? QStringLiteral("Active") : QStringLiteral("Passive"); }

    void emitSignal(const char* name, const QList<QVariant>& arguments = {})
    {
        if (!connection_.isConnected())
            return;
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(itemPath),
            QString::fromLatin1(itemInterface), QString::fromLatin1(name));
        signal.setArguments(arguments);
        connection_.send(signal);
    }

    void registerItem()
    {
        // The AppIndicator hosts' service loads icons only by name; other hosts take the pixmaps, and a
        // name would make them load a file at every frame.
        namesIcons_ = false;
        if (QDBusConnectionInterface* bus = connection_.interface())
            for (const char* service : {"org.ayatana.indicator.application", "com.canonical.indicator.application"})
                namesIcons_ = namesIcons_ || bus->isServiceRegistered(QString::fromLatin1(service)).value();
        writeIcon();
        QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(watcherService),
            QString::fromLatin1(watcherPath), QString::fromLatin1(watcherService),
            QStringLiteral("RegisterStatusNotifierItem"));
        call << QString::fromStdString(service_);
        auto* pending = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
        QObject::connect(pending, &QDBusPendingCallWatcher::finished, pending, &QObject::deleteLater);
    }

    // The icon as a file, named only once it is written.
    void writeIcon()
    {
        iconNamed_.clear();
        if (!namesIcons_ || !folder_ || !folder_->isValid() || icon_.name.isEmpty())
            return;
        const QString path = folder_->filePath(icon_.name + QStringLiteral(".png"));
        if (!QFile::exists(path)) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(icon_.png) != icon_.png.size())
                return;
        }
        iconNamed_ = icon_.name;
    }

    QDBusConnection connection_;
    std::unique_ptr<QTemporaryDir> folder_;
    QString iconNamed_;
    bool namesIcons_ = false;
    std::string id_;
    std::string service_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    bool visible_ = true;
    Icon icon_;
    QString toolTip_;
    QString label_;
    ActivationHandler handler_;
};

StatusNotifierItem::StatusNotifierItem(std::string id, QDBusConnection connection)
    : object_(std::make_unique<Object>(std::move(id), std::move(connection)))
{
}

StatusNotifierItem::~StatusNotifierItem() = default;

bool StatusNotifierItem::isHostAvailable(const QDBusConnection& connection)
{
    if (!connection.isConnected() || !connection.interface())
        return false;
    if (!connection.interface()->isServiceRegistered(QString::fromLatin1(watcherService)).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(watcherService),
        QString::fromLatin1(watcherPath), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QString::fromLatin1(watcherService) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = connection.call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

const std::string& StatusNotifierItem::serviceName() const
{
    return object_->service_;
}

void StatusNotifierItem::setIcon(const Icon& icon)
{
    object_->icon_ = icon;
    object_->writeIcon();
    object_->emitSignal("NewIcon");
}

void StatusNotifierItem::setToolTip(const std::string& text)
{
    const QString tip = QString::fromStdString(text);
    if (tip == object_->toolTip_)
        return;
    object_->toolTip_ = tip;
    object_->emitSignal("NewToolTip");
}

void StatusNotifierItem::setLabel(const std::string& label)
{
    const QString text = QString::fromStdString(label);
    if (text == object_->label_)
        return;
    object_->label_ = text;
    object_->emitSignal("XAyatanaNewLabel", {text, text});
}

void StatusNotifierItem::setVisible(bool visible)
{
    if (visible == object_->visible_)
        return;
    object_->visible_ = visible;
    object_->emitSignal("NewStatus", {object_->status()});
}

void StatusNotifierItem::setActivationHandler(ActivationHandler handler)
{
    object_->handler_ = std::move(handler);
}

} // namespace Kit

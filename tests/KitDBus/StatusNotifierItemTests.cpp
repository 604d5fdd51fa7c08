#include "Platform/Foundation/Process.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/StatusBar.h"
#include "Platform/Kit/StatusItemTray.h"
#include "Platform/Kit/StatusNotifierItem.h"
#include "tests/App/FakeLogind.h"
#include "tests/KitDBus/SessionBusTest.h"
#include "tests/Support/Kit/StatusItemContent.h"
#include "tests/Support/TestAccess.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace Kit;

namespace {

class StatusNotifierItemTest : public SessionBusTest {
protected:
    void SetUp() override
    {
        SessionBusTest::SetUp();
        StatusNotifierItem::registerMetaTypes();
        Foundation::ProcessOptions options;
        options.standardOutput = Foundation::ProcessOutput::discard;
        options.standardError = Foundation::ProcessOutput::discard;
        watcher_ = std::make_unique<Foundation::Process>(AERLO_SNI_WATCHER, std::vector<std::string> {}, options);
        ASSERT_TRUE(watcher_->run().ok());
        ASSERT_TRUE(spinUntil(
            [&] { return host().interface()->isServiceRegistered(StatusNotifierItem::watcherService).value(); }));
        // A panel that shows the items: a host registered with the watcher.
        ASSERT_TRUE(host().registerService("org.kde.StatusNotifierHost-test"));
        QDBusMessage call =
            QDBusMessage::createMethodCall(StatusNotifierItem::watcherService, StatusNotifierItem::watcherPath,
                                           StatusNotifierItem::watcherService, "RegisterStatusNotifierHost");
        call << QString("org.kde.StatusNotifierHost-test");
        // The watcher takes its name before it serves its object.
        ASSERT_TRUE(spinUntil([&] { return host().call(call).type() == QDBusMessage::ReplyMessage; }));
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<StatusBar>();
        if (watcher_ && watcher_->isLaunched()) {
            watcher_->terminate();
            static_cast<void>(watcher_->waitUntilExit(5.0));
        }
        SessionBusTest::TearDown();
    }

    QStringList registeredItems()
    {
        const QVariant value = hostProperty(StatusNotifierItem::watcherService, StatusNotifierItem::watcherPath,
                                            StatusNotifierItem::watcherService, "RegisteredStatusNotifierItems");
        return value.toStringList();
    }
    QList<StatusNotifierItem::Pixmap> iconPixmaps(const std::string& service)
    {
        const QVariant value = hostProperty(QString::fromStdString(service), StatusNotifierItem::itemPath,
                                            StatusNotifierItem::itemInterface, "IconPixmap");
        return qdbus_cast<QList<StatusNotifierItem::Pixmap>>(value.value<QDBusArgument>());
    }
    // ARGB in network byte order at (x, y).
    static QRgb pixel(const StatusNotifierItem::Pixmap& pixmap, int x, int y)
    {
        const auto* bytes = reinterpret_cast<const uchar*>(pixmap.bytes.constData()) + (y * pixmap.width + x) * 4;
        return qRgba(bytes[1], bytes[2], bytes[3], bytes[0]);
    }

    std::unique_ptr<Foundation::Process> watcher_;
};

TEST_F(StatusNotifierItemTest, TheHostGetsTransparentPixmapsTheLabelAndTheClicks)
{
    // An AppIndicator host: its service loads icons by name.
    ASSERT_TRUE(host().registerService("org.ayatana.indicator.application"));
    TestAccess::resetForTesting<StatusBar>();
    ASSERT_EQ(StatusItemTray::desktopProtocol(), StatusItemTray::Protocol::statusNotifier);
    auto item = StatusBar::system().statusItem(StatusItem::squareLength);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    ASSERT_EQ(tray->protocol(), StatusItemTray::Protocol::statusNotifier);
    EXPECT_TRUE(tray->isShownOnDesktop());
    item->button()->setImage(Testing::squareTemplateImage());
    item->button()->setToolTip("1200 rpm\n1300 rpm\n45℃");
    int clicks = 0;
    item->button()->setAction(Control::Action([&](Control&) { ++clicks; }));
    advance(0);

    const std::string service = tray->notifier().serviceName();
    ASSERT_TRUE(spinUntil([&] { return registeredItems().join(' ').contains(QString::fromStdString(service)); }));
    const auto pixmaps = iconPixmaps(service);
    ASSERT_EQ(pixmaps.size(), 2);
    // The item's square at twice its points, and at half of that.
    for (const auto& [pixmap, side] : {std::pair {pixmaps[0], 44}, std::pair {pixmaps[1], 22}}) {
        ASSERT_EQ(pixmap.width, side);
        ASSERT_EQ(pixmap.height, side);
        ASSERT_EQ(pixmap.bytes.size(), side * side * 4);
        // Clear at the edges, the glyph black under aqua in the middle.
        EXPECT_EQ(qAlpha(pixel(pixmap, 0, 0)), 0) << side;
        EXPECT_EQ(qAlpha(pixel(pixmap, side - 1, side - 1)), 0) << side;
        EXPECT_GT(qAlpha(pixel(pixmap, side / 2, side / 2)), 200) << side;
        EXPECT_LT(qGray(pixel(pixmap, side / 2, side / 2)), 40) << side;
    }
    // Hosts that load icons by name find the same image as a file in the theme path.
    const QString folder = hostProperty(QString::fromStdString(service), StatusNotifierItem::itemPath,
                                        StatusNotifierItem::itemInterface, "IconThemePath")
                               .toString();
    const QString name = hostProperty(QString::fromStdString(service), StatusNotifierItem::itemPath,
                                      StatusNotifierItem::itemInterface, "IconName")
                             .toString();
    ASSERT_FALSE(name.isEmpty());
    const QImage file(folder + "/" + name + ".png");
    ASSERT_EQ(file.size(), QSize(44, 44));
    EXPECT_EQ(file.convertToFormat(QImage::Format_ARGB32).pixel(22, 22), pixel(pixmaps[0], 22, 22));
    EXPECT_EQ(qAlpha(file.pixel(0, 0)), 0);
    EXPECT_EQ(hostProperty(QString::fromStdString(service), StatusNotifierItem::itemPath,
                           StatusNotifierItem::itemInterface, "XAyatanaLabel")
                  .toString(),
              QString("1200 rpm 1300 rpm 45℃"));

    // The icon follows the appearance: a light glyph under dark aqua.
    Appearance::setSystem(Appearance::darkAqua());
    advance(0);
    ASSERT_TRUE(spinUntil([&] {
        const auto dark = iconPixmaps(service);
        return !dark.empty() && qGray(pixel(dark[0], 22, 22)) > 200;
    }));

    // A click on the host's panel: the button's action, the item placed where the host clicked.
    QDBusMessage activate = QDBusMessage::createMethodCall(
        QString::fromStdString(service), StatusNotifierItem::itemPath, StatusNotifierItem::itemInterface, "Activate");
    activate << 700 << 12;
    host().asyncCall(activate);
    ASSERT_TRUE(spinUntil([&] { return clicks == 1; }));
    EXPECT_EQ(Screen::qtRectFromGlobal(item->screenFrame()).midX(), 700);

    // Hidden: passive, which hosts leave out.
    item->setVisible(false);
    advance(0);
    EXPECT_EQ(hostProperty(QString::fromStdString(service), StatusNotifierItem::itemPath,
                           StatusNotifierItem::itemInterface, "Status")
                  .toString(),
              QString("Passive"));

    // The files go with the item.
    StatusBar::system().removeStatusItem(*item);
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(StatusNotifierItemTest, AHostIsSentATurnThatGoesForwardAtEverySpeedInFramesKeptByStep)
{
    TestAccess::resetForTesting<StatusBar>();
    // The slowest turn the host can be shown in its least number of steps.
    const double slowest = StatusItemTray::minimumTurnSteps / StatusItemTray::notifierMaximumFramesPerSecond;
    // The fan icon's turns: slow, middle and fast fans.
    for (const double period : {2.0, 1.0, 0.8}) {
        SCOPED_TRACE(period);
        auto item = StatusBar::system().statusItem(22);
        auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
        ASSERT_EQ(tray->protocol(), StatusItemTray::Protocol::statusNotifier);
        Testing::addTurningBar(*item, period);
        advance(0);
        const std::size_t before = tray->renderedFrames();
        // Two turns as shown, looked at a hundred times a second: each new frame turns the bar forward,
        // by less than a sixth of a turn (a three-blade glyph's half), and no second has more new frames
        // than the host's maximum.
        const double shownPeriod = std::max(period, slowest);
        double angle = Testing::turningBarAngle(tray->icon());
        std::vector<int> changedAt;
        for (int i = 1; i <= static_cast<int>(std::round(2 * shownPeriod * 100)); ++i) {
            advance(0.01);
            const double next = Testing::turningBarAngle(tray->icon());
            if (next == angle)
                continue;
            const double step = std::remainder(next - angle, 360.0);
            EXPECT_GT(step, 0) << "frame " << changedAt.size();
            EXPECT_LT(step, 60) << "frame " << changedAt.size();
            angle = next;
            changedAt.push_back(i);
        }
        const auto shown = static_cast<long long>(changedAt.size());
        // Every step of both turns (the last may fall just after them), and no more than needed.
        EXPECT_GE(shown, 2 * StatusItemTray::minimumTurnSteps - 1);
        EXPECT_LE(shown, 2
                             * std::max(StatusItemTray::minimumTurnSteps,
                                        std::llround(period * StatusItemTray::notifierFramesPerSecond)));
        // Hundredths of a second between frames at the host's maximum (one off for rounding).
        const int gap = static_cast<int>(std::lround(100 / StatusItemTray::notifierMaximumFramesPerSecond));
        for (std::size_t k = 1; k < changedAt.size(); ++k)
            EXPECT_GE(changedAt[k] - changedAt[k - 1], gap - 1) << "frame " << k;
        EXPECT_EQ(tray->renderedFrames() - before, tray->keptFrames() - 1) << "the second turn draws nothing";
        StatusBar::system().removeStatusItem(*item);
    }
}

TEST_F(StatusNotifierItemTest, AHostThatTakesPixmapsIsGivenNoIconName)
{
    TestAccess::resetForTesting<StatusBar>();
    auto item = StatusBar::system().statusItem(22);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_EQ(tray->protocol(), StatusItemTray::Protocol::statusNotifier);
    Testing::addTurningBar(*item);
    advance(0);
    // It would load a file at every frame.
    const QString service = QString::fromStdString(tray->notifier().serviceName());
    ASSERT_TRUE(spinUntil([&] { return registeredItems().join(' ').contains(service); }));
    EXPECT_EQ(iconPixmaps(tray->notifier().serviceName()).size(), 2);
    EXPECT_EQ(hostProperty(service, StatusNotifierItem::itemPath, StatusNotifierItem::itemInterface, "IconName"),
              QVariant(QString()));
}

TEST_F(StatusNotifierItemTest, WithoutAHostTheTrayIsXEmbed)
{
    ASSERT_TRUE(host().unregisterService("org.kde.StatusNotifierHost-test"));
    // The watcher forgets a host whose name went away.
    ASSERT_TRUE(spinUntil([&] { return StatusItemTray::desktopProtocol() == StatusItemTray::Protocol::xembed; }));
}

} // namespace

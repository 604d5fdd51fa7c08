#include "tests/e2e/RunningApplicationTest.h"

#include "Classes/FanControl/HelperProtocol.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "tests/KitX11/X11TestSupport.h"
#include "tests/Support/HelperLog.h"
#include "tests/Support/TestAccess.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using X11TestSupport::waitUntil;

namespace {

Foundation::ProcessResult runTool(const std::string& program, const std::vector<std::string>& arguments)
{
    return Foundation::Process::run(program, arguments);
}

std::string fileText(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::filesystem::path renderFolder()
{
    const auto folder = fs::path(AERLO_BINARY_DIR) / "test-renders" / "e2e";
    fs::create_directories(folder);
    return folder;
}

} // namespace

void RunningApplicationTest::SetUp()
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real display (run-with-tray.sh)";
    // The helper's daemon leaves its parent: it becomes this process's child, reaped at the end.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    // The programs this test starts inherit the temporary root.
    ::setenv("AERLO_ROOT", root_.path().c_str(), 1);
    ::setenv("AERLO_SMC", "smcsim", 1); // the root's simulator, even on a real Mac
    ::unsetenv("AERLO_BUNDLE");
    // The build's bundle: its helper is the real daemon, its executable the client the daemon serves.
    Foundation::Bundle::setMainBundlePath(Foundation::Bundle::builtInBundlePath());
    TestAccess::resetForTesting<Foundation::UserDefaults>();
}

void RunningApplicationTest::TearDown()
{
    if (application_ && application_->isRunning()) {
        application_->signal(SIGKILL);
        application_->waitUntilExit();
    }
    application_.reset();
    (void)SystemPlatform::JobBlessService::stop(Aerlo::SMCHelper::label, 1.0);
    stopSimulator();
    int status = 0;
    while (::waitpid(-1, &status, WNOHANG) > 0) {}
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    Foundation::Bundle::setMainBundlePath({});
    ::unsetenv("AERLO_ROOT");
    ::unsetenv("AERLO_MACHINE");
}

void RunningApplicationTest::startSimulator(const std::string& profile)
{
    Foundation::ProcessOptions options;
    options.standardOutput = Foundation::ProcessOutput::discard;
    options.standardError = Foundation::ProcessOutput::discard;
    // The application's system facts (architecture, model) answer from the machine smcsim serves.
    ::setenv("AERLO_MACHINE", profile.c_str(), 1);
    simulator_ = std::make_unique<Foundation::Process>(
        AERLO_SMCSIM, std::vector<std::string> {"--profile", profile, "--manual-clock"}, options);
    ASSERT_EQ(simulator_->run().error(), "");
    ASSERT_TRUE(waitUntil(
        [&] {
            return runTool(AERLO_SMCSIM, {"ctl", "snapshot"}).status == 0;
        },
        10))
        << "smcsim serves";
}

void RunningApplicationTest::stopSimulator()
{
    if (!simulator_)
        return;
    simulator_->terminate();
    EXPECT_TRUE(simulator_->waitUntilExit(5.0));
    simulator_.reset();
}

std::string RunningApplicationTest::control(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> all {"ctl"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const auto result = runTool(AERLO_SMCSIM, all);
    EXPECT_EQ(result.status, 0) << result.stderr_;
    return result.stdout_;
}

nlohmann::json RunningApplicationTest::snapshot() const
{
    const auto parsed = nlohmann::json::parse(control({"snapshot"}), nullptr, false);
    return parsed.is_discarded() ? nlohmann::json::object() : parsed;
}

nlohmann::json RunningApplicationTest::fansAfterASecond() const
{
    control({"advance", "1"});
    return snapshot().value("fans", nlohmann::json::array());
}

bool RunningApplicationTest::isForced(const nlohmann::json& fans, std::size_t index)
{
    return index < fans.size() && fans[index].value("forced", false);
}

double RunningApplicationTest::target(const nlohmann::json& fans, std::size_t index)
{
    return index < fans.size() ? fans[index].value("target", -1.0) : -1.0;
}

bool RunningApplicationTest::everyFanAutomatic(const nlohmann::json& fans)
{
    return !fans.empty()
           && std::none_of(fans.begin(), fans.end(), [](const auto& fan) { return fan.value("forced", true); });
}

void RunningApplicationTest::installHelper()
{
    const auto authorization = std::make_shared<SystemPlatform::Authorization>(
        std::vector<std::string> {std::string(SystemPlatform::kSMRightBlessPrivilegedHelper)});
    const auto result = SystemPlatform::JobBlessService::bless(SystemPlatform::kSMDomainSystemLaunchd,
                                                               Aerlo::SMCHelper::label, authorization);
    ASSERT_TRUE(result) << result.failure().localizedDescription;
    ASSERT_TRUE(waitUntil([] { return fs::exists(SystemPlatform::HelperPaths::socket(Aerlo::SMCHelper::label)); }, 10));
}

std::vector<std::string> RunningApplicationTest::helperLog() const
{
    return helperLogEntries(SystemPlatform::HelperPaths::logFile(Aerlo::SMCHelper::label));
}

std::string RunningApplicationTest::helperLogText() const
{
    return fileText(SystemPlatform::HelperPaths::logFile(Aerlo::SMCHelper::label));
}

std::optional<std::size_t> RunningApplicationTest::awaitLogEntry(const std::string& entry, std::size_t from,
                                                                 double seconds) const
{
    std::optional<std::size_t> after;
    waitUntil(
        [&] {
            const auto log = helperLog();
            const auto start = log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size()));
            const auto found = std::find(start, log.end(), entry);
            if (found != log.end())
                after = static_cast<std::size_t>(found - log.begin()) + 1;
            return after.has_value();
        },
        seconds);
    return after;
}

void RunningApplicationTest::launchApplication()
{
    // The shell gives its process to the application (exec), whose output goes to a file.
    application_ = std::make_unique<Foundation::Process>(
        "/bin/sh",
        std::vector<std::string> {"-c", "exec \"$0\" >>\"$1\" 2>&1", AERLO_APP, (root_.path() / "aerlo.log").string()});
    ASSERT_EQ(application_->run().error(), "");
}

std::string RunningApplicationTest::applicationOutput() const { return fileText(root_.path() / "aerlo.log"); }

bool RunningApplicationTest::awaitOutput(const std::string& text, double seconds) const
{
    return waitUntil([&] { return applicationOutput().find(text) != std::string::npos; }, seconds);
}

std::vector<RunningApplicationTest::Window> RunningApplicationTest::applicationWindows() const
{
    std::vector<Window> windows;
    if (!application_)
        return windows;
    const auto found = runTool("/usr/bin/xdotool",
                               {"search", "--onlyvisible", "--pid", std::to_string(application_->processIdentifier())});
    std::istringstream ids(found.stdout_);
    std::string id;
    while (ids >> id) {
        const auto geometry = runTool("/usr/bin/xdotool", {"getwindowgeometry", "--shell", id});
        // Lines "X=…", "Y=…", "WIDTH=…", "HEIGHT=…".
        std::map<std::string, int> values;
        std::istringstream lines(geometry.stdout_);
        std::string line;
        while (std::getline(lines, line))
            if (const auto equals = line.find('='); equals != std::string::npos)
                values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
        const int width = values["WIDTH"], height = values["HEIGHT"];
        if (geometry.status == 0 && width > 0 && height > 0)
            windows.push_back({id, QRect(values["X"], values["Y"], width, height)});
    }
    return windows;
}

std::optional<RunningApplicationTest::Window> RunningApplicationTest::trayIcon() const
{
    for (const auto& window : applicationWindows())
        if (window.frame.width() == window.frame.height() && window.frame.width() <= 32)
            return window;
    return std::nullopt;
}

std::optional<RunningApplicationTest::Window> RunningApplicationTest::fanWindow() const
{
    std::optional<Window> widest;
    for (const auto& window : applicationWindows())
        if (window.frame.width() >= 300 && (!widest || window.frame.width() > widest->frame.width()))
            widest = window;
    return widest;
}

std::optional<RunningApplicationTest::Window> RunningApplicationTest::awaitFanWindow(double seconds) const
{
    std::optional<Window> last;
    std::optional<Window> shown;
    waitUntil(
        [&] {
            const auto now = fanWindow();
            // Shown once two looks agree (a frame animation has ended).
            if (now && last && now->id == last->id && now->frame == last->frame)
                shown = now;
            last = now;
            return shown.has_value();
        },
        seconds);
    return shown;
}

bool RunningApplicationTest::click(QPoint point) { return X11TestSupport::clickAt(point); }

bool RunningApplicationTest::pressKeys(const std::vector<std::string>& keys)
{
    std::vector<std::string> arguments {"key", "--delay", "50"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    return runTool("/usr/bin/xdotool", arguments).status == 0;
}

bool RunningApplicationTest::movePointer(QPoint point)
{
    return runTool("/usr/bin/xdotool", {"mousemove", "--sync", std::to_string(point.x()), std::to_string(point.y())})
               .status
           == 0;
}

QImage RunningApplicationTest::screenshot(const std::string& name, const QRect& area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect bounded = area.intersected(screen->geometry());
    const QImage image = screen->grabWindow(0, bounded.x(), bounded.y(), bounded.width(), bounded.height()).toImage();
    image.save(QString::fromStdString((renderFolder() / (name + ".png")).string()));
    return image;
}

std::string RunningApplicationTest::modeEntry(int fan, int mode)
{
    return std::string(Aerlo::HelperProtocol::Selector::setFanModeWithId) + " [" + std::to_string(fan) + ","
           + std::to_string(mode) + "]";
}

std::string RunningApplicationTest::speedEntry(int fan, int speed)
{
    return std::string(Aerlo::HelperProtocol::Selector::setFanSpeedWithId) + " [" + std::to_string(fan) + ","
           + std::to_string(speed) + "]";
}

#pragma once

#include "Platform/Foundation/Process.h"
#include "tests/Support/TempRoot.h"

#include <QImage>
#include <QRect>

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// The real application on this (private) display, over smcsim serving a temporary root, with the real
// helper daemon installed into that root. Only processes this fixture started are ever signalled.
class RunningApplicationTest : public ::testing::Test {
protected:
    // A window of the application as the X server sees it, in root coordinates.
    struct Window {
        std::string id;
        QRect frame;
    };

    void SetUp() override;
    void TearDown() override;

    // smcsim on `profile` with a manual clock, serving the root; waits until it answers.
    void startSimulator(const std::string& profile);
    void stopSimulator();
    // `smcsim ctl <arguments>`; its standard output.
    std::string control(const std::vector<std::string>& arguments) const;
    nlohmann::json snapshot() const;
    // smcsim's fans after one more second of its clock (a target written shows once the clock moves).
    nlohmann::json fansAfterASecond() const;
    static bool isForced(const nlohmann::json& fans, std::size_t index);
    static double target(const nlohmann::json& fans, std::size_t index);
    static bool everyFanAutomatic(const nlohmann::json& fans);

    // Blesses the build's helper into the root for the build's Aerlo, with a granted authorization.
    void installHelper();
    // The daemon's log entries ("<sel> <args>"), and the whole file.
    std::vector<std::string> helperLog() const;
    std::string helperLogText() const;
    // Waits until the log holds `entry` after its first `from` entries; the index after it, or nothing.
    std::optional<std::size_t> awaitLogEntry(const std::string& entry, std::size_t from = 0, double seconds = 10) const;

    // Starts build/Aerlo.app, its output going to a file of the root.
    void launchApplication();
    std::string applicationOutput() const;
    bool awaitOutput(const std::string& text, double seconds = 10) const;
    // The application's mapped windows; the tray icon (a small square) and the fan window (the widest).
    std::vector<Window> applicationWindows() const;
    std::optional<Window> trayIcon() const;
    std::optional<Window> fanWindow() const;
    // Waits for the fan window to be shown with a stable frame.
    std::optional<Window> awaitFanWindow(double seconds = 10) const;

    // Clicks the left button at a point of the root window.
    static bool click(QPoint point);
    static bool pressKeys(const std::vector<std::string>& keys);
    static bool movePointer(QPoint point);
    // The root window's pixels inside `area`, written to build/test-renders/e2e/<name>.png.
    static QImage screenshot(const std::string& name, const QRect& area);

    static std::string modeEntry(int fan, int mode);
    static std::string speedEntry(int fan, int speed);

    TempRoot root_;
    std::unique_ptr<Foundation::Process> simulator_;
    std::unique_ptr<Foundation::Process> application_;
};

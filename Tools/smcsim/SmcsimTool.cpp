#include "Tools/smcsim/SmcsimTool.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcTransport.h"
#include "Tools/smcsim/SmcsimServer.h"

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace Aerlo {

namespace {

using Foundation::Console;
using ordered_json = nlohmann::ordered_json;

int signalStopFd = -1;

void stopOnSignal(int)
{
    const char byte = 1;
    if (signalStopFd >= 0) [[maybe_unused]]
        const ssize_t n = ::write(signalStopFd, &byte, 1);
}

void handleSignals(int stopFd)
{
    signalStopFd = stopFd;
    struct sigaction action {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

std::string defaultProfile()
{
    if (const char* machine = std::getenv("AERLO_MACHINE"); machine && *machine)
        return machine;
    return std::string(SMCSim::MachineProfile::defaultName);
}

int usageError(const std::string& error)
{
    Console::printError("smcsim: " + error);
    Console::write(Console::Stream::standardError, SmcsimTool::usage());
    return 2;
}

} // namespace

std::string SmcsimTool::usage()
{
    return "usage: smcsim [--profile NAME] [--overlay NAME]... [--socket PATH] [--manual-clock]\n"
           "       smcsim ctl [--socket PATH] load 0..1 | advance SECONDS | fault NAME on|off | power battery|ac |\n"
           "                                  snapshot | stop\n";
}

std::optional<double> SmcsimTool::parseNumber(std::string_view text) { return Foundation::decimalNumber<double>(text); }

Foundation::Result<SmcsimTool::ServeOptions> SmcsimTool::parseServe(const std::vector<std::string>& arguments)
{
    std::string error;
    ServeOptions options;
    options.profile = defaultProfile();
    options.socket = IOKit::SocketSmcProtocol::defaultSocketPath();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--profile" || argument == "--overlay" || argument == "--socket";
        if (takesValue && (i + 1 >= arguments.size() || arguments[i + 1].empty())) {
            error = argument + " needs a value";
            return Foundation::Error(error);
        }
        if (argument == "--profile")
            options.profile = arguments[++i];
        else if (argument == "--overlay")
            options.overlays.push_back(arguments[++i]);
        else if (argument == "--socket")
            options.socket = arguments[++i];
        else if (argument == "--manual-clock")
            options.manualClock = true;
        else {
            error = "unknown argument \"" + argument + "\"";
            return Foundation::Error(error);
        }
    }
    return options;
}

Foundation::Result<std::string> SmcsimTool::controlRequest(const std::vector<std::string>& words)
{
    std::string error;
    if (words.empty()) {
        error = "ctl needs a command";
        return Foundation::Error(error);
    }
    const std::string& command = words[0];
    auto expect = [&](std::size_t count) {
        if (words.size() == count)
            return true;
        error = "ctl " + command + ": expected " + std::to_string(count - 1) + " argument" + (count == 2 ? "" : "s");
        return false;
    };
    ordered_json request;
    request["command"] = command;
    if (command == "load") {
        if (!expect(2))
            return Foundation::Error(error);
        const auto load = parseNumber(words[1]);
        if (!load || *load < 0 || *load > 1) {
            error = "ctl load: \"" + words[1] + "\" is not a number from 0 to 1";
            return Foundation::Error(error);
        }
        request["value"] = *load;
    } else if (command == "advance") {
        if (!expect(2))
            return Foundation::Error(error);
        const auto seconds = parseNumber(words[1]);
        if (!seconds || *seconds < 0 || *seconds > 86400) {
            error = "ctl advance: \"" + words[1] + "\" is not a number of seconds from 0 to 86400";
            return Foundation::Error(error);
        }
        request["seconds"] = *seconds;
    } else if (command == "fault") {
        if (!expect(3))
            return Foundation::Error(error);
        if (words[2] != "on" && words[2] != "off") {
            error = "ctl fault: expected on or off, not \"" + words[2] + "\"";
            return Foundation::Error(error);
        }
        request["name"] = words[1];
        request["on"] = words[2] == "on";
    } else if (command == "power") {
        if (!expect(2))
            return Foundation::Error(error);
        if (words[1] != "battery" && words[1] != "ac") {
            error = "ctl power: expected battery or ac, not \"" + words[1] + "\"";
            return Foundation::Error(error);
        }
        request["source"] = words[1];
    } else if (command == "snapshot" || command == "stop") {
        if (!expect(1))
            return Foundation::Error(error);
    } else {
        error = "ctl: unknown command \"" + command + "\"";
        return Foundation::Error(error);
    }
    return request.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

int SmcsimTool::run(const std::vector<std::string>& arguments)
{
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        Console::write(Console::Stream::standardOutput, usage());
        return 0;
    }
    if (!arguments.empty() && arguments[0] == "ctl")
        return control({arguments.begin() + 1, arguments.end()});
    const auto options = parseServe(arguments);
    if (!options)
        return usageError(options.error());
    return serve(*options);
}

int SmcsimTool::serve(const ServeOptions& options)
{
    std::string spec = options.profile;
    for (const std::string& overlay : options.overlays)
        spec += "+" + overlay;
    auto profile = SMCSim::MachineProfile::load(spec);
    if (!profile)
        return 1;
    const std::string name = spec;
    auto machine = std::make_shared<SimulatedMachine>(std::move(*profile), options.manualClock);
    SmcsimServer server(machine, {options.socket});
    handleSignals(server.stopFd());
    if (!server.start())
        return 1;
    Console::print("smcsim: serving " + name + (options.manualClock ? " (manual clock)" : "") + " on "
                   + options.socket.string());
    server.run();
    Console::print("smcsim: stopped");
    return 0;
}

int SmcsimTool::control(const std::vector<std::string>& arguments)
{
    std::filesystem::path socket = IOKit::SocketSmcProtocol::defaultSocketPath();
    std::size_t first = 0;
    if (arguments.size() >= 2 && arguments[0] == "--socket") {
        socket = arguments[1];
        first = 2;
    }
    const auto request = controlRequest({arguments.begin() + static_cast<std::ptrdiff_t>(first), arguments.end()});
    if (!request) {
        Console::printError("smcsim: " + request.error());
        return 2;
    }

    IOKit::SocketSmcTransport transport(socket, true);
    const auto reply = transport.control(*request);
    if (!reply) {
        Console::printError("smcsim: nobody serves " + socket.string());
        return 1;
    }
    const auto answer = nlohmann::json::parse(*reply, nullptr, false);
    if (answer.is_discarded() || !answer.is_object() || !answer.contains("ok") || !answer["ok"].is_boolean()) {
        Console::printError("smcsim: the simulator gave no reply it understands");
        return 1;
    }
    if (!answer["ok"].get<bool>()) {
        const auto message = answer.find("error");
        Console::printError(
            "smcsim: "
            + (message != answer.end() && message->is_string() ? message->get<std::string>() : std::string("refused")));
        return 1;
    }
    // The snapshot keeps the simulator's key order.
    const auto ordered = ordered_json::parse(*reply, nullptr, false);
    if (ordered.contains("snapshot"))
        Console::print(ordered["snapshot"].dump(2, ' ', false, ordered_json::error_handler_t::replace));
    return 0;
}

} // namespace Aerlo

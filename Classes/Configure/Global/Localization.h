#pragma once

#include "Platform/Foundation/Bundle.h"

#include <string>

namespace Aerlo {

// The bundle the localisation keys are looked up in: the application's, found once.
class Bundler {
public:
    static Bundler& shared();
    const Foundation::Bundle& bundle();

private:
    std::optional<Foundation::Bundle> bundle_;
};

// Exists so that a bundle can be found by class; nothing uses it.
class ResourceBundleClass {};

// Texts looked up by key once per process and then kept: a language switch shows after a restart.
namespace Localization {

namespace TabOption {
const std::string& settings();
const std::string& customSpeed();
const std::string& dashboard();
const std::string& toolsLibrary();
const std::string& tutorial();
const std::string& freeApps();
const std::string& about();
namespace ToolLibrary {
namespace Actions {
namespace description {
}
namespace name {
}
} // namespace Actions
} // namespace ToolLibrary
} // namespace TabOption

namespace AppleScript::Alert {
const std::string& messageText();
const std::string& informativeText();
const std::string& install();
const std::string& cancel();
} // namespace AppleScript::Alert

namespace StatusBar {
const std::string& setting();
const std::string& userSupport();
const std::string& update();
const std::string& plugin();
const std::string& about();
const std::string& quit();
} // namespace StatusBar

namespace Preference::Appearance {
const std::string& auto_();
const std::string& light();
const std::string& dark();
} // namespace Preference::Appearance

namespace Tip {
const std::string& title();
} // namespace Tip

} // namespace Localization

} // namespace Aerlo

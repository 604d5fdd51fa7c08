#include "Platform/System/SpeechSynthesizer.h"

#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/ToolMap.h"
#include "Platform/System/EspeakSpeechSynthesizer.h"

#ifndef AERLO_SAY_STAND_IN
#define AERLO_SAY_STAND_IN "say"
#endif

namespace SystemPlatform {

namespace {

// The factory tests install, if any.
Foundation::LockedValue<SpeechSynthesizer::Factory>& installedFactory()
{
    static Foundation::SharedInstance<Foundation::LockedValue<SpeechSynthesizer::Factory>> factory;
    return factory.get();
}

} // namespace

std::unique_ptr<SpeechSynthesizer> SpeechSynthesizer::make()
{
    const Factory factory = installedFactory().get();
    return factory ? factory() : std::make_unique<EspeakSpeechSynthesizer>();
}

void SpeechSynthesizer::setFactory(Factory factory) { installedFactory().set(std::move(factory)); }

std::string SpeechSynthesizer::sayStandInPath() { return Foundation::ToolMap::standIn("say", AERLO_SAY_STAND_IN); }

void SpeechSynthesizer::installSayStandIn() { Foundation::ToolMap::set("/usr/bin/say", sayStandInPath()); }

} // namespace SystemPlatform

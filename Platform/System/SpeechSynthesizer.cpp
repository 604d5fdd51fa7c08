#include "Platform/System/SpeechSynthesizer.h"

#include "Platform/Foundation/ToolMap.h"
#include "Platform/System/EspeakSpeechSynthesizer.h"

#include <mutex>

#ifndef AERLO_SAY_STAND_IN
#define AERLO_SAY_STAND_IN "say"
#endif

namespace SystemPlatform {

namespace {

struct FactoryState {
    std::mutex mutex;
    SpeechSynthesizer::Factory factory;
};

FactoryState& factoryState()
{
    static FactoryState state;
    return state;
}

} // namespace

std::unique_ptr<SpeechSynthesizer> SpeechSynthesizer::make()
{
    Factory factory;
    {
        FactoryState& state = factoryState();
        std::lock_guard lock(state.mutex);
        factory = state.factory;
    }
    return factory ? factory() : std::make_unique<EspeakSpeechSynthesizer>();
}

void SpeechSynthesizer::setFactory(Factory factory)
{
    FactoryState& state = factoryState();
    std::lock_guard lock(state.mutex);
    state.factory = std::move(factory);
}

std::string SpeechSynthesizer::sayStandInPath() { return AERLO_SAY_STAND_IN; }

void SpeechSynthesizer::installSayStandIn() { Foundation::ToolMap::set("/usr/bin/say", sayStandInPath()); }

} // namespace SystemPlatform

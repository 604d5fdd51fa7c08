#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <string>

namespace QVToolsKit {

// Speaks text: through "/usr/bin/say", or through the shared speech synthesiser with the Mandarin voice.
// Nothing is reported; where nothing can speak, nothing is heard.
class QVTOOLSKIT_EXPORT QVSpeechManager {
public:
    // Runs "/usr/bin/say" with the text as its one argument and waits until it is spoken.
    static void speak(const std::string& message);
    // Cuts off any speech in progress and starts this text; returns at once.
    static void speakSelectedText(const std::string& text);
    static void stopSpeaking();

private:
    friend struct ::TestAccess;
    // Tests: the next use makes the synthesiser again.
    static void resetForTesting();
};

} // namespace QVToolsKit

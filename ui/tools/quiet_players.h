// Sound players for the tools that render and time the windows: every cue
// opens and plays in silence, so the tools need neither wave files nor an
// audio device.
#pragma once

#include "fixed_clock.h"
#include <QtGlobal>
#include <cstdio>

#include "vornakka/sound_players.h"

namespace vornakka::tools {

class QuietPlayers final : public SoundPlayers {
public:
    void open(SoundCue) override {}
    void play(SoundCue) override {}
    void stop(SoundCue) override {}
};


// The offscreen platform reports every raise and size hint it cannot carry
// out; the tools keep their output to what they measured or wrote.
inline void quietOffscreenMessages() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QLatin1String("This plugin does not support"))) return;
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    });
}

}  // namespace vornakka::tools

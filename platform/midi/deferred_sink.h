// A sink that stands in for one still on its way: the synthesiser, whose sound
// font is read off the path to the first picture. What is sent meanwhile is
// kept, in order, and goes to the sink when it arrives, so the program change
// sent at start still sets the sound of the first notes. Any thread may send.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/midi/midi_sink.h"

namespace plat {

class DeferredSink final : public MidiSink {
public:
    // More than a start-up ever sends; a flood beyond it is dropped, never the start.
    static constexpr std::size_t kKeptMessages = 4096;

    void Send(DWORD message) override;
    void AllNotesOff() override;

    // The sink waited for, or null when none will come (what was kept is then
    // dropped, and so is whatever is sent after). Only the first call counts.
    void Arrive(std::unique_ptr<MidiSink> sink);

private:
    std::mutex lock;
    std::unique_ptr<MidiSink> target;
    bool arrived = false;
    std::vector<DWORD> kept;
};

}  // namespace plat

// A MIDI sink that keeps every short message a stream was given, for tests
// that must see the messages themselves.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/midi/midi_sink.h"

class RecordingMidiSink : public plat::MidiSink {
public:
    void Send(plat::DWORD message) override {
        std::lock_guard<std::mutex> guard(lock);
        messages.push_back(message);
        changed.notify_all();
    }
    void AllNotesOff() override {
        std::lock_guard<std::mutex> guard(lock);
        ++allNotesOff;
    }
    std::vector<plat::DWORD> Messages() {
        std::lock_guard<std::mutex> guard(lock);
        return messages;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock);
        messages.clear();
    }
    // Waits for at least count messages; false if they never come.
    bool WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> held(lock);
        return changed.wait_for(held, std::chrono::seconds(20), [&] { return messages.size() >= count; });
    }
    int AllNotesOffCount() {
        std::lock_guard<std::mutex> guard(lock);
        return allNotesOff;
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::vector<plat::DWORD> messages;
    int allNotesOff = 0;
};

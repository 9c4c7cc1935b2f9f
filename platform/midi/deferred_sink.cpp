#include "platform/midi/deferred_sink.h"

namespace plat {
namespace {

// No short message has bits above 23 set, so this one marks AllNotesOff.
constexpr DWORD kAllNotesOff = 0xFFFFFFFF;

}  // namespace

void DeferredSink::Send(DWORD message) {
    std::lock_guard<std::mutex> guard(lock);
    if (target) {
        target->Send(message);
    } else if (!arrived && kept.size() < kKeptMessages) {
        kept.push_back(message & 0xFFFFFF);
    }
}

void DeferredSink::AllNotesOff() {
    std::lock_guard<std::mutex> guard(lock);
    if (target) {
        target->AllNotesOff();
    } else if (!arrived && kept.size() < kKeptMessages) {
        kept.push_back(kAllNotesOff);
    }
}

void DeferredSink::Arrive(std::unique_ptr<MidiSink> sink) {
    std::lock_guard<std::mutex> guard(lock);
    if (arrived) return;
    arrived = true;
    target = std::move(sink);
    if (target) {
        for (DWORD message : kept) {
            if (message == kAllNotesOff) {
                target->AllNotesOff();
            } else {
                target->Send(message);
            }
        }
    }
    kept.clear();
    kept.shrink_to_fit();
}

}  // namespace plat

// The MIDI mapper's one stream: short messages go straight to the sink; queued
// buffers are played in time by the stream's own thread, which also makes the
// MOM_DONE and MOM_POSITIONCB callbacks.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/midi/deferred_sink.h"
#include "platform/midi/midi_sink.h"
#include "platform/midi/mmsystem.h"
#include "platform/midi/synthesiser.h"
#include "platform/win/first_picture.h"

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kDefaultTempo = 500000;  // microseconds per quarter note
constexpr DWORD kDefaultDivision = 24;   // ticks per quarter note
constexpr DWORD kEventWords = 3;
// A program that shows no picture (or not yet, minimised) still gets its sound.
constexpr std::chrono::milliseconds kSoundFontWait{1000};

MidiSink* testSink = nullptr;

struct Stream {
    // The synthesiser arrives here once the player thread has opened it.
    DeferredSink synthesiser;
    MidiSink* sink = nullptr;
    std::atomic<bool> closingSoon{false};
    MIDICALLBACK callback = nullptr;
    DWORD_PTR instance = 0;

    std::mutex lock;
    std::condition_variable wake;        // the player thread's
    std::condition_variable callbackEnd; // Stop's and Close's
    std::deque<MIDIHDR*> queue;
    bool playing = false;
    bool closing = false;
    bool starved = true;
    DWORD tempo = kDefaultTempo;
    DWORD offset = 0;            // next event within the head buffer
    Clock::time_point lastEvent; // the time the stream's clock last reached
    int callbacksRunning = 0;
    std::thread player;

    // The sink is not ours to make thread-safe: one caller at a time.
    std::mutex sendLock;

    void Send(DWORD message) {
        std::lock_guard<std::mutex> guard(sendLock);
        sink->Send(message);
    }
    void AllNotesOff() {
        std::lock_guard<std::mutex> guard(sendLock);
        sink->AllNotesOff();
    }
    void Notify(UINT message, DWORD_PTR param1) {
        if (callback) callback(reinterpret_cast<HMIDIOUT>(this), message, instance, param1, 0);
    }
    void OpenSynthesiser();
    void Run();
};

// The mapper has one device, and a stream holds it.
std::mutex streamsLock;
Stream* openStream = nullptr;

// The stream a handle names, or null for anything that is not the open one.
Stream* Find(const void* handle) {
    std::lock_guard<std::mutex> guard(streamsLock);
    return handle && handle == openStream ? openStream : nullptr;
}

DWORD ReadWord(const MIDIHDR* header, DWORD offset) {
    DWORD word;
    std::memcpy(&word, header->lpData + offset, sizeof word);
    return word;
}

// Reading the sound font and opening the audio device take longer than
// everything else before the first picture; they wait for that picture, on
// this thread, while what the game sends meanwhile is kept.
void Stream::OpenSynthesiser() {
    WaitForFirstPicture(kSoundFontWait, [this] { return closingSoon.load(); });
    if (closingSoon) {
        synthesiser.Arrive(nullptr);
        return;
    }
    MMRESULT error = MMSYSERR_NOERROR;
    synthesiser.Arrive(Synthesiser::Open(error));
}

void Stream::Run() {
    if (sink == &synthesiser) OpenSynthesiser();
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        if (closing) return;
        if (!playing || queue.empty()) {
            if (playing) starved = true;
            wake.wait(held);
            continue;
        }
        MIDIHDR* header = queue.front();
        if (starved) {
            // Deltas count from when there is something to play again, not
            // from before the gap: no burst of overdue events.
            lastEvent = std::max(lastEvent, Clock::now());
            starved = false;
        }

        // Only whole events within dwBytesRecorded play; a cut-off tail is dropped.
        const DWORD recorded = header->dwBytesRecorded;
        DWORD size = kEventWords * 4;
        DWORD event = 0;
        bool whole = recorded >= size && offset <= recorded - size;
        if (whole) {
            event = ReadWord(header, offset + 8);
            if (event & MEVT_F_LONG) {
                const DWORD parameters = ((event & 0xFFFFFF) + 3u) & ~3u;
                size += parameters;
                whole = parameters <= recorded - offset - kEventWords * 4;
            }
        }
        if (!whole) {
            queue.pop_front();
            offset = 0;
            header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
            ++callbacksRunning;
            held.unlock();
            Notify(MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
            held.lock();
            --callbacksRunning;
            callbackEnd.notify_all();
            continue;
        }

        const DWORD delta = ReadWord(header, offset);
        const auto due = lastEvent + std::chrono::microseconds(
                                         static_cast<long long>(delta) * tempo / kDefaultDivision);
        if (Clock::now() < due) {
            // Woken early by a stop, a close or a restart: look again.
            wake.wait_until(held, due);
            continue;
        }
        lastEvent = due;
        const DWORD eventOffset = offset;
        offset += size;
        const BYTE type = static_cast<BYTE>((event >> 24) & ~(MEVT_F_CALLBACK >> 24));
        if (type == MEVT_SHORTMSG) {
            Send(event & 0xFFFFFF);
        } else if (type == MEVT_TEMPO && (event & 0xFFFFFF) != 0) {
            tempo = event & 0xFFFFFF;
        }
        if (event & MEVT_F_CALLBACK) {
            header->dwOffset = eventOffset;
            ++callbacksRunning;
            held.unlock();
            Notify(MOM_POSITIONCB, reinterpret_cast<DWORD_PTR>(header));
            held.lock();
            --callbacksRunning;
            callbackEnd.notify_all();
        }
    }
}

bool OnPlayerThread(const Stream* stream) { return std::this_thread::get_id() == stream->player.get_id(); }

bool HeaderSizeOk(const MIDIHDR* header, UINT size) { return header && size >= sizeof(MIDIHDR); }

}  // namespace

void SetMidiSinkForTesting(MidiSink* sink) { testSink = sink; }

UINT midiOutGetNumDevs() { return 1; }

MMRESULT midiStreamOpen(HMIDISTRM* handle, UINT* deviceId, DWORD deviceCount, DWORD_PTR callback,
                        DWORD_PTR instance, DWORD flags) {
    if (!handle || !deviceId || deviceCount != 1) return MMSYSERR_INVALPARAM;
    *handle = nullptr;
    if (*deviceId != MIDI_MAPPER && *deviceId != 0) return MMSYSERR_BADDEVICEID;
    if (flags != CALLBACK_FUNCTION && flags != 0) return MMSYSERR_INVALPARAM;
    if (flags == CALLBACK_FUNCTION && callback == 0) return MMSYSERR_INVALPARAM;
    {
        std::lock_guard<std::mutex> guard(streamsLock);
        if (openStream) return MMSYSERR_ALLOCATED;
    }

    auto stream = std::make_unique<Stream>();
    if (testSink) {
        stream->sink = testSink;
    } else {
        // Without a sound font there is nothing to wait for.
        if (Synthesiser::FindSoundFont().empty()) return MMSYSERR_NODRIVER;
        stream->sink = &stream->synthesiser;
    }
    if (flags == CALLBACK_FUNCTION) stream->callback = reinterpret_cast<MIDICALLBACK>(callback);
    stream->instance = instance;
    stream->player = std::thread([s = stream.get()] {
        s->Run();
        if (s->sink == &s->synthesiser) Synthesiser::ThreadEnds();
    });

    Stream* opened = stream.release();
    {
        std::lock_guard<std::mutex> guard(streamsLock);
        openStream = opened;
    }
    *handle = reinterpret_cast<HMIDISTRM>(opened);
    opened->Notify(MOM_OPEN, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM handle) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    // The player thread cannot wait for itself to end.
    if (OnPlayerThread(stream)) return MMSYSERR_ERROR;
    {
        std::unique_lock<std::mutex> held(stream->lock);
        if (!stream->queue.empty()) return MIDIERR_STILLPLAYING;
        stream->closing = true;
        stream->wake.notify_all();
    }
    stream->closingSoon = true;
    WakeFirstPictureWaiters();
    stream->player.join();
    {
        std::lock_guard<std::mutex> guard(streamsLock);
        openStream = nullptr;
    }
    stream->AllNotesOff();
    stream->Notify(MOM_CLOSE, 0);
    delete stream;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM handle, LPMIDIHDR header, UINT headerSize) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!HeaderSizeOk(header, headerSize)) return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> guard(stream->lock);
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (!header->lpData || header->dwBytesRecorded > header->dwBufferLength) return MMSYSERR_INVALPARAM;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    stream->queue.push_back(header);
    stream->wake.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM handle) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> guard(stream->lock);
    if (!stream->playing) {
        stream->playing = true;
        stream->starved = true;
        stream->wake.notify_all();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM handle) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    std::deque<MIDIHDR*> returned;
    {
        std::unique_lock<std::mutex> held(stream->lock);
        stream->playing = false;
        // A callback still running may be about to touch what the caller frees next.
        if (!OnPlayerThread(stream)) {
            stream->callbackEnd.wait(held, [stream] { return stream->callbacksRunning == 0; });
        }
        stream->playing = false;
        returned.swap(stream->queue);
        stream->offset = 0;
        stream->tempo = kDefaultTempo;
        for (MIDIHDR* header : returned) header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        stream->wake.notify_all();
    }
    stream->AllNotesOff();
    for (MIDIHDR* header : returned) stream->Notify(MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize) {
    Stream* stream = Find(out);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!HeaderSizeOk(header, headerSize) || !header->lpData) return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> guard(stream->lock);
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize) {
    Stream* stream = Find(out);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!HeaderSizeOk(header, headerSize)) return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> guard(stream->lock);
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT out, DWORD message) {
    Stream* stream = Find(out);
    if (!stream) return MMSYSERR_INVALHANDLE;
    stream->Send(message);
    return MMSYSERR_NOERROR;
}

}  // namespace plat

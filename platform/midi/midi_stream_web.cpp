// The MIDI mapper's one stream in the browser, as on Linux (midi_stream.cpp)
// but without threads: queued buffers play from timers on the main thread,
// which also make the MOM_DONE and MOM_POSITIONCB callbacks while the game's
// loop waits, so the game may call back into the stream from them. Short
// messages go to FluidSynth in the page's AudioWorklet (synthesiser_web.js),
// kept in order until it can sound: the page loads it after the first picture,
// and the browser lets it play only after the player's first click or key.
#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>

#include "platform/midi/deferred_sink.h"
#include "platform/midi/midi_sink.h"
#include "platform/midi/mmsystem.h"
#include "platform/win/first_picture.h"

// synthesiser_web.js
extern "C" {
int kestrova_synth_open(void);
void kestrova_synth_load(void);
void kestrova_synth_send(unsigned message);
void kestrova_synth_all_notes_off(void);
}

namespace plat {

namespace {

constexpr DWORD kDefaultTempo = 500000;  // microseconds per quarter note
constexpr DWORD kDefaultDivision = 24;   // ticks per quarter note
constexpr DWORD kEventWords = 3;
constexpr double kPictureLookMs = 50;

MidiSink* testSink = nullptr;

// The page's synthesiser, one for the page's life: it outlives the streams.
enum class PageSynth { Unasked, Loading, Ready, Failed };
PageSynth pageSynth = PageSynth::Unasked;

class PageSynthesiser final : public MidiSink {
public:
    void Send(DWORD message) override { kestrova_synth_send(message); }
    void AllNotesOff() override { kestrova_synth_all_notes_off(); }
};

struct Stream {
    // The page's synthesiser arrives here once it can sound.
    DeferredSink synthesiser;
    MidiSink* sink = nullptr;
    MIDICALLBACK callback = nullptr;
    DWORD_PTR instance = 0;

    std::deque<MIDIHDR*> queue;
    bool playing = false;
    bool starved = true;
    DWORD tempo = kDefaultTempo;
    DWORD offset = 0;       // next event within the head buffer
    double lastEvent = 0;   // ms, the time the stream's clock last reached
    long timer = 0;         // the pending play, if any
    bool inPlay = false;    // Play is running (a callback of it may call in)

    void Notify(UINT message, DWORD_PTR param1) {
        if (callback) callback(reinterpret_cast<HMIDIOUT>(this), message, instance, param1, 0);
    }
    void Play();
    void Wake();
    void CancelTimer() {
        if (timer) emscripten_clear_timeout(timer);
        timer = 0;
    }
};

// The mapper has one device, and a stream holds it.
Stream* openStream = nullptr;

Stream* Find(const void* handle) { return handle && handle == openStream ? openStream : nullptr; }

DWORD ReadWord(const MIDIHDR* header, DWORD offset) {
    DWORD word;
    std::memcpy(&word, header->lpData + offset, sizeof word);
    return word;
}

void PlayDue(void* data) {
    auto* stream = static_cast<Stream*>(data);
    stream->timer = 0;
    stream->Play();
}

// Plays every event that is due, then sets a timer for the next.
void Stream::Play() {
    inPlay = true;
    for (;;) {
        if (!playing || queue.empty()) {
            if (playing) starved = true;
            break;
        }
        MIDIHDR* header = queue.front();
        const double now = emscripten_get_now();
        if (starved) {
            // Deltas count from when there is something to play again, not
            // from before the gap: no burst of overdue events.
            lastEvent = std::max(lastEvent, now);
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
            Notify(MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
            continue;
        }

        const double due = lastEvent + static_cast<double>(ReadWord(header, offset)) * tempo / kDefaultDivision / 1000.0;
        if (now < due) {
            timer = emscripten_set_timeout(PlayDue, due - now, this);
            break;
        }
        lastEvent = due;
        const DWORD eventOffset = offset;
        offset += size;
        const BYTE type = static_cast<BYTE>((event >> 24) & ~(MEVT_F_CALLBACK >> 24));
        if (type == MEVT_SHORTMSG) {
            sink->Send(event & 0xFFFFFF);
        } else if (type == MEVT_TEMPO && (event & 0xFFFFFF) != 0) {
            tempo = event & 0xFFFFFF;
        }
        if (event & MEVT_F_CALLBACK) {
            header->dwOffset = eventOffset;
            Notify(MOM_POSITIONCB, reinterpret_cast<DWORD_PTR>(header));
        }
    }
    inPlay = false;
}

// Something new to play: Play looks at it soon, never inside the caller's call.
void Stream::Wake() {
    if (inPlay || timer || !playing || queue.empty()) return;
    timer = emscripten_set_timeout(PlayDue, 0, this);
}

// What the game sent goes to the synthesiser once it is ready, or is dropped
// when it never will be.
void Deliver(Stream* stream) {
    if (!stream || stream->sink != &stream->synthesiser) return;
    if (pageSynth == PageSynth::Ready) stream->synthesiser.Arrive(std::make_unique<PageSynthesiser>());
    if (pageSynth == PageSynth::Failed) stream->synthesiser.Arrive(nullptr);
}

// The sound font and the synthesiser's files wait for the first picture.
void LoadAfterFirstPicture(void*) {
    using std::chrono::milliseconds;
    if (WaitForFirstPicture(milliseconds(0), [] { return false; })) {
        kestrova_synth_load();
    } else {
        emscripten_set_timeout(LoadAfterFirstPicture, kPictureLookMs, nullptr);
    }
}

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
    if (openStream) return MMSYSERR_ALLOCATED;

    auto stream = std::make_unique<Stream>();
    if (testSink) {
        stream->sink = testSink;
    } else {
        // No Web Audio (node, an old browser) or a synthesiser that failed to load: no device.
        if (!kestrova_synth_open() || pageSynth == PageSynth::Failed) return MMSYSERR_NODRIVER;
        stream->sink = &stream->synthesiser;
        if (pageSynth == PageSynth::Unasked) {
            pageSynth = PageSynth::Loading;
            LoadAfterFirstPicture(nullptr);
        }
    }
    if (flags == CALLBACK_FUNCTION) stream->callback = reinterpret_cast<MIDICALLBACK>(callback);
    stream->instance = instance;
    openStream = stream.release();
    Deliver(openStream);
    *handle = reinterpret_cast<HMIDISTRM>(openStream);
    openStream->Notify(MOM_OPEN, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM handle) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    // A callback of the stream cannot close it under the play that called it.
    if (stream->inPlay) return MMSYSERR_ERROR;
    if (!stream->queue.empty()) return MIDIERR_STILLPLAYING;
    stream->CancelTimer();
    openStream = nullptr;
    stream->sink->AllNotesOff();
    stream->Notify(MOM_CLOSE, 0);
    delete stream;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM handle, LPMIDIHDR header, UINT headerSize) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!HeaderSizeOk(header, headerSize)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (!header->lpData || header->dwBytesRecorded > header->dwBufferLength) return MMSYSERR_INVALPARAM;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    stream->queue.push_back(header);
    stream->Wake();
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM handle) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!stream->playing) {
        stream->playing = true;
        stream->starved = true;
        stream->Wake();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM handle) {
    Stream* stream = Find(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    stream->CancelTimer();
    stream->playing = false;
    std::deque<MIDIHDR*> returned;
    returned.swap(stream->queue);
    stream->offset = 0;
    stream->tempo = kDefaultTempo;
    for (MIDIHDR* header : returned) header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    stream->sink->AllNotesOff();
    for (MIDIHDR* header : returned) stream->Notify(MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize) {
    if (!Find(out)) return MMSYSERR_INVALHANDLE;
    if (!HeaderSizeOk(header, headerSize) || !header->lpData) return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize) {
    if (!Find(out)) return MMSYSERR_INVALHANDLE;
    if (!HeaderSizeOk(header, headerSize)) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT out, DWORD message) {
    Stream* stream = Find(out);
    if (!stream) return MMSYSERR_INVALHANDLE;
    stream->sink->Send(message);
    return MMSYSERR_NOERROR;
}

}  // namespace plat

// The page's synthesiser is ready to sound (1) or will never be (0).
extern "C" EMSCRIPTEN_KEEPALIVE void kestrova_synth_arrived(int ready) {
    using namespace plat;
    pageSynth = ready ? PageSynth::Ready : PageSynth::Failed;
    Deliver(openStream);
}

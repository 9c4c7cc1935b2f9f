#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/midi/mmsystem.h"
#include "tests/support/recording_midi_sink.h"

using namespace plat;

namespace {

struct Call {
    UINT message;
    DWORD_PTR instance;
    DWORD_PTR param1;
};

std::mutex callsLock;
std::condition_variable callsChanged;
std::vector<Call> calls;

void Record(HMIDIOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    std::lock_guard<std::mutex> guard(callsLock);
    calls.push_back({message, instance, param1});
    callsChanged.notify_all();
}

std::vector<Call> Calls() {
    std::lock_guard<std::mutex> guard(callsLock);
    return calls;
}

bool WaitForCall(UINT message, std::size_t count) {
    std::unique_lock<std::mutex> held(callsLock);
    return callsChanged.wait_for(held, std::chrono::seconds(20), [&] {
        std::size_t seen = 0;
        for (const Call& call : calls) seen += call.message == message;
        return seen >= count;
    });
}

HMIDIOUT Out(HMIDISTRM stream) { return reinterpret_cast<HMIDIOUT>(stream); }

class MidiStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMidiSinkForTesting(&sink);
        calls.clear();
        UINT device = MIDI_MAPPER;
        ASSERT_EQ(midiStreamOpen(&stream, &device, 1, reinterpret_cast<DWORD_PTR>(Record), 77, CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    void TearDown() override {
        if (stream) {
            midiStreamStop(stream);
            midiStreamClose(stream);
        }
        SetMidiSinkForTesting(nullptr);
    }
    void Describe(MIDIHDR& header, std::vector<DWORD>& words) {
        header = MIDIHDR{};
        header.lpData = reinterpret_cast<LPSTR>(words.data());
        header.dwBufferLength = header.dwBytesRecorded = static_cast<DWORD>(words.size() * 4);
    }
    RecordingMidiSink sink;
    HMIDISTRM stream = nullptr;
};

TEST_F(MidiStreamTest, OneStreamHoldsTheMapperFromItsOpenToItsClose) {
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].message, MOM_OPEN) << "before midiStreamOpen returns";
    EXPECT_EQ(Calls()[0].instance, 77u);

    HMIDISTRM other = nullptr;
    UINT device = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&other, &device, 1, 0, 0, 0), MMSYSERR_ALLOCATED);
    device = 5;
    EXPECT_EQ(midiStreamOpen(&other, &device, 1, 0, 0, 0), MMSYSERR_BADDEVICEID);
    device = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&other, &device, 2, 0, 0, 0), MMSYSERR_INVALPARAM);

    EXPECT_EQ(midiOutShortMsg(Out(stream), 0x007F2799), MMSYSERR_NOERROR);
    EXPECT_EQ(sink.Messages(), std::vector<DWORD>{0x007F2799}) << "played at once, as given";

    EXPECT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
    EXPECT_EQ(Calls().back().message, MOM_CLOSE);
    EXPECT_EQ(midiOutShortMsg(Out(stream), 0x90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutShortMsg(nullptr, 0x90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamRestart(stream), MMSYSERR_INVALHANDLE);
    stream = nullptr;
}

TEST_F(MidiStreamTest, APausedStreamKeepsItsBufferUntilStopHandsItBackDone) {
    std::vector<DWORD> words{0, 0, 0x007F3C90};
    MIDIHDR header;
    Describe(header, words);
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MIDIERR_UNPREPARED);
    EXPECT_EQ(midiOutPrepareHeader(Out(stream), &header, 64), MMSYSERR_INVALPARAM) << "this host's record is larger";
    ASSERT_EQ(midiOutPrepareHeader(Out(stream), &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_PREPARED);
    header.dwBytesRecorded = header.dwBufferLength + 4;
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_INVALPARAM);
    header.dwBytesRecorded = header.dwBufferLength;

    ASSERT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_PREPARED | MHDR_INQUEUE);
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiOutUnprepareHeader(Out(stream), &header, sizeof header), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiStreamClose(stream), MIDIERR_STILLPLAYING);

    EXPECT_EQ(midiStreamStop(stream), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_PREPARED | MHDR_DONE);
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[1].message, MOM_DONE) << "before midiStreamStop returns";
    EXPECT_EQ(Calls()[1].param1, reinterpret_cast<DWORD_PTR>(&header));
    EXPECT_TRUE(sink.Messages().empty()) << "a new stream is paused";
    EXPECT_EQ(midiOutUnprepareHeader(Out(stream), &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_DONE);
}

TEST_F(MidiStreamTest, ARestartedStreamPlaysItsEventsInOrderUpToBytesRecorded) {
    std::vector<DWORD> words{
        0, 0, 0x000008C0,                        // program change
        1, 0, 0x01000000 | 250000,               // tempo: twice as fast
        2, 0, 0x007F3C90,                        // note on
        0, 0, 0x02000000,                        // nothing
        0, 0, MEVT_F_LONG | 5, 0x11111111, 0x22, // a long event of 5 bytes, padded to 8
        1, 0, MEVT_F_CALLBACK | 0x00003C80,      // note off, with a position callback
        0, 0, 0x007F4090,                        // cut off by dwBytesRecorded
    };
    MIDIHDR first;
    Describe(first, words);
    first.dwBytesRecorded -= 4;  // the last event, all but one word
    std::vector<DWORD> more{0, 0, 0x00003E90};
    MIDIHDR second;
    Describe(second, more);
    ASSERT_EQ(midiOutPrepareHeader(Out(stream), &first, sizeof first), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutPrepareHeader(Out(stream), &second, sizeof second), MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamOut(stream, &first, sizeof first), MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamOut(stream, &second, sizeof second), MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);

    ASSERT_TRUE(WaitForCall(MOM_DONE, 2));
    EXPECT_EQ(sink.Messages(), (std::vector<DWORD>{0x08C0, 0x7F3C90, 0x3C80, 0x3E90}));
    std::vector<Call> seen = Calls();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].message, MOM_POSITIONCB);
    EXPECT_EQ(seen[1].param1, reinterpret_cast<DWORD_PTR>(&first));
    EXPECT_EQ(first.dwOffset, 4u * 17) << "the offset of the event that asked for it";
    EXPECT_EQ(seen[2].message, MOM_DONE);
    EXPECT_EQ(seen[2].param1, reinterpret_cast<DWORD_PTR>(&first)) << "buffers come back in the order queued";
    EXPECT_EQ(seen[3].param1, reinterpret_cast<DWORD_PTR>(&second));
    EXPECT_EQ(second.dwFlags, MHDR_PREPARED | MHDR_DONE);
}

}  // namespace

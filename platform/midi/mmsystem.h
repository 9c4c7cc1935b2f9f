// WinMM MIDI output stand-in: one MIDI stream on the MIDI mapper, played by an
// embedded General MIDI synthesiser. Names and values are the old SDK's; the
// header record is laid out for this host, so callers pass sizeof(MIDIHDR).
#pragma once

#include <cstddef>

#include "platform/win/win_types.h"

namespace plat {

using MMRESULT = UINT;
using DWORD_PTR = std::uintptr_t;

struct HMIDISTRM__;
struct HMIDIOUT__;
using HMIDISTRM = HMIDISTRM__*;
using HMIDIOUT = HMIDIOUT__*;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

constexpr UINT MIDI_MAPPER = static_cast<UINT>(-1);
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;

constexpr UINT MOM_OPEN = 0x3C7;
constexpr UINT MOM_CLOSE = 0x3C8;
constexpr UINT MOM_DONE = 0x3C9;
constexpr UINT MOM_POSITIONCB = 0x3CA;

constexpr DWORD MHDR_DONE = 1;
constexpr DWORD MHDR_PREPARED = 2;
constexpr DWORD MHDR_INQUEUE = 4;

// Stream events: the type is the high byte of dwEvent.
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr BYTE MEVT_SHORTMSG = 0x00;
constexpr BYTE MEVT_TEMPO = 0x01;
constexpr BYTE MEVT_NOP = 0x02;
constexpr BYTE MEVT_LONGMSG = 0x80;

struct MIDIHDR {
    LPSTR lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    MIDIHDR* lpNext;
    DWORD_PTR reserved;
    DWORD dwOffset;
    DWORD_PTR dwReserved[8];
};
using LPMIDIHDR = MIDIHDR*;

// A short event is these three words; a long one is followed by its
// parameter bytes, padded to a whole word.
struct MIDIEVENT {
    DWORD dwDeltaTime;
    DWORD dwStreamID;
    DWORD dwEvent;
    DWORD dwParms[1];
};

// The callback a stream opened with CALLBACK_FUNCTION calls, on the stream's
// own thread for MOM_DONE and MOM_POSITIONCB.
using MIDICALLBACK = void (*)(HMIDIOUT handle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR param2);

// The one device here is the synthesiser; whether it can play (a sound font
// found, an audio output) shows when a stream is opened.
UINT midiOutGetNumDevs();
MMRESULT midiStreamOpen(HMIDISTRM* stream, UINT* deviceId, DWORD deviceCount, DWORD_PTR callback,
                        DWORD_PTR instance, DWORD flags);
MMRESULT midiStreamClose(HMIDISTRM stream);
MMRESULT midiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT headerSize);
MMRESULT midiStreamRestart(HMIDISTRM stream);
MMRESULT midiStreamStop(HMIDISTRM stream);
MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize);
MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize);
MMRESULT midiOutShortMsg(HMIDIOUT out, DWORD message);

}  // namespace plat

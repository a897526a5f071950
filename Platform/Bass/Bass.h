#pragma once
// The audio library the sound code calls: an output device, samples played on
// restartable channels, music streams read through the caller's file procedures,
// a volume attribute with slides, end-of-stream and end-of-slide notifications, and
// global pause and start. Built over SDL2_mixer.
//
// Threads: every call belongs to the main thread. The mixer's thread only marks
// that a stream ended; BASS_ServeSyncs, called by the main thread once per frame,
// turns those marks into the sync callbacks. A callback therefore never runs while
// another call of this library is under way.
//
// Without an audio device the library opens SDL's "dummy" output, so the game runs
// silent; when even that fails every call fails harmlessly (FALSE or 0, error code
// BASS_ERROR_INIT).
#include "Platform/Win32/WinTypes.h"
#include <cstdint>

using QWORD = uint64_t;

using HSAMPLE = DWORD;  // a decoded sample
using HCHANNEL = DWORD; // a playback channel of a sample
using HSTREAM = DWORD;  // a music stream
using HSYNC = DWORD;    // a notification set on a channel or stream

// Error codes of BASS_ErrorGetCode.
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_NOTAVAIL = 37;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_UNKNOWN = -1;

// Channel states of BASS_ChannelIsActive.
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// Attributes.
constexpr DWORD BASS_ATTRIB_VOL = 2;

// Sync types of BASS_ChannelSetSync; the flags may be or-ed into the type.
constexpr DWORD BASS_SYNC_END = 2;
constexpr DWORD BASS_SYNC_SLIDE = 5;
constexpr DWORD BASS_SYNC_MIXTIME = 0x40000000; // accepted; callbacks still come from BASS_ServeSyncs
constexpr DWORD BASS_SYNC_ONETIME = 0x80000000; // the sync is removed after it fired once

// BASS_StreamCreateFileUser systems.
constexpr DWORD STREAMFILE_NOBUFFER = 0;
constexpr DWORD STREAMFILE_BUFFER = 1;

using SYNCPROC = void(HSYNC handle, DWORD channel, DWORD data, void* user);

// The caller's file behind a stream; user is the value given at creation.
using FILECLOSEPROC = void(void* user);
using FILELENPROC = QWORD(void* user);
using FILEREADPROC = DWORD(void* buffer, DWORD length, void* user);
using FILESEEKPROC = BOOL(QWORD offset, void* user);

struct BASS_FILEPROCS {
    FILECLOSEPROC* close;
    FILELENPROC* length;
    FILEREADPROC* read;
    FILESEEKPROC* seek;
};

// --- Device ---
// device -1 is the default output; freq the mixing rate. TRUE when an output (real
// or dummy) is open; BASS_ERROR_ALREADY when it already was.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* classId);
// The device that BASS_Init opened: 1 the default output, 0 the "no sound" device when
// no output could be opened and the game runs silent; -1 (BASS_ERROR_INIT) when none
// is open.
DWORD BASS_GetDevice();
// Frees every sample and stream and closes the output.
BOOL BASS_Free();
// Options are accepted and kept; none changes the mixing.
BOOL BASS_SetConfig(DWORD option, DWORD value);
// Resumes (Start) or pauses (Pause) every channel and the music.
BOOL BASS_Start();
BOOL BASS_Pause();
int BASS_ErrorGetCode();

// --- Samples ---
// Decodes a WAV or Ogg Vorbis file, from memory (mem TRUE: file points at length
// bytes) or from a UTF-8 path. 0 on failure, with the reason in BASS_ErrorGetCode.
HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max, DWORD flags);
// Frees the sample with every channel made from it.
BOOL BASS_SampleFree(HSAMPLE sample);
// A new channel of the sample (each channel plays the sample once at a time).
HCHANNEL BASS_SampleGetChannel(HSAMPLE sample, BOOL onlyNew);

// --- Streams ---
// A music stream over the caller's file. The file is read whole at creation, so the
// procedures are never called from the mixer's thread; close is called at once.
HSTREAM BASS_StreamCreateFileUser(DWORD system, DWORD flags, const BASS_FILEPROCS* procs, void* user);
BOOL BASS_StreamFree(HSTREAM stream);

// --- Channels (sample channels and streams) ---
// Plays; restart TRUE starts from the beginning even while it plays. Only one
// stream plays at a time: playing a stream stops any other.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelStop(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attribute, float value);
BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attribute, float* value);
// Slides the volume to value over time milliseconds. A stream sliding to silence
// fades out and stops at the end; other slides are stepped by BASS_ServeSyncs.
// Either way the slide syncs fire once it ends.
BOOL BASS_ChannelSlideAttribute(DWORD handle, DWORD attribute, float value, DWORD time);
// Type BASS_SYNC_END (a stream reached its end) or BASS_SYNC_SLIDE (a slide ended).
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user);
BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);

// --- Our addition: the main thread's side of the notifications ---
// Steps the running slides and calls the sync callbacks of every stream end and
// slide end since the last call, on the calling thread. Returns how many it called.
int BASS_ServeSyncs();

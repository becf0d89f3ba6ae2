// Stand-in for the subset of the FMOD 3 sound library (fmod.dll) that Zel 16 calls, with the
// library's own names, values and signatures. It streams MP3 files through libmpg123 to an
// SDL2 audio device; the behaviour lives in fsound.cpp, the decoder in mp3_source.cpp. The
// stand-in's own switches and decoding for tools are in zel_sound_ext.h.
#pragma once

#if defined(_WIN32)
#define F_API __stdcall
#else
#define F_API
#endif

typedef struct FSOUND_STREAM FSOUND_STREAM;

// ---- sample and stream mode flags (FSOUND_MODES) ----
#define FSOUND_LOOP_OFF 0x00000001     // play once
#define FSOUND_LOOP_NORMAL 0x00000002  // not supported by the stand-in: streams play once
#define FSOUND_LOOP_BIDI 0x00000004
#define FSOUND_8BITS 0x00000008
#define FSOUND_16BITS 0x00000010
#define FSOUND_MONO 0x00000020
#define FSOUND_STEREO 0x00000040
#define FSOUND_UNSIGNED 0x00000080
#define FSOUND_SIGNED 0x00000100
#define FSOUND_HW3D 0x00001000
#define FSOUND_2D 0x00002000
#define FSOUND_STREAMABLE 0x00004000
#define FSOUND_LOADMEMORY 0x00008000  // refused: the stand-in streams files only
#define FSOUND_LOADRAW 0x00010000
#define FSOUND_MPEGACCURATE 0x00020000
#define FSOUND_FORCEMONO 0x00040000
#define FSOUND_HW2D 0x00080000
#define FSOUND_NORMAL (FSOUND_16BITS | FSOUND_SIGNED | FSOUND_MONO)

// ---- special channel numbers ----
#define FSOUND_FREE (-1)  // let the library pick the first free channel

// ---- FSOUND_Init flags (accepted and ignored: none changes what is heard here) ----
#define FSOUND_INIT_USEDEFAULTMIDISYNTH 0x0001
#define FSOUND_INIT_GLOBALFOCUS 0x0002

// Opens the sound output: `mixrate` Hz, 16-bit stereo, `maxsoftwarechannels` channels
// (numbered 0 to count - 1). TRUE (1) on success; FALSE (0) when there is no audio device or it
// cannot be opened, after which every play request is refused. A second call re-opens.
signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// Closes the output; open streams stay open but are no longer heard.
void F_API FSOUND_Close(void);

// Opens an MP3 file for streaming (decoded while it plays). `offset` must be 0; `length` (the
// file's size) is not needed for files and is ignored. Null when the file is missing or not MP3.
FSOUND_STREAM *F_API FSOUND_Stream_Open(const char *name_or_data, unsigned int mode, int offset,
                                       int length);
// Starts the stream on `channel` (or FSOUND_FREE) and returns the channel used, or -1 when
// refused: no stream, no output, a channel outside 0..count-1. A stream that has already been
// started is left as it is, playing or finished, and its channel is returned.
int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM *stream);
// Stops the stream if it plays and frees it. FALSE for a null stream.
signed char F_API FSOUND_Stream_Close(FSOUND_STREAM *stream);
// TRUE while a stream is being heard on `channel`.
signed char F_API FSOUND_IsPlaying(int channel);

// The subset of the FMOD 3 sound library that the demo calls, the same on
// every platform: over SDL2 on Linux, DirectSound and WinMM on Windows, Web
// Audio in the browser (src/platform/fmod).
// Names, argument order and constant values are the library's; booleans are
// one-byte signed values (non-zero for success). Handles are opaque and stay
// valid until FSOUND_Close, which frees every loaded sample and song.
#pragma once

struct FSOUND_SAMPLE;
struct FMUSIC_MODULE;

// Output types, in the demo's order of preference 2, 1, 0.
enum {
  FSOUND_OUTPUT_NOSOUND = 0,  // silent, consumed in real time: timing is unchanged
  FSOUND_OUTPUT_WINMM = 1,    // waveOut on Windows; on Linux a second real output of SDL's, if any;
                              // none in the browser
  FSOUND_OUTPUT_DSOUND = 2,   // DirectSound on Windows; on Linux SDL's default (honours SDL_AUDIODRIVER);
                              // the page's AudioContext in the browser
};

// As a sample index: any free sample slot; as a channel: any free channel.
#define FSOUND_FREE (-1)

// Sample modes. Samples always play once. Bit depth and channel count are read
// only for headerless data loaded with FSOUND_LOADRAW (8-bit data unsigned,
// 16-bit data signed little-endian, 44100 Hz); self-describing files keep
// their own format: integer-PCM WAV and MPEG layer III (MP3) load, anything
// else is refused, as is anything over ten minutes.
#define FSOUND_LOOP_OFF 0x00000001u
#define FSOUND_8BITS 0x00000008u
#define FSOUND_MONO 0x00000020u
#define FSOUND_LOADRAW 0x00004000u

float FSOUND_GetVersion();
signed char FSOUND_SetOutput(int outputtype);
signed char FSOUND_SetDriver(int driver);
// Opens the chosen output as 16-bit stereo at mixrate; no init flag changes anything.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
void FSOUND_Close();
void FSOUND_SetSFXMasterVolume(int volume);

// Decodes the whole file (from byte `offset` on) into memory; null on failure.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset);
// The channel the sample started on, or -1 (no free channel, bad handle).
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr);
signed char FSOUND_SetVolume(int channel, int vol);  // 0..255
signed char FSOUND_SetPan(int channel, int pan);     // 0 left .. 255 right, 128 centre

// MOD, S3M, XM and IT modules where the platform has a module player (Linux);
// null for anything else, and on Windows and in the browser.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE* mod, int volume);  // 0..255
signed char FMUSIC_OptimizeChannels(FMUSIC_MODULE* mod, int maxchannels, int minvolume);
// Starts the song once; one song plays at a time, so it replaces any other.
signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod);

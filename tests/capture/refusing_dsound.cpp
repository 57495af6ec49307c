// A dsound.dll without a device: DirectSoundCreate refuses, as it does on a
// Windows machine whose DirectSound has no driver. The capture tests put it
// beside vimra.exe (with Wine told to take it over its own) to hear the
// program fall back to waveOut.
#include <windows.h>

#include <dsound.h>

extern "C" HRESULT WINAPI DirectSoundCreate(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN) { return DSERR_NODRIVER; }

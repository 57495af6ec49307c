// The music reaches a real output and starts with the demo clock: the demo
// runs with SDL's "disk" audio driver, which writes the mixed output to a
// file in real time, and the music's onset in that file is compared with the
// moment the clock started.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "d3d9_seams.h"
#include "fmod_seams.h"
#include "core/globals.h"
#include "host/run_demo.h"
#include "recording_device.h"
#include "win32_seams.h"

namespace {

using Clock = std::chrono::steady_clock;

// Forwards to the real library and notes when the output opened and when the
// sample started. The output runs on while the music decodes.
class TimedLibrary : public FmodApi {
 public:
  Clock::time_point Opened, Started;
  int iPlays = 0;

  template <typename Call>
  auto Real(Call call) {
    FmodSetApi(nullptr);
    auto result = call();
    FmodSetApi(this);
    return result;
  }

  float GetVersion() override { return Real([] { return FSOUND_GetVersion(); }); }
  signed char SetOutput(int i) override { return Real([i] { return FSOUND_SetOutput(i); }); }
  signed char SetDriver(int i) override { return Real([i] { return FSOUND_SetDriver(i); }); }
  signed char Init(int iRate, int iChannels, unsigned int dwFlags) override {
    const signed char bOk = Real([=] { return FSOUND_Init(iRate, iChannels, dwFlags); });
    Opened = Clock::now();
    return bOk;
  }
  void Close() override {
    FmodSetApi(nullptr);
    FSOUND_Close();
    FmodSetApi(this);
  }
  void SetSfxMasterVolume(int i) override {
    FmodSetApi(nullptr);
    FSOUND_SetSFXMasterVolume(i);
    FmodSetApi(this);
  }
  FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) override {
    return Real([=] { return FSOUND_Sample_Load(iIndex, pName, dwMode, iOffset); });
  }
  int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) override {
    const int iResult = Real([=] { return FSOUND_PlaySound(iChannel, pSample); });
    Started = Clock::now();
    ++iPlays;
    return iResult;
  }
  signed char SetVolume(int c, int v) override { return Real([=] { return FSOUND_SetVolume(c, v); }); }
  signed char SetPan(int c, int p) override { return Real([=] { return FSOUND_SetPan(c, p); }); }
  FMUSIC_MODULE* LoadSong(const char* p) override { return Real([=] { return FMUSIC_LoadSong(p); }); }
  signed char SetMusicMasterVolume(FMUSIC_MODULE* m, int v) override {
    return Real([=] { return FMUSIC_SetMasterVolume(m, v); });
  }
  signed char OptimizeChannels(FMUSIC_MODULE* m, int c, int v) override {
    return Real([=] { return FMUSIC_OptimizeChannels(m, c, v); });
  }
  signed char PlaySong(FMUSIC_MODULE* m) override { return Real([=] { return FMUSIC_PlaySong(m); }); }
};

constexpr int kLoud = 256;

// Index of the first stereo frame with a channel at or above kLoud; -1 if none.
long FirstLoudFrame(const int16_t* pSamples, size_t iSamples) {
  for (size_t i = 0; i < iSamples; ++i) {
    if (std::abs(pSamples[i]) >= kLoud) return static_cast<long>(i / 2);
  }
  return -1;
}

TEST(MusicStart, MusicReachesTheOutputWithinATenthOfASecondOfDemoTimeZero) {
  const std::filesystem::path Data = std::getenv("VIMRA_DATA") ? std::getenv("VIMRA_DATA") : "data";
  const std::filesystem::path Music = Data / "demodemo.mp3";
  if (!std::filesystem::exists(Music)) GTEST_SKIP() << "no music file";

  // The music's own onset, decoded the same way at the same rate.
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
  ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0);
  Mix_Chunk* pChunk = Mix_LoadWAV(Music.c_str());
  ASSERT_NE(pChunk, nullptr);
  const long iSourceOnset = FirstLoudFrame(reinterpret_cast<const int16_t*>(pChunk->abuf), pChunk->alen / 2);
  Mix_FreeChunk(pChunk);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  ASSERT_GE(iSourceOnset, 0);

  const std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("vimra-music-" + std::to_string(::getpid()));
  std::filesystem::create_directories(Folder);
  std::filesystem::copy_file(Music, Folder / "demodemo.mp3", std::filesystem::copy_options::overwrite_existing);
  const std::filesystem::path Output = Folder / "output.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", Output.c_str(), 1);
  const std::filesystem::path OldFolder = std::filesystem::current_path();
  std::filesystem::current_path(Folder);

  TimedLibrary library;
  FmodSetApi(&library);
  Clock::time_point ClockStart;
  bool bClockStarted = false;
  Win32SetTimeSource([&] {
    if (!bClockStarted) ClockStart = Clock::now(), bClockStarted = true;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
  });
  // F2 held from the start: about a second and a half of real time.
  Win32SetKeySource([](int iKey) -> SHORT { return iKey == VK_F2 ? static_cast<SHORT>(0x8000) : 0; });
  RecordingDirect3D* pD3DRecorder = nullptr;
  D3D9SetCreateOverride([&](UINT) -> IDirect3D9* {
    pD3DRecorder = new RecordingDirect3D([](DWORD, const D3DPRESENT_PARAMETERS&) { return true; });
    pD3DRecorder->bRecordNewDevices = false;
    return pD3DRecorder;
  });
  pDevice = nullptr;
  dwDemoTime = 0;
  RunDemo();

  Win32ResetSeams();
  D3D9SetCreateOverride(nullptr);
  FmodSetApi(nullptr);
  std::filesystem::current_path(OldFolder);
  pDevice = nullptr;

  std::vector<int16_t> Frames(std::filesystem::file_size(Output) / 2);
  std::ifstream(Output, std::ios::binary).read(reinterpret_cast<char*>(Frames.data()),
                                               static_cast<std::streamsize>(Frames.size() * 2));
  std::filesystem::remove_all(Folder);

  ASSERT_EQ(library.iPlays, 1);
  ASSERT_TRUE(bClockStarted);
  const long iOutputOnset = FirstLoudFrame(Frames.data(), Frames.size());
  ASSERT_GE(iOutputOnset, 0) << "the output stayed silent";
  // The file begins when the output opened and runs in real time.
  auto Seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
  const double fPlayAt = Seconds(library.Started - library.Opened);
  const double fClockAt = Seconds(ClockStart - library.Opened);
  const double fHeardAt = double(iOutputOnset - iSourceOnset) / 44100.0;
  EXPECT_LT(fClockAt - fPlayAt, 0.01);
  // The disk output is written a mixing buffer (1024 frames, 23 ms) at a
  // time, so the file places the onset only to within one buffer.
  const double kBuffer = 1024.0 / 44100.0;
  EXPECT_LT(std::abs(fHeardAt - fClockAt), 0.1 + kBuffer) << "heard at " << fHeardAt << " s, clock started at " << fClockAt
                                                << " s after the output opened";
}

}  // namespace

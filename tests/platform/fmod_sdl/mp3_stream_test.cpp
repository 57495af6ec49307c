// MP3 samples decoded while they play: the stream holds the same audio as
// SDL_mixer's whole-file decoding, its first seconds are ready at load, and
// what reaches the output is the decoded music, not the silent chunk the
// mixer plays underneath.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "disk_output.h"
#include "fmod.h"
#include "mp3_stream.h"

namespace {

constexpr int kRate = 44100;
constexpr size_t kFrameBytes = 4;  // 16-bit stereo

std::string MusicPath() {
  const char* pData = std::getenv("VIMRA_DATA");
  return std::string(pData != nullptr ? pData : "data") + "/demodemo.mp3";
}

std::vector<unsigned char> ReadAll(const std::string& strPath) {
  std::ifstream File(strPath, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
}

class Mp3StreamTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(MusicPath())) GTEST_SKIP() << "no " << MusicPath();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
    ASSERT_EQ(Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024), 0);
    bOpen = true;
  }
  void TearDown() override {
    if (!bOpen) return;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  bool bOpen = false;
};

TEST_F(Mp3StreamTest, HoldsWhatTheWholeFileDecodesTo) {
  Mix_Chunk* pWhole = Mix_LoadWAV(MusicPath().c_str());
  ASSERT_NE(pWhole, nullptr);
  std::unique_ptr<Mp3Stream> pStream = Mp3Stream::Start(ReadAll(MusicPath()), kRate, 2, 600.0, 1.0);
  ASSERT_NE(pStream, nullptr);
  // One second is ready when Start returns; the rest follows on the worker.
  EXPECT_GE(pStream->DecodedBytes(), kRate * kFrameBytes);
  EXPECT_EQ(pStream->Chunk()->alen, pStream->TotalBytes());
  EXPECT_EQ(pStream->WaitFor(pStream->TotalBytes()), pStream->TotalBytes());

  // The same decoder behind both: the same length to within one MPEG frame,
  // the same samples.
  const size_t iWhole = pWhole->alen;
  EXPECT_NEAR(double(pStream->TotalBytes()), double(iWhole), 1152.0 * kFrameBytes);
  const size_t iCommon = std::min(iWhole, pStream->TotalBytes());
  size_t iDiffering = 0;
  for (size_t i = 0; i < iCommon; ++i) iDiffering += pStream->Data()[i] != pWhole->abuf[i];
  EXPECT_EQ(iDiffering, 0u);
  // The silent chunk the mixer plays stays silent.
  const Uint8* pSilence = pStream->Chunk()->abuf;
  EXPECT_TRUE(std::all_of(pSilence, pSilence + pStream->TotalBytes(), [](Uint8 b) { return b == 0; }));
  Mix_FreeChunk(pWhole);
}

TEST_F(Mp3StreamTest, OtherFilesAreNotTakenForMpegAudio) {
  EXPECT_FALSE(Mp3Stream::IsMpegAudio({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}));
  EXPECT_FALSE(Mp3Stream::IsMpegAudio({'O', 'g', 'g', 'S'}));
  EXPECT_FALSE(Mp3Stream::IsMpegAudio({}));
  EXPECT_EQ(Mp3Stream::Start({'O', 'g', 'g', 'S', 0, 0}, kRate, 2, 600.0), nullptr);
  // Longer than the cap: refused before anything is decoded.
  EXPECT_EQ(Mp3Stream::Start(ReadAll(MusicPath()), kRate, 2, 60.0), nullptr);
  // Sync bits followed by nothing decodable: no length, no stream.
  EXPECT_EQ(Mp3Stream::Start({0xFF, 0xFB, 0x00, 0x00}, kRate, 2, 600.0), nullptr);
}

// Through the library's calls, as the demo plays it: the disk output holds
// the decoded music from its onset on, sample for sample.
TEST(Mp3Playback, OutputCarriesTheDecodedMusic) {
  if (!std::filesystem::exists(MusicPath())) GTEST_SKIP() << "no " << MusicPath();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
  ASSERT_EQ(Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024), 0);
  Mix_Chunk* pWhole = Mix_LoadWAV(MusicPath().c_str());
  ASSERT_NE(pWhole, nullptr);
  std::vector<int16_t> Reference(reinterpret_cast<int16_t*>(pWhole->abuf),
                                 reinterpret_cast<int16_t*>(pWhole->abuf) + pWhole->alen / 2);
  Mix_FreeChunk(pWhole);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);

  TempFolder Folder;
  const std::string strOutput = Folder.File("output.raw");
  UseDiskOutput(strOutput);
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) && FSOUND_SetDriver(0) && FSOUND_Init(kRate, 32, 0));
  FSOUND_SAMPLE* pMusic = FSOUND_Sample_Load(FSOUND_FREE, MusicPath().c_str(), 41, 0);
  ASSERT_NE(pMusic, nullptr);
  ASSERT_GE(FSOUND_PlaySound(FSOUND_FREE, pMusic), 0);
  constexpr int kCompared = kRate * 3 / 2;  // past the first second decoded at load
  WaitForOutput(strOutput, kCompared + kRate);
  FSOUND_Close();

  const std::vector<unsigned char> Bytes = ReadAll(strOutput);
  const auto* pOut = reinterpret_cast<const int16_t*>(Bytes.data());
  const size_t iOutSamples = Bytes.size() / 2;
  auto FirstLoud = [](const int16_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
      if (std::abs(p[i]) >= 256) return static_cast<long>(i - i % 2);
    return -1L;
  };
  const long iOutOnset = FirstLoud(pOut, iOutSamples), iRefOnset = FirstLoud(Reference.data(), Reference.size());
  ASSERT_GE(iOutOnset, 0) << "the output stayed silent";
  ASSERT_GE(iRefOnset, 0);
  ASSERT_GE(iOutSamples, static_cast<size_t>(iOutOnset) + 2 * kCompared);
  ASSERT_GE(Reference.size(), static_cast<size_t>(iRefOnset) + 2 * kCompared);
  int iDiffering = 0;
  for (int i = 0; i < 2 * kCompared; ++i) iDiffering += pOut[iOutOnset + i] != Reference[static_cast<size_t>(iRefOnset + i)];
  EXPECT_EQ(iDiffering, 0);
}

}  // namespace

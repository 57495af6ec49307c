// The sound library's readers: what a WAV header must hold, how MP3 length is
// counted (as a decoder follows the frames, past junk), and raw data's
// widening.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "fmod.h"
#include "sound_files.h"

namespace {

void PutLe(std::vector<unsigned char>& Out, uint32_t dwValue, int iBytes) {
  for (int i = 0; i < iBytes; ++i) Out.push_back(static_cast<unsigned char>(dwValue >> (8 * i)));
}

// A WAV of 1000 frames of 16-bit stereo at 22050 Hz; Edit changes a field
// (by offset) before the samples are appended.
std::vector<unsigned char> Wav(const std::function<void(std::vector<unsigned char>&)>& Edit = nullptr) {
  std::vector<unsigned char> Bytes = {'R', 'I', 'F', 'F'};
  PutLe(Bytes, 36 + 4000, 4);
  for (const char c : std::string("WAVEfmt ")) Bytes.push_back(static_cast<unsigned char>(c));
  PutLe(Bytes, 16, 4);
  PutLe(Bytes, 1, 2);            // 20: format
  PutLe(Bytes, 2, 2);            // 22: channels
  PutLe(Bytes, 22050, 4);        // 24: rate
  PutLe(Bytes, 22050 * 4, 4);    // 28: bytes per second
  PutLe(Bytes, 4, 2);            // 32: block align
  PutLe(Bytes, 16, 2);           // 34: bits
  for (const char c : std::string("data")) Bytes.push_back(static_cast<unsigned char>(c));
  PutLe(Bytes, 4000, 4);         // 40: data size
  if (Edit) Edit(Bytes);
  Bytes.resize(44 + 4000, 0x11);
  return Bytes;
}

void Set16(std::vector<unsigned char>& Bytes, size_t iAt, uint32_t v) { Bytes[iAt] = v & 0xFF, Bytes[iAt + 1] = v >> 8; }
void Set32(std::vector<unsigned char>& Bytes, size_t iAt, uint32_t v) {
  for (int i = 0; i < 4; ++i) Bytes[iAt + i] = static_cast<unsigned char>(v >> (8 * i));
}

struct BadHeader {
  const char* pWhat;
  std::function<void(std::vector<unsigned char>&)> Edit;
};

class WavHeaders : public testing::TestWithParam<BadHeader> {};

}  // namespace

TEST(WavReader, ReadsIntegerPcmAndKeepsWhatACutRecordingHolds) {
  PcmSound Pcm;
  const std::vector<unsigned char> Bytes = Wav();
  ASSERT_TRUE(DecodeWav(Bytes.data(), Bytes.size(), Pcm));
  EXPECT_EQ(Pcm.iRate, 22050);
  EXPECT_EQ(Pcm.iChannels, 2);
  EXPECT_EQ(Pcm.FrameCount(), 1000u);
  EXPECT_EQ(Pcm.Samples[0], 0x1111);
  ASSERT_TRUE(DecodeWav(Bytes.data(), 44 + 400, Pcm)) << "the data chunk says more than the file holds";
  EXPECT_EQ(Pcm.FrameCount(), 100u);
}

TEST_P(WavHeaders, AreRefusedAsMissing) {
  const std::vector<unsigned char> Bytes = Wav(GetParam().Edit);
  PcmSound Pcm;
  EXPECT_TRUE(IsWav(Bytes.data(), Bytes.size()));
  EXPECT_FALSE(DecodeWav(Bytes.data(), Bytes.size(), Pcm));
}

INSTANTIATE_TEST_SUITE_P(
    Broken, WavHeaders,
    testing::Values(BadHeader{"NoChannels", [](auto& b) { Set16(b, 22, 0); }},
                    BadHeader{"ThreeChannels", [](auto& b) { Set16(b, 22, 3); }},
                    BadHeader{"HugeChannelsAndBits", [](auto& b) { Set16(b, 22, 64513), Set16(b, 34, 43776); }},
                    BadHeader{"ImaAdpcm", [](auto& b) { Set16(b, 20, 0x11); }},
                    BadHeader{"MsAdpcm", [](auto& b) { Set16(b, 20, 2); }},
                    BadHeader{"Float", [](auto& b) { Set16(b, 20, 3); }},
                    BadHeader{"ZeroRate", [](auto& b) { Set32(b, 24, 0); }},
                    BadHeader{"HugeRate", [](auto& b) { Set32(b, 24, 0x7FFFFFFF); }},
                    BadHeader{"TwelveBits", [](auto& b) { Set16(b, 34, 12); }},
                    BadHeader{"ZeroBlockAlign", [](auto& b) { Set16(b, 32, 0); }},
                    BadHeader{"WrongByteRate", [](auto& b) { Set32(b, 28, 1); }},
                    BadHeader{"ShortFmt", [](auto& b) { Set32(b, 16, 8); }},
                    BadHeader{"HugeFmt", [](auto& b) { Set32(b, 16, 0xFFFFFFF0); }},
                    BadHeader{"DataBeforeFmt", [](auto& b) { std::copy_n("data", 4, b.begin() + 12); }},
                    BadHeader{"EmptyData", [](auto& b) { Set32(b, 40, 0); }}),
    [](const auto& Info) { return std::string(Info.param.pWhat); });

TEST(WavReader, TenMinutesIsTheLongestSound) {
  // 8000 Hz mono 8-bit: 10 minutes are 4.8 MB.
  auto LowRate = [](size_t iFrames) {
    std::vector<unsigned char> Bytes = Wav([&](auto& b) {
      Set16(b, 22, 1), Set32(b, 24, 8000), Set32(b, 28, 8000), Set16(b, 32, 1), Set16(b, 34, 8);
      Set32(b, 40, static_cast<uint32_t>(iFrames));
    });
    Bytes.resize(44 + iFrames, 0x80);
    return Bytes;
  };
  PcmSound Pcm;
  const std::vector<unsigned char> AtCap = LowRate(8000 * 600), OverCap = LowRate(8000 * 600 + 1);
  EXPECT_TRUE(DecodeWav(AtCap.data(), AtCap.size(), Pcm));
  EXPECT_FALSE(DecodeWav(OverCap.data(), OverCap.size(), Pcm));
}

TEST(Mp3Reader, LengthIsCountedAsADecoderReadsPastJunk) {
  // MPEG-2.5 layer III, 8 kbit/s, 8000 Hz mono: 72 ms in 72 bytes.
  auto Frames = [](std::vector<unsigned char>& Out, int iCount) {
    for (int i = 0; i < iCount; ++i) {
      for (const unsigned char c : {0xFF, 0xE3, 0x18, 0xC0}) Out.push_back(c);
      Out.resize(Out.size() + 68, 0);
    }
  };
  std::vector<unsigned char> Bytes;
  Frames(Bytes, 2);
  Bytes.push_back(0x42);  // one stray byte: a decoder resynchronises and goes on
  Frames(Bytes, 1000);
  Mp3Format Format;
  ASSERT_TRUE(FindMp3Format(Bytes.data(), Bytes.size(), Format));
  EXPECT_EQ(Format.iRate, 8000);
  EXPECT_EQ(Format.iChannels, 1);
  EXPECT_NEAR(Mp3Seconds(Bytes.data(), Bytes.size(), Format), 1002 * 0.072, 1e-6);

  // Junk with a valid-looking header every 3000 bytes: a decoder out of step
  // takes a header only when the next one stands where its frame ends, so
  // none of them counts; a frame that ends where the file ends does.
  std::vector<unsigned char> Scattered = Bytes;
  for (int i = 0; i < 1000; ++i) {
    const size_t iAt = Scattered.size();
    Scattered.resize(iAt + 3000, 0x42);
    std::copy(Bytes.begin(), Bytes.begin() + 4, Scattered.begin() + static_cast<std::ptrdiff_t>(iAt + 1000));
  }
  EXPECT_NEAR(Mp3Seconds(Scattered.data(), Scattered.size(), Format), 1002 * 0.072, 1e-6);
  // Nor do two frames of another rate (MPEG-2, 22050 Hz) that follow each
  // other in the junk.
  for (int i = 0; i < 2; ++i) {
    for (const unsigned char c : {0xFF, 0xF3, 0x10, 0xC0}) Scattered.push_back(c);
    Scattered.resize(Scattered.size() + 22, 0x42);
  }
  Scattered.resize(Scattered.size() + 100, 0x42);
  EXPECT_NEAR(Mp3Seconds(Scattered.data(), Scattered.size(), Format), 1002 * 0.072, 1e-6);
  Scattered.push_back(0x42);
  Frames(Scattered, 1);
  EXPECT_NEAR(Mp3Seconds(Scattered.data(), Scattered.size(), Format), 1003 * 0.072, 1e-6);

  // Gathered, the counted frames stand one after another and nothing else.
  std::vector<unsigned char> Expected;
  Frames(Expected, 1003);
  Scattered.resize(GatherMp3Frames(Scattered.data(), Scattered.size(), Format));
  EXPECT_EQ(Scattered, Expected);
}

TEST(Mp3Reader, OnlyAStreamThatStartsWithTwoFramesIsMpegAudio) {
  std::vector<unsigned char> Tagged = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
  Tagged.resize(30 + 8, 0);  // the tag, then zero padding it leaves out
  for (int i = 0; i < 2; ++i) {
    for (const unsigned char c : {0xFF, 0xFB, 0x90, 0x44}) Tagged.push_back(c);
    Tagged.resize(Tagged.size() + 413, 0);
  }
  Mp3Format Format;
  ASSERT_TRUE(FindMp3Format(Tagged.data(), Tagged.size(), Format));
  EXPECT_EQ(Format.iFirstFrame, 38u);
  EXPECT_EQ(Format.iRate, 44100);
  EXPECT_EQ(Format.iBitRate, 128000);
  EXPECT_EQ(Format.iFrameBytes, 417);
  std::vector<unsigned char> OneFrame(Tagged.begin(), Tagged.end() - 417);
  EXPECT_FALSE(FindMp3Format(OneFrame.data(), OneFrame.size(), Format)) << "a lone header is stray bytes";
  std::vector<unsigned char> Late = Tagged;
  Late.insert(Late.begin() + 38, 0x42);
  EXPECT_FALSE(FindMp3Format(Late.data(), Late.size(), Format)) << "junk before the first frame";
  std::vector<unsigned char> Flac = {'f', 'L', 'a', 'C', 0xFF, 0xFB, 0x90, 0x44};
  EXPECT_FALSE(FindMp3Format(Flac.data(), Flac.size(), Format));
}

TEST(RawReader, WidensTo16BitsByTheModeFlags) {
  const std::vector<unsigned char> Bytes = {0x00, 0x80, 0xFF, 0x01, 0x7F};
  PcmSound Pcm;
  ASSERT_TRUE(DecodeRaw(Bytes.data(), Bytes.size(), FSOUND_8BITS | FSOUND_MONO, Pcm));
  EXPECT_EQ(Pcm.Samples, (std::vector<int16_t>{-32768, 0, 32512, -32512, -256}));
  ASSERT_TRUE(DecodeRaw(Bytes.data(), Bytes.size(), 0, Pcm)) << "16-bit stereo: one whole frame";
  EXPECT_EQ(Pcm.iChannels, 2);
  EXPECT_EQ(Pcm.Samples, (std::vector<int16_t>{-32768, 0x01FF}));
  EXPECT_FALSE(DecodeRaw(Bytes.data(), 3, 0, Pcm)) << "less than one frame";
}

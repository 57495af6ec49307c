// The stream is fed in pieces; each conversion returns what the codec has
// decoded so far, and a last call with the END flag drains it.
#include "codec_acm.h"

// Windows' headers first: the ACM's needs theirs before it.
#include "output_windows_streams.h"

#include <msacm.h>

#include <algorithm>
#include <vector>

bool DecodeMp3WithAcm(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames,
                      PcmSound& Pcm, const DecodeProgress& Progress) {
  const Mp3Format& Frame = Format;
  MPEGLAYER3WAVEFORMAT Source{};
  Source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  Source.wfx.nChannels = static_cast<WORD>(Frame.iChannels);
  Source.wfx.nSamplesPerSec = static_cast<DWORD>(Frame.iRate);
  Source.wfx.nAvgBytesPerSec = static_cast<DWORD>(Frame.iBitRate / 8);
  Source.wfx.nBlockAlign = 1;
  Source.wfx.wBitsPerSample = 0;
  Source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  Source.wID = MPEGLAYER3_ID_MPEG;
  Source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
  Source.nBlockSize = static_cast<WORD>(Frame.iFrameBytes);
  Source.nFramesPerBlock = 1;
  Source.nCodecDelay = 0;
  WAVEFORMATEX Target = PcmFormat(Frame.iRate, Frame.iChannels);

  HACMSTREAM hStream = nullptr;
  if (acmStreamOpen(&hStream, nullptr, &Source.wfx, &Target, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
    return false;
  }
  constexpr DWORD kPieceBytes = 16 * 1024;
  // Far more than any bit rate decodes one piece to (8 kbit/s mono at 48 kHz: 96 times).
  constexpr DWORD kOutputBytes = kPieceBytes * 128;
  std::vector<BYTE> Input(kPieceBytes), Output(kOutputBytes);
  ACMSTREAMHEADER Header{};
  Header.cbStruct = sizeof(Header);
  Header.pbSrc = Input.data();
  Header.cbSrcLength = kPieceBytes;
  Header.pbDst = Output.data();
  Header.cbDstLength = kOutputBytes;
  bool bOk = acmStreamPrepareHeader(hStream, &Header, 0) == 0;
  Pcm.iRate = Frame.iRate;
  Pcm.iChannels = Frame.iChannels;
  const size_t iMaxSamples = iMaxFrames * static_cast<size_t>(Frame.iChannels);
  // Appends what a conversion gave, up to the cap; false when Progress stops it.
  const auto Take = [&](DWORD iBytes) {
    const size_t iCount = std::min<size_t>(iBytes / 2, iMaxSamples - Pcm.Samples.size());
    const size_t iAt = Pcm.Samples.size();
    Pcm.Samples.resize(iAt + iCount);
    std::copy(Output.begin(), Output.begin() + static_cast<std::ptrdiff_t>(iCount * 2),
              reinterpret_cast<BYTE*>(Pcm.Samples.data() + iAt));
    return iCount == 0 || !Progress || Progress(Pcm);
  };
  size_t iAt = 0;
  DWORD iFlags = ACM_STREAMCONVERTF_START;
  for (bool bLast = false; bOk && !bLast && Pcm.Samples.size() < iMaxSamples;) {
    const DWORD iPiece = static_cast<DWORD>(std::min<size_t>(kPieceBytes, iSize - iAt));
    std::copy(pData + iAt, pData + iAt + iPiece, Input.begin());
    bLast = iAt + iPiece >= iSize;
    Header.cbSrcLength = iPiece;
    Header.cbDstLength = kOutputBytes;
    bOk = acmStreamConvert(hStream, &Header, iFlags | (bLast ? ACM_STREAMCONVERTF_END : 0)) == 0;
    iFlags = 0;
    if (!bOk) break;
    bOk = Take(Header.cbDstLengthUsed);
    // The codec may keep back a partial frame; feed it again with the next piece.
    iAt += Header.cbSrcLengthUsed > 0 ? Header.cbSrcLengthUsed : iPiece;
    if (bLast && Header.cbSrcLengthUsed < iPiece && Header.cbSrcLengthUsed > 0) bLast = false;
  }
  // Whatever the codec still holds after the END call.
  while (bOk && Pcm.Samples.size() < iMaxSamples) {
    Header.cbSrcLength = 0;
    Header.cbDstLength = kOutputBytes;
    if (acmStreamConvert(hStream, &Header, ACM_STREAMCONVERTF_END) != 0 || Header.cbDstLengthUsed == 0) break;
    bOk = Take(Header.cbDstLengthUsed);
  }
  Header.cbSrcLength = kPieceBytes;
  Header.cbDstLength = kOutputBytes;
  acmStreamUnprepareHeader(hStream, &Header, 0);
  acmStreamClose(hStream, 0);
  Pcm.Samples.resize(Pcm.FrameCount() * static_cast<size_t>(Frame.iChannels));
  return bOk && Pcm.FrameCount() > 0;
}

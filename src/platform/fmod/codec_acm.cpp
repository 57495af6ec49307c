// The stream is fed in pieces; each conversion returns what the codec has
// decoded from it, which goes on into the sound, and a last call with the END
// flag drains it. Every piece fed asks whether to stop.
#include "codec_acm.h"

// Windows' headers first: the ACM's needs theirs before it.
#include "output_windows_streams.h"

#include <msacm.h>

#include <algorithm>
#include <vector>

size_t AcmCodec::Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                        const DecodeProgress& Progress) {
  const Mp3Format& Frame = Format;
  if (Pcm.iRate != Frame.iRate || Pcm.iChannels != Frame.iChannels) return 0;
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
    return 0;
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
  const size_t iEnd = Pcm.Samples.size();
  size_t iWritten = 0;
  // Writes what a conversion gave into the sound, up to its end; false when
  // the core stops it.
  const auto Take = [&](DWORD iBytes) {
    const size_t iCount = std::min<size_t>(iBytes / 2, iEnd - iWritten);
    std::copy(Output.begin(), Output.begin() + static_cast<std::ptrdiff_t>(iCount * 2),
              reinterpret_cast<BYTE*>(Pcm.Samples.data() + iWritten));
    iWritten += iCount;
    if (iCount > 0) Progress.Tell(iWritten / static_cast<size_t>(Frame.iChannels));
    return !Progress.Stopping();
  };
  size_t iAt = 0;
  DWORD iFlags = ACM_STREAMCONVERTF_START;
  for (bool bLast = false; bOk && !bLast && iWritten < iEnd;) {
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
  while (bOk && iWritten < iEnd) {
    Header.cbSrcLength = 0;
    Header.cbDstLength = kOutputBytes;
    if (acmStreamConvert(hStream, &Header, ACM_STREAMCONVERTF_END) != 0 || Header.cbDstLengthUsed == 0) break;
    bOk = Take(Header.cbDstLengthUsed);
  }
  Header.cbSrcLength = kPieceBytes;
  Header.cbDstLength = kOutputBytes;
  acmStreamUnprepareHeader(hStream, &Header, 0);
  acmStreamClose(hStream, 0);
  return bOk ? iWritten / static_cast<size_t>(Frame.iChannels) : 0;
}

Mp3Codec& PlatformMp3Codec() {
  static AcmCodec* pCodec = new AcmCodec();
  return *pCodec;
}

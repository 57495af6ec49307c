// The stream is fed in pieces; each conversion returns what the codec has
// decoded so far, and a last call with the END flag drains it.
#include "codec_acm.h"

// Windows' headers first: the ACM's needs theirs before it.
#include "output_windows_streams.h"

#include <msacm.h>

#include <algorithm>
#include <vector>

bool DecodeMp3WithAcm(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames, PcmSound& Pcm) {
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
  std::vector<BYTE> Decoded;
  const size_t iMaxBytes = iMaxFrames * 2 * static_cast<size_t>(Frame.iChannels);
  size_t iAt = 0;
  DWORD iFlags = ACM_STREAMCONVERTF_START;
  for (bool bLast = false; bOk && !bLast && Decoded.size() < iMaxBytes;) {
    const DWORD iPiece = static_cast<DWORD>(std::min<size_t>(kPieceBytes, iSize - iAt));
    std::copy(pData + iAt, pData + iAt + iPiece, Input.begin());
    bLast = iAt + iPiece >= iSize;
    Header.cbSrcLength = iPiece;
    Header.cbDstLength = kOutputBytes;
    bOk = acmStreamConvert(hStream, &Header, iFlags | (bLast ? ACM_STREAMCONVERTF_END : 0)) == 0;
    iFlags = 0;
    if (!bOk) break;
    Decoded.insert(Decoded.end(), Output.begin(), Output.begin() + Header.cbDstLengthUsed);
    // The codec may keep back a partial frame; feed it again with the next piece.
    iAt += Header.cbSrcLengthUsed > 0 ? Header.cbSrcLengthUsed : iPiece;
    if (bLast && Header.cbSrcLengthUsed < iPiece && Header.cbSrcLengthUsed > 0) bLast = false;
  }
  // Whatever the codec still holds after the END call.
  while (bOk && Decoded.size() < iMaxBytes) {
    Header.cbSrcLength = 0;
    Header.cbDstLength = kOutputBytes;
    if (acmStreamConvert(hStream, &Header, ACM_STREAMCONVERTF_END) != 0 || Header.cbDstLengthUsed == 0) break;
    Decoded.insert(Decoded.end(), Output.begin(), Output.begin() + Header.cbDstLengthUsed);
  }
  Header.cbSrcLength = kPieceBytes;
  Header.cbDstLength = kOutputBytes;
  acmStreamUnprepareHeader(hStream, &Header, 0);
  acmStreamClose(hStream, 0);
  if (!bOk || Decoded.size() < 2) return false;
  Pcm.iRate = Frame.iRate;
  Pcm.iChannels = Frame.iChannels;
  Decoded.resize(std::min(Decoded.size(), iMaxBytes));
  Pcm.Samples.resize(Decoded.size() / 2);
  std::copy(Decoded.begin(), Decoded.begin() + Pcm.Samples.size() * 2, reinterpret_cast<BYTE*>(Pcm.Samples.data()));
  return true;
}

// The back buffer of the GL device: an offscreen framebuffer (multisampled
// or not) that Clear fills, Present resolves and scales into the window, and
// the read-back seam copies out. Its size follows the window (gl_draw_size.h):
// a Present that finds the window at another size has the next frame drawn
// at the new size, so one frame at most is shown scaled. The buffers are
// remade when that frame begins (its Clear or BeginScene), so that what was
// presented can still be read back. Its rows are Direct3D's, top row first, on
// the screen; only the read-back flips them, since GL's rows start at the
// bottom.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "gl_device.h"
#include "gl_enums.h"

namespace d3d9gl {

// ---- creation and baseline ---------------------------------------------------

bool GlDevice::BuildBackBuffer() {
  MakeCurrent();
  Gl(glGetIntegerv, GL_MAX_RENDERBUFFER_SIZE, &iMaxEdge);
  if (bFollowWindow) {
    DrawSize Drawable = {0, 0};
    GlDrawableSize(pContext, Drawable.iWidth, Drawable.iHeight);
    const DrawSize Size = WantedSize(Drawable);
    iWidth = Size.iWidth;
    iHeight = Size.iHeight;
    WindowFull = SizeToDraw({iBaseWidth, iBaseHeight}, Drawable, 1.0, iMaxEdge);
  }
  Next = Drawn();
  Gl(glGenRenderbuffers, 1, &iColourBuffer);
  if (Params.EnableAutoDepthStencil) Gl(glGenRenderbuffers, 1, &iDepthBuffer);
  if (iSamples > 0) Gl(glGenRenderbuffers, 1, &iResolveColour);
  SizeBackBuffer();
  Gl(glGenFramebuffers, 1, &iDrawFramebuffer);
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, iColourBuffer);
  if (iDepthBuffer != 0) {
    Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, iDepthBuffer);
  }
  bool bComplete = Gl(glCheckFramebufferStatus, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (iSamples > 0) {
    Gl(glGenFramebuffers, 1, &iResolveFramebuffer);
    Gl(glBindFramebuffer, GL_FRAMEBUFFER, iResolveFramebuffer);
    Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, iResolveColour);
    bComplete = bComplete && Gl(glCheckFramebufferStatus, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  if (!bComplete) return false;
  SetBaseline();
  return true;
}

// New storage for the same renderbuffers: the framebuffers that hold them
// need nothing else.
void GlDevice::SizeBackBuffer() {
  const GLenum eColourFormat = Params.BackBufferFormat == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
  auto Storage = [&](GLuint iRenderbuffer, GLenum eFormat, int iBufferSamples) {
    Gl(glBindRenderbuffer, GL_RENDERBUFFER, iRenderbuffer);
    if (iBufferSamples > 0) {
      Gl(glRenderbufferStorageMultisample, GL_RENDERBUFFER, iBufferSamples, eFormat, iWidth, iHeight);
    } else {
      Gl(glRenderbufferStorage, GL_RENDERBUFFER, eFormat, iWidth, iHeight);
    }
  };
  Storage(iColourBuffer, eColourFormat, iSamples);
  if (iDepthBuffer != 0) Storage(iDepthBuffer, GL_DEPTH24_STENCIL8, iSamples);
  if (iResolveColour != 0) Storage(iResolveColour, eColourFormat, 0);
}

DrawSize GlDevice::WantedSize(DrawSize Drawable) const {
  return SizeToDraw({iBaseWidth, iBaseHeight}, Drawable, Scale.Scale(), iMaxEdge);
}

// The GL state every draw assumes and no Direct3D state changes.
void GlDevice::SetBaseline() {
  Cache.Reset();
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glViewport, 0, 0, iWidth, iHeight);
  // D3D's front faces are clockwise on screen; the back buffer is not flipped.
  Gl(glFrontFace, GL_CW);
  // Flat shading takes the first vertex of a triangle, as D3D does.
  GlFlatShadeFromFirstVertex();
  Gl(glPixelStorei, GL_UNPACK_ALIGNMENT, 1);
  Gl(glPixelStorei, GL_PACK_ALIGNMENT, 1);
  Gl(glGenBuffers, 1, &iUniformBuffer);
  Gl(glBindBufferBase, GL_UNIFORM_BUFFER, kFfpBlockBinding, iUniformBuffer);
  Gl(glBufferData, GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(sizeof(FfpBlock)), static_cast<const void*>(nullptr),
     static_cast<GLenum>(GL_DYNAMIC_DRAW));
  Gl(glGenSamplers, kStageCount, Samplers);
  for (int s = 0; s < kStageCount; ++s) Gl(glBindSampler, static_cast<GLuint>(s), Samplers[s]);
  // GL starts with dithering on, Direct3D with it off.
  Cache.SetScissorTest(false);
  Cache.SetDither(false);
}

// ---- clear and scene ---------------------------------------------------------

HRESULT GlDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && iDepthBuffer == 0) {
    return Refuse(D3D9Refusal::kNoDepthBuffer);
  }
  TakeNextSize();
  MakeCurrent();
  if (bCacheOff) ForgetAppliedState();
  GLbitfield iMask = 0;
  if (Flags & D3DCLEAR_TARGET) {
    float Colour[4];
    ColourToFloats(Color, Colour);
    Cache.SetClearColour(Colour);
    // D3D clears every channel whatever the write mask.
    Cache.SetColourMask(kAllChannels);
    iMask |= GL_COLOR_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_ZBUFFER) {
    Cache.SetClearDepth(std::clamp(Z, 0.0f, 1.0f));
    Cache.SetDepthMask(true);
    iMask |= GL_DEPTH_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_STENCIL) {
    Cache.SetClearStencil(static_cast<GLint>(Stencil & 0xFF));  // the stencil buffer has 8 bits
    Cache.SetStencilMask(0xFF);
    iMask |= GL_STENCIL_BUFFER_BIT;
  }
  if (iMask == 0) return D3D_OK;
  if (Count == 0 || pRects == nullptr) {
    Gl(glClear, iMask);
  } else {
    Cache.SetScissorTest(true);
    // Rectangles count in the engine's back-buffer pixels, whatever size is drawn.
    const auto InDrawnPixels = [](LONG iAt, int iBase, int iDrawn) {
      return static_cast<LONG>((static_cast<int64_t>(std::clamp<LONG>(iAt, 0, iBase)) * iDrawn + iBase / 2) / iBase);
    };
    for (DWORD i = 0; i < Count; ++i) {
      const LONG x1 = InDrawnPixels(pRects[i].x1, iBaseWidth, iWidth);
      const LONG x2 = InDrawnPixels(pRects[i].x2, iBaseWidth, iWidth);
      const LONG y1 = InDrawnPixels(pRects[i].y1, iBaseHeight, iHeight);
      const LONG y2 = InDrawnPixels(pRects[i].y2, iBaseHeight, iHeight);
      if (x2 <= x1 || y2 <= y1) continue;
      // D3D rectangles count rows from the top; GL's from the bottom.
      Gl(glScissor, static_cast<GLint>(x1), static_cast<GLint>(iHeight - y2), static_cast<GLsizei>(x2 - x1),
         static_cast<GLsizei>(y2 - y1));
      Gl(glClear, iMask);
    }
    Cache.SetScissorTest(false);
  }
  iDirty |= kDirtyRaster;  // the write masks must be put back before the next draw
  return D3D_OK;
}

HRESULT GlDevice::BeginScene() {
  if (bInScene) return Refuse(D3D9Refusal::kSceneAlreadyBegun);
  TakeNextSize();
  bInScene = true;
  return D3D_OK;
}

HRESULT GlDevice::EndScene() {
  if (!bInScene) return Refuse(D3D9Refusal::kSceneNotBegun);
  bInScene = false;
  return D3D_OK;
}

// ---- present and read-back ----------------------------------------------------

void GlDevice::ResolveTo(GLuint iTargetFramebuffer) {
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, iTargetFramebuffer);
  Gl(glBlitFramebuffer, 0, 0, iWidth, iHeight, 0, 0, iWidth, iHeight, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT),
     static_cast<GLenum>(GL_NEAREST));
}

// GL refuses a scaled blit out of a multisampled buffer: resolve at full size first.
GLuint GlDevice::ResolvedFramebuffer() {
  if (iSamples == 0) return iDrawFramebuffer;
  ResolveTo(iResolveFramebuffer);
  return iResolveFramebuffer;
}

HRESULT GlDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  MakeCurrent();
  const GLuint iSource = ResolvedFramebuffer();
  int iWindowWidth = 0, iWindowHeight = 0;
  GlDrawableSize(pContext, iWindowWidth, iWindowHeight);
  const PresentRect Shown = FitKeepingShape(iWidth, iHeight, iWindowWidth, iWindowHeight);
  const bool bSameSize = Shown.iWidth == iWidth && Shown.iHeight == iHeight;
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iSource);
  Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, 0u);
  Cache.SetScissorTest(false);  // a blit is scissored too
  if (Shown.iWidth != iWindowWidth || Shown.iHeight != iWindowHeight) {
    constexpr float kBars[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    Cache.SetClearColour(kBars);
    Cache.SetColourMask(kAllChannels);
    iDirty |= kDirtyRaster;  // the write masks must be put back before the next draw
    Gl(glClear, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT));
  }
  Gl(glBlitFramebuffer, 0, 0, iWidth, iHeight, Shown.iX, Shown.iY, Shown.iX + Shown.iWidth, Shown.iY + Shown.iHeight,
     static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT), static_cast<GLenum>(bSameSize ? GL_NEAREST : GL_LINEAR));
  PresentGlContext(pContext);
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  FollowWindow({iWindowWidth, iWindowHeight});
  return D3D_OK;
}

// A frame's time is the wall time since the Present before it, as the
// frame statistics count it: all that the engine does between its frames.
void GlDevice::FollowWindow(DrawSize Drawable) {
  if (!bFollowWindow) return;
  const auto Now = std::chrono::steady_clock::now();
  const bool bTimed = bPresentedBefore;
  const double fMs = std::chrono::duration<double, std::milli>(Now - LastPresent).count();
  LastPresent = Now;
  bPresentedBefore = true;
  if (Drawable.iWidth <= 0 || Drawable.iHeight <= 0) return;  // minimised: keep the buffers for its return
  const DrawSize Base = {iBaseWidth, iBaseHeight};
  const DrawSize Full = SizeToDraw(Base, Drawable, 1.0, iMaxEdge);
  bool bDecided = false;
  if (Full != WindowFull) {
    WindowFull = Full;
    Scale.NewWindow(Full, Base);
  } else if (bTimed) {
    bDecided = Scale.NoteFrame(fMs, Drawn(), Full, Base);
  }
  Next = WantedSize(Drawable);
  static bool bSaid = false;
  if (bDecided && !bSaid && Next != Full) {
    bSaid = true;
    std::fprintf(stderr,
                 "Direct3D 9 device: drawing %dx%d, not the window's %dx%d: frames took %.0f ms at %dx%d, more than "
                 "%.0f (VIMRA_RENDER_SCALE=1 draws every pixel)\n",
                 Next.iWidth, Next.iHeight, Full.iWidth, Full.iHeight, Scale.LastMedianMs(), iWidth, iHeight,
                 DrawScaleChooser::kBudgetMs);
  }
}

void GlDevice::TakeNextSize() {
  if (Next == Drawn()) return;
  MakeCurrent();
  iWidth = Next.iWidth;
  iHeight = Next.iHeight;
  SizeBackBuffer();
  Gl(glViewport, 0, 0, iWidth, iHeight);
  iDirty |= kDirtyValues;  // the half-pixel offset is a fraction of the size
}

bool GlDevice::ReadBackBuffer(std::vector<unsigned char>& Pixels, int& iOutWidth, int& iOutHeight) {
  MakeCurrent();
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, ResolvedFramebuffer());
  const size_t iRowBytes = static_cast<size_t>(iWidth) * 4;
  Pixels.resize(iRowBytes * static_cast<size_t>(iHeight));
  Gl(glReadPixels, 0, 0, iWidth, iHeight, static_cast<GLenum>(GL_RGBA), static_cast<GLenum>(GL_UNSIGNED_BYTE),
     static_cast<void*>(Pixels.data()));
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  // GL's rows start at the bottom; flipped in place, so a caller's buffer is reused frame after frame.
  for (int y = 0; y < iHeight / 2; ++y) {
    auto itRow = Pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * iRowBytes);
    std::swap_ranges(itRow, itRow + static_cast<std::ptrdiff_t>(iRowBytes),
                     Pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(iHeight - 1 - y) * iRowBytes));
  }
  iOutWidth = iWidth;
  iOutHeight = iHeight;
  return true;
}

}  // namespace d3d9gl

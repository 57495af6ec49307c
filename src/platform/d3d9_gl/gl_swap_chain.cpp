#include "gl_swap_chain.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace d3d9gl {

// ---- buffers -----------------------------------------------------------------

GlSwapChain::GlSwapChain(GlContext* pContext, const D3DPRESENT_PARAMETERS& Params, bool bFollowWindow)
    : pContext(pContext),
      Params(Params),
      bFollowWindow(bFollowWindow),
      Size(Base()),
      Next(Base()),
      Scale(FixedScaleFrom(std::getenv("VIMRA_RENDER_SCALE"))) {}

bool GlSwapChain::Build() {
  Gl(glGetIntegerv, GL_MAX_RENDERBUFFER_SIZE, &iMaxEdge);
  if (bFollowWindow) {
    DrawSize Drawable = {0, 0};
    GlDrawableSize(pContext, Drawable.iWidth, Drawable.iHeight);
    Size = Next = WantedSize(Drawable);
    WindowFull = SizeToDraw(Base(), Drawable, 1.0, iMaxEdge);
  }
  Gl(glGenRenderbuffers, 1, &iColourBuffer);
  if (Params.EnableAutoDepthStencil) Gl(glGenRenderbuffers, 1, &iDepthBuffer);
  if (Samples() > 0) Gl(glGenRenderbuffers, 1, &iResolveColour);
  SizeBuffers();
  Gl(glGenFramebuffers, 1, &iDrawFramebuffer);
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, iColourBuffer);
  if (iDepthBuffer != 0) {
    Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, iDepthBuffer);
  }
  bool bComplete = Gl(glCheckFramebufferStatus, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (Samples() > 0) {
    Gl(glGenFramebuffers, 1, &iResolveFramebuffer);
    Gl(glBindFramebuffer, GL_FRAMEBUFFER, iResolveFramebuffer);
    Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, iResolveColour);
    bComplete = bComplete && Gl(glCheckFramebufferStatus, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  return bComplete;
}

// New storage for the same renderbuffers: the framebuffers that hold them
// need nothing else.
void GlSwapChain::SizeBuffers() {
  const GLenum eColourFormat = Params.BackBufferFormat == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
  auto Storage = [&](GLuint iRenderbuffer, GLenum eFormat, int iBufferSamples) {
    Gl(glBindRenderbuffer, GL_RENDERBUFFER, iRenderbuffer);
    if (iBufferSamples > 0) {
      Gl(glRenderbufferStorageMultisample, GL_RENDERBUFFER, iBufferSamples, eFormat, Size.iWidth, Size.iHeight);
    } else {
      Gl(glRenderbufferStorage, GL_RENDERBUFFER, eFormat, Size.iWidth, Size.iHeight);
    }
  };
  Storage(iColourBuffer, eColourFormat, Samples());
  if (iDepthBuffer != 0) Storage(iDepthBuffer, GL_DEPTH24_STENCIL8, Samples());
  if (iResolveColour != 0) Storage(iResolveColour, eColourFormat, 0);
}

DrawSize GlSwapChain::WantedSize(DrawSize Drawable) const {
  return SizeToDraw(Base(), Drawable, Scale.Scale(), iMaxEdge);
}

// The picture fills the buffer: it has the engine's shape at every size.
D3DRECT GlSwapChain::InDrawnPixels(const D3DRECT& Rect) const {
  return ScaleToPicture(Rect, Base(), {0, 0, Size.iWidth, Size.iHeight});
}

bool GlSwapChain::TakeNextSize() {
  if (Next == Size) return false;
  MakeGlContextCurrent(pContext);
  Size = Next;
  SizeBuffers();
  Gl(glViewport, 0, 0, Size.iWidth, Size.iHeight);
  return true;
}

// ---- present and read-back ----------------------------------------------------

void GlSwapChain::ResolveTo(GLuint iTargetFramebuffer) {
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, iTargetFramebuffer);
  Gl(glBlitFramebuffer, 0, 0, Size.iWidth, Size.iHeight, 0, 0, Size.iWidth, Size.iHeight,
     static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT), static_cast<GLenum>(GL_NEAREST));
}

// GL refuses a scaled blit out of a multisampled buffer: resolve at full size first.
GLuint GlSwapChain::ResolvedFramebuffer() {
  if (Samples() == 0) return iDrawFramebuffer;
  ResolveTo(iResolveFramebuffer);
  return iResolveFramebuffer;
}

bool GlSwapChain::Present(GlStateCache& Cache) {
  const GLuint iSource = ResolvedFramebuffer();
  DrawSize Window = {0, 0};
  GlDrawableSize(pContext, Window.iWidth, Window.iHeight);
  const PictureRect Shown = FitKeepingShape(Size, Window);
  const bool bSameSize = Shown.iWidth == Size.iWidth && Shown.iHeight == Size.iHeight;
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iSource);
  Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, 0u);
  Cache.SetScissorTest(false);  // a blit is scissored too
  const bool bBars = Shown.iWidth != Window.iWidth || Shown.iHeight != Window.iHeight;
  if (bBars) {
    constexpr float kBars[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    Cache.SetClearColour(kBars);
    Cache.SetColourMask(kAllChannels);
    Gl(glClear, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT));
  }
  Gl(glBlitFramebuffer, 0, 0, Size.iWidth, Size.iHeight, Shown.iX, Shown.iY, Shown.iX + Shown.iWidth,
     Shown.iY + Shown.iHeight, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT),
     static_cast<GLenum>(bSameSize ? GL_NEAREST : GL_LINEAR));
  PresentGlContext(pContext);
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  FollowWindow(Window);
  return bBars;
}

// A frame's time is the wall time since the Present before it, as the
// frame statistics count it: all that the engine does between its frames.
void GlSwapChain::FollowWindow(DrawSize Drawable) {
  if (!bFollowWindow) return;
  const auto Now = std::chrono::steady_clock::now();
  const std::optional<double> fMs =
      LastPresent ? std::optional(std::chrono::duration<double, std::milli>(Now - *LastPresent).count()) : std::nullopt;
  LastPresent = Now;
  if (Drawable.iWidth <= 0 || Drawable.iHeight <= 0) return;  // minimised: keep the buffers for its return
  const DrawSize Full = SizeToDraw(Base(), Drawable, 1.0, iMaxEdge);
  bool bDecided = false;
  if (Full != WindowFull) {
    WindowFull = Full;
    Scale.NewWindow(Full, Base());
  } else if (fMs) {
    bDecided = Scale.NoteFrame(*fMs, Size, Full, Base());
  }
  Next = WantedSize(Drawable);
  static bool bSaid = false;
  if (bDecided && !bSaid && Next != Full) {
    bSaid = true;
    std::fprintf(stderr,
                 "Direct3D 9 device: drawing %dx%d, not the window's %dx%d: frames took %.0f ms at %dx%d, more than "
                 "%.0f (VIMRA_RENDER_SCALE=1 draws every pixel)\n",
                 Next.iWidth, Next.iHeight, Full.iWidth, Full.iHeight, Scale.LastMedianMs(), Size.iWidth, Size.iHeight,
                 DrawScaleChooser::kBudgetMs);
  }
}

void GlSwapChain::ReadBack(std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight) {
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, ResolvedFramebuffer());
  const size_t iRowBytes = static_cast<size_t>(Size.iWidth) * 4;
  Pixels.resize(iRowBytes * static_cast<size_t>(Size.iHeight));
  Gl(glReadPixels, 0, 0, Size.iWidth, Size.iHeight, static_cast<GLenum>(GL_RGBA), static_cast<GLenum>(GL_UNSIGNED_BYTE),
     static_cast<void*>(Pixels.data()));
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  // GL's rows start at the bottom; flipped in place, so a caller's buffer is reused frame after frame.
  for (int y = 0; y < Size.iHeight / 2; ++y) {
    auto itRow = Pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * iRowBytes);
    std::swap_ranges(
        itRow, itRow + static_cast<std::ptrdiff_t>(iRowBytes),
        Pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(Size.iHeight - 1 - y) * iRowBytes));
  }
  iWidth = Size.iWidth;
  iHeight = Size.iHeight;
}

}  // namespace d3d9gl

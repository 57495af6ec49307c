// The GL device's swap chain: the back buffer the engine draws into, an
// offscreen framebuffer (multisampled or not), and its presentation, resolved
// and scaled into the window. Its size follows the window (picture_size.h,
// gl_draw_scale.h): a Present that finds the window at another size has the
// next frame drawn at the new size, so one frame at most is shown scaled. The
// buffers are remade when that frame begins (its Clear or BeginScene), so that
// what was presented can still be read back. Its rows are Direct3D's, top row
// first, on the screen; only the read-back flips them, since GL's rows start
// at the bottom.
#pragma once

#include <chrono>
#include <optional>
#include <vector>

#include "d3d9.h"
#include "gl_calls.h"
#include "gl_context.h"
#include "gl_draw_scale.h"
#include "gl_state_cache.h"
#include "picture_size.h"

namespace d3d9gl {

class GlSwapChain {
 public:
  // Params as made (MultiSampleType is the samples drawn with). bFollowWindow:
  // the picture is drawn at the window's size (else always at the parameters').
  GlSwapChain(GlContext* pContext, const D3DPRESENT_PARAMETERS& Params, bool bFollowWindow);
  // Makes the buffers, with the context current. False when GL finds them
  // incomplete (the device is then unusable).
  bool Build();

  // The size the engine asked for, the one its rectangles count in.
  DrawSize Base() const {
    return {static_cast<int>(Params.BackBufferWidth), static_cast<int>(Params.BackBufferHeight)};
  }
  DrawSize Drawn() const { return Size; }
  bool HasDepth() const { return iDepthBuffer != 0; }
  GLuint DrawFramebuffer() const { return iDrawFramebuffer; }
  // The engine's rectangle in the pixels drawn at.
  D3DRECT InDrawnPixels(const D3DRECT& Rect) const;

  // At the start of a frame: remakes the buffers and the viewport when
  // Present chose another size. True when it did.
  bool TakeNextSize();
  // Shows the frame in the window, with bars where the window's shape
  // differs, and chooses the next frame's size. True when it cleared the bars
  // (which leaves the colour mask at all channels).
  bool Present(GlStateCache& Cache);
  void ReadBack(std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight);

 private:
  int Samples() const { return static_cast<int>(Params.MultiSampleType); }
  // Gives the buffers storage at Size.
  void SizeBuffers();
  DrawSize WantedSize(DrawSize Drawable) const;
  // After a frame is shown in a drawable of that size: times it and chooses
  // the size of the next one.
  void FollowWindow(DrawSize Drawable);
  void ResolveTo(GLuint iTargetFramebuffer);
  // The framebuffer that holds the finished image: multisampling resolved.
  GLuint ResolvedFramebuffer();

  GlContext* pContext;
  D3DPRESENT_PARAMETERS Params;
  bool bFollowWindow;
  int iMaxEdge = 0;
  DrawSize Size;                 // drawn at now
  DrawSize Next;                 // the next frame's
  DrawSize WindowFull = {0, 0};  // the window's size at scale 1, as last seen
  DrawScaleChooser Scale;
  // When the last frame was presented, for the next one's time.
  std::optional<std::chrono::steady_clock::time_point> LastPresent;

  // Draw target (multisampled when Samples() > 0) and, for multisampling, a
  // single-sample target it is resolved into.
  GLuint iDrawFramebuffer = 0, iColourBuffer = 0, iDepthBuffer = 0;
  GLuint iResolveFramebuffer = 0, iResolveColour = 0;
};

}  // namespace d3d9gl

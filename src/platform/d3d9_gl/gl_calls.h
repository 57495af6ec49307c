// Every GL call of the device goes through Gl(), which counts it, so tests and
// the bench can see what a draw costs and prove that the state caches work.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

namespace d3d9gl {

// GL calls made by the stand-in in this process.
extern uint64_t iGlCalls;

template <typename Fn, typename... Args>
inline auto Gl(Fn fn, Args... args) {
  ++iGlCalls;
  return fn(args...);
}

}  // namespace d3d9gl

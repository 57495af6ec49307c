// Linked into every test program: headless video and silent audio unless the
// caller chose otherwise, and the data folder of this checkout.
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("VIMRA_DATA", VIMRA_TEST_DATA_DIR, 0);
  }
} kTestEnvironment;

}  // namespace

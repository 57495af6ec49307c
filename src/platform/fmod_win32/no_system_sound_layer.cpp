// The system side where there is no Windows (the library's tests on Linux):
// no devices and no MP3 codec, so only the silent output opens.
#include "sound_layer.h"

namespace {

class NoSystemSoundLayer final : public SoundLayer {
 public:
  int DriverCount(int) override { return 0; }
  std::unique_ptr<SoundOutput> Open(int, int, int, PcmSource&) override { return nullptr; }
  bool DecodeMp3(const unsigned char*, size_t, PcmSound&) override { return false; }
};

}  // namespace

SoundLayer& SystemSoundLayer() {
  static NoSystemSoundLayer Layer;
  return Layer;
}

#include "output_pulse.h"

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace {

// The server asks for data as its queue drains; the write callback mixes what
// it asks for, but only while something sounds. When the music ends, nothing
// more is written: the queue drains and the stream waits, empty. A sound that
// then starts (Restart) is written at once, a whole lead of it, and the server
// starts the stream with it: heard within the sink's own latency, however deep
// the lead.
class PulseStream final : public DeviceStream {
 public:
  PulseStream(int iRate, PcmSource& Source) : iRate(iRate), Source(Source) {}

  ~PulseStream() override {
    if (pLoop == nullptr) return;
    pa_threaded_mainloop_stop(pLoop);
    if (pStream != nullptr) {
      pa_stream_disconnect(pStream);
      pa_stream_unref(pStream);
    }
    if (pContext != nullptr) {
      pa_context_disconnect(pContext);
      pa_context_unref(pContext);
    }
    pa_threaded_mainloop_free(pLoop);
  }
  PulseStream(const PulseStream&) = delete;
  PulseStream& operator=(const PulseStream&) = delete;

  bool Connect() {
    pLoop = pa_threaded_mainloop_new();
    if (pLoop == nullptr) return false;
    pContext = pa_context_new(pa_threaded_mainloop_get_api(pLoop), "Vimra");
    if (pContext == nullptr) return false;
    pa_context_set_state_callback(pContext, Signal, this);
    // No server of its own is started: without one, SDL's outputs are next.
    if (pa_context_connect(pContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(pLoop) < 0) {
      return false;
    }
    pa_threaded_mainloop_lock(pLoop);
    const bool bReady = WaitForContext() && ConnectStream();
    pa_threaded_mainloop_unlock(pLoop);
    return bReady;
  }

  void Restart(const std::function<void()>& StartVoice) override {
    pa_threaded_mainloop_lock(pLoop);
    StartVoice();
    Write(pa_stream_writable_size(pStream));
    pa_threaded_mainloop_unlock(pLoop);
  }

 private:
  static void Signal(pa_context*, void* pSelf) { pa_threaded_mainloop_signal(static_cast<PulseStream*>(pSelf)->pLoop, 0); }
  static void SignalStream(pa_stream*, void* pSelf) { pa_threaded_mainloop_signal(static_cast<PulseStream*>(pSelf)->pLoop, 0); }
  static void OnRequest(pa_stream*, size_t iBytes, void* pSelf) { static_cast<PulseStream*>(pSelf)->Write(iBytes); }

  bool WaitForContext() {
    for (;;) {
      const pa_context_state_t State = pa_context_get_state(pContext);
      if (State == PA_CONTEXT_READY) return true;
      if (!PA_CONTEXT_IS_GOOD(State)) return false;
      pa_threaded_mainloop_wait(pLoop);
    }
  }

  bool ConnectStream() {
    const pa_sample_spec Spec{PA_SAMPLE_S16LE, static_cast<uint32_t>(iRate), 2};
    pStream = pa_stream_new(pContext, "Vimra", &Spec, nullptr);
    if (pStream == nullptr) return false;
    pa_stream_set_state_callback(pStream, SignalStream, this);
    pa_stream_set_write_callback(pStream, OnRequest, this);
    const uint32_t iLeadBytes = static_cast<uint32_t>(pa_usec_to_bytes(kPulseLeadMs * PA_USEC_PER_MSEC, &Spec));
    pa_buffer_attr Buffer{};
    Buffer.maxlength = static_cast<uint32_t>(-1);
    Buffer.tlength = iLeadBytes;
    Buffer.prebuf = static_cast<uint32_t>(-1);  // the whole lead: a start writes it at once
    Buffer.minreq = static_cast<uint32_t>(-1);
    Buffer.fragsize = static_cast<uint32_t>(-1);
    if (pa_stream_connect_playback(pStream, nullptr, &Buffer, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0) return false;
    for (;;) {
      const pa_stream_state_t State = pa_stream_get_state(pStream);
      if (State == PA_STREAM_READY) return true;
      if (!PA_STREAM_IS_GOOD(State)) return false;
      pa_threaded_mainloop_wait(pLoop);
    }
  }

  // Called with the loop locked, from its thread or from Restart. The server
  // may hand out less room than it asked for at a time.
  void Write(size_t iBytes) {
    while (iBytes >= 4 && Source.Sounding()) {
      size_t iRoom = iBytes;
      void* pData = nullptr;
      if (pa_stream_begin_write(pStream, &pData, &iRoom) < 0 || pData == nullptr) return;
      iRoom = std::min(iRoom, iBytes);
      iRoom -= iRoom % 4;
      if (iRoom == 0) {
        pa_stream_cancel_write(pStream);
        return;
      }
      Source.Mix(static_cast<int16_t*>(pData), static_cast<int>(iRoom / 4));
      if (pa_stream_write(pStream, pData, iRoom, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
      iBytes -= iRoom;
    }
  }

  int iRate;
  PcmSource& Source;
  pa_threaded_mainloop* pLoop = nullptr;
  pa_context* pContext = nullptr;
  pa_stream* pStream = nullptr;
};

}  // namespace

std::unique_ptr<DeviceStream> OpenPulseStream(int iRate, PcmSource& Source) {
  auto pStream = std::make_unique<PulseStream>(iRate, Source);
  if (!pStream->Connect()) return nullptr;
  return pStream;
}

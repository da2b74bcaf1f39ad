#include "audio/SdlAudioOutput.h"

#include "audio/WorkQueue.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include <SDL.h>
#include <dlfcn.h>

namespace {

// SDL is the fallback for a desktop without a sound server, so it is loaded only when a track
// first needs it: every other launch is spared its library and the dozen that come with it.
struct SdlLibrary
{
    decltype(&SDL_SetHint) setHint;
    decltype(&SDL_InitSubSystem) initSubSystem;
    decltype(&SDL_AddEventWatch) addEventWatch;
    decltype(&SDL_OpenAudioDevice) openAudioDevice;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice;
};

template <typename Function> bool resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

std::optional<SdlLibrary> loadSdlLibrary()
{
    // Never unloaded: SDL's threads and event watch live until the program ends.
    void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return std::nullopt;
    SdlLibrary sdl = {};
    const bool complete = resolve(library, "SDL_SetHint", sdl.setHint) &&
                          resolve(library, "SDL_InitSubSystem", sdl.initSubSystem) &&
                          resolve(library, "SDL_AddEventWatch", sdl.addEventWatch) &&
                          resolve(library, "SDL_OpenAudioDevice", sdl.openAudioDevice) &&
                          resolve(library, "SDL_CloseAudioDevice", sdl.closeAudioDevice) &&
                          resolve(library, "SDL_PauseAudioDevice", sdl.pauseAudioDevice);
    if (!complete)
        return std::nullopt;
    return sdl;
}

// The loaded library, or null when there is none.
const SdlLibrary* sdlLibrary()
{
    static const std::optional<SdlLibrary> library = loadSdlLibrary();
    return library ? &*library : nullptr;
}

// Open outputs by device, so that a lost device can be told to its client.
std::mutex openOutputsMutex;
std::map<SDL_AudioDeviceID, AudioOutput::Client*> openOutputs;

int watchEvents(void*, SDL_Event* event)
{
    if (event->type == SDL_AUDIODEVICEREMOVED && !event->adevice.iscapture)
        SdlAudioOutput::deviceRemoved(event->adevice.which);
    return 0;
}

class SdlAudio
{
public:
    explicit SdlAudio(const SdlLibrary* sdl) : m_sdl(sdl)
    {
        if (!m_sdl)
            return;
        // Ctrl+C and SIGTERM stay with the program instead of becoming SDL quit events.
        m_sdl->setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        m_sdl->setHint(SDL_HINT_APP_NAME, "Kassolin");
        m_sdl->setHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Kassolin");
        m_sdl->setHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Wiedergabe");
        m_ready = m_sdl->initSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) == 0;
        if (m_ready)
            m_sdl->addEventWatch(&watchEvents, nullptr);
    }
    bool isReady() const { return m_ready; }

private:
    const SdlLibrary* m_sdl;
    bool m_ready = false;
};

// SDL with its audio started, or null. Started on the thread that opens devices, and never
// stopped: a device's thread is gone with the program, and stopping SDL at the end from the
// main thread would wait for threads that SDL started elsewhere.
const SdlLibrary* sdlAudio()
{
    static const SdlAudio* const audio = new SdlAudio(sdlLibrary());
    return audio->isReady() ? sdlLibrary() : nullptr;
}

// 1024 frames, about 23 ms, at 44.1 kHz: a change of volume, applied as SDL takes a buffer, is
// heard within two of them, and the position follows seeks closely.
std::uint16_t bufferFramesFor(int sampleRate)
{
    std::uint16_t frames = 256;
    while (frames < 2048 && frames * 86 < sampleRate)
        frames *= 2;
    return frames;
}

} // namespace

struct SdlAudioOutput::Shared
{
    Client* client = nullptr;
    AudioFormat format;
    std::atomic<std::int64_t> takenFrames{0};
    std::atomic<int> bufferFrames{0};
    // The rest only under the mutex, which is never held while SDL opens a device.
    std::mutex mutex;
    SDL_AudioDeviceID device = 0;
    bool paused = true; // as the output was last told
    bool gone = false;  // a device opened once the output has gone is closed at once
};

SdlAudioOutput::SdlAudioOutput() : m_shared(std::make_shared<Shared>()) {}

SdlAudioOutput::~SdlAudioOutput()
{
    SDL_AudioDeviceID device = 0;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->gone = true;
        device = std::exchange(m_shared->device, 0);
    }
    if (device != 0)
        closeDevice(device);
}

// Called on the devices' lane.
bool SdlAudioOutput::open(const AudioFormat& format, Client* client)
{
    if (m_shared->client || !client || !sdlAudio())
        return false;
    m_shared->client = client;
    m_shared->format = format;
    const SDL_AudioDeviceID device = openDevice(*m_shared);
    if (device == 0)
        return false;
    watchDevice(device, client);
    std::lock_guard lock(m_shared->mutex);
    m_shared->device = device;
    return true;
}

// Opened paused, as SDL opens every device, and known to the event watch.
std::uint32_t SdlAudioOutput::openDevice(Shared& shared)
{
    SDL_AudioSpec wanted = {};
    wanted.freq = shared.format.sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = static_cast<Uint8>(shared.format.channelCount);
    wanted.samples = bufferFramesFor(shared.format.sampleRate);
    wanted.callback = &SdlAudioOutput::fill;
    wanted.userdata = &shared;
    SDL_AudioSpec obtained = {};
    // No allowed changes: SDL converts to whatever the device really takes.
    const SDL_AudioDeviceID device = sdlAudio()->openAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0)
        return 0;
    shared.bufferFrames.store(obtained.samples);
    return device;
}

void SdlAudioOutput::watchDevice(std::uint32_t device, Client* client)
{
    std::lock_guard lock(openOutputsMutex);
    openOutputs[device] = client;
}

void SdlAudioOutput::closeDevice(std::uint32_t device)
{
    {
        std::lock_guard lock(openOutputsMutex);
        openOutputs.erase(device);
    }
    sdlLibrary()->closeAudioDevice(device);
}

void SdlAudioOutput::setPaused(bool paused)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->paused = paused;
    if (!paused && std::exchange(m_resting, false))
        reopen();
    else if (m_shared->device != 0)
        sdlLibrary()->pauseAudioDevice(m_shared->device, paused ? 1 : 0);
}

// Under the mutex. A device that does not open again is lost.
void SdlAudioOutput::reopen()
{
    WorkQueue::lane(WorkLane::Devices).run([shared = m_shared] {
        const SDL_AudioDeviceID device = openDevice(*shared);
        std::unique_lock lock(shared->mutex);
        if (shared->gone) {
            lock.unlock();
            if (device != 0)
                closeDevice(device);
            return;
        }
        if (device == 0) {
            shared->client->outputLost();
            return;
        }
        watchDevice(device, shared->client);
        shared->device = device;
        if (!shared->paused)
            sdlLibrary()->pauseAudioDevice(device, 0);
    });
}

// A paused SDL device still plays silence, buffer by buffer, so a rest closes it. The buffer it
// last took has been played out by then; the timeline still counts it on its way, as it counts
// the first buffer of every device, so the audible point holds.
void SdlAudioOutput::rest()
{
    SDL_AudioDeviceID device = 0;
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->device == 0 || m_resting)
            return;
        device = std::exchange(m_shared->device, 0);
        m_resting = true;
    }
    sdlLibrary()->pauseAudioDevice(device, 1);
    closeDevice(device);
}

void SdlAudioOutput::deviceRemoved(std::uint32_t deviceId)
{
    std::lock_guard lock(openOutputsMutex);
    if (const auto output = openOutputs.find(deviceId); output != openOutputs.end())
        output->second->outputLost();
}

std::int64_t SdlAudioOutput::playedFrames()
{
    return std::max<std::int64_t>(m_shared->takenFrames.load() - m_shared->bufferFrames.load(), 0);
}

void SdlAudioOutput::fill(void* userData, unsigned char* stream, int length)
{
    auto* shared = static_cast<Shared*>(userData);
    const int channels = shared->format.channelCount;
    const int frames = length / static_cast<int>(sizeof(float)) / channels;
    auto* out = reinterpret_cast<float*>(stream);
    const int filled = shared->client->render(out, frames, shared->takenFrames.load());
    std::fill(out + static_cast<std::ptrdiff_t>(filled) * channels,
              out + static_cast<std::ptrdiff_t>(frames) * channels, 0.0f);
    shared->takenFrames += frames;
}

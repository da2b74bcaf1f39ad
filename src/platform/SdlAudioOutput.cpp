#include "platform/SdlAudioOutput.h"

#include <algorithm>
#include <map>
#include <mutex>

#include <SDL.h>

namespace {

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
    SdlAudio()
    {
        // Ctrl+C and SIGTERM stay with the program instead of becoming SDL quit events.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_APP_NAME, "Kassolin");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Kassolin");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Wiedergabe");
        m_ready = SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) == 0;
        if (m_ready)
            SDL_AddEventWatch(&watchEvents, nullptr);
    }
    ~SdlAudio()
    {
        if (m_ready) {
            SDL_DelEventWatch(&watchEvents, nullptr);
            SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
        }
    }
    bool isReady() const { return m_ready; }

private:
    bool m_ready = false;
};

bool sdlAudioReady()
{
    static SdlAudio audio;
    return audio.isReady();
}

// 2048 frames, about 46 ms, at 44.1 kHz: short enough for a position that follows seeks
// closely.
std::uint16_t bufferFramesFor(int sampleRate)
{
    std::uint16_t frames = 256;
    while (frames < 4096 && frames * 43 < sampleRate)
        frames *= 2;
    return frames;
}

} // namespace

SdlAudioOutput::~SdlAudioOutput()
{
    if (m_device == 0)
        return;
    {
        std::lock_guard lock(openOutputsMutex);
        openOutputs.erase(m_device);
    }
    SDL_CloseAudioDevice(m_device);
}

bool SdlAudioOutput::open(const AudioFormat& format, Client* client)
{
    if (m_device != 0 || !client || !sdlAudioReady())
        return false;
    SDL_AudioSpec wanted = {};
    wanted.freq = format.sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = static_cast<Uint8>(format.channelCount);
    wanted.samples = bufferFramesFor(format.sampleRate);
    wanted.callback = &SdlAudioOutput::fill;
    wanted.userdata = this;
    SDL_AudioSpec obtained = {};
    // No allowed changes: SDL converts to whatever the device really takes.
    m_client = client;
    m_channelCount = format.channelCount;
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0)
        return false;
    m_bufferFrames = obtained.samples;
    std::lock_guard lock(openOutputsMutex);
    openOutputs[m_device] = client;
    return true;
}

void SdlAudioOutput::setPaused(bool paused)
{
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

void SdlAudioOutput::deviceRemoved(std::uint32_t deviceId)
{
    std::lock_guard lock(openOutputsMutex);
    if (const auto output = openOutputs.find(deviceId); output != openOutputs.end())
        output->second->outputLost();
}

std::int64_t SdlAudioOutput::playedFrames()
{
    return std::max<std::int64_t>(m_takenFrames.load() - m_bufferFrames, 0);
}

void SdlAudioOutput::fill(void* userData, unsigned char* stream, int length)
{
    auto* self = static_cast<SdlAudioOutput*>(userData);
    const int channels = self->m_channelCount;
    const int frames = length / static_cast<int>(sizeof(float)) / channels;
    auto* out = reinterpret_cast<float*>(stream);
    const int filled = self->m_client->render(out, frames, self->m_takenFrames.load());
    std::fill(out + static_cast<std::ptrdiff_t>(filled) * channels,
              out + static_cast<std::ptrdiff_t>(frames) * channels, 0.0f);
    self->m_takenFrames += frames;
}

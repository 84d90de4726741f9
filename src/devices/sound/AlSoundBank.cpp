#include "devices/sound/AlSoundBank.h"

#include "devices/sound/WaveFile.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

ALCdevice* Dev(void* p) {
    return static_cast<ALCdevice*>(p);
}
ALCcontext* Ctx(void* p) {
    return static_cast<ALCcontext*>(p);
}

bool SlotOk(int slot) {
    return slot >= 0 && slot < kSoundSlots;
}

ALenum FormatOf(const WaveData& w) {
    if (w.channels == 1) return w.bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return w.bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

} // namespace

float GainOfAttenuation(i32 hundredthsDb) {
    const i32 mb = std::clamp<i32>(hundredthsDb, -10000, 0);
    if (mb == -10000) return 0.0f;
    return static_cast<float>(std::pow(10.0, mb / 2000.0));
}

AlSoundBank::~AlSoundBank() {
    Release();
}

bool AlSoundBank::InitSound() {
    Release();
    error_.clear();
    ALCdevice* dev = alcOpenDevice(nullptr);
    if (dev == nullptr) {
        error_ = "Звуковое устройство не найдено (OpenAL: alcOpenDevice). Игра идёт без звука.";
        return false;
    }
    ALCcontext* ctx = alcCreateContext(dev, nullptr);
    if (ctx == nullptr || alcMakeContextCurrent(ctx) == ALC_FALSE) {
        error_ = "Не удаётся открыть звуковое устройство (OpenAL, код " +
                 std::to_string(alcGetError(dev)) + "). Игра идёт без звука.";
        if (ctx != nullptr) alcDestroyContext(ctx);
        alcCloseDevice(dev);
        return false;
    }
    device_ = dev;
    context_ = ctx;
    // Sounds are heard flat, as from a plain stereo buffer: no 3D attenuation.
    alDistanceModel(AL_NONE);
    for (Slot& s : slots_) {
        alGenSources(1, &s.source);
        if (alGetError() != AL_NO_ERROR) s.source = 0;
        if (s.source != 0) alSourcei(s.source, AL_SOURCE_RELATIVE, AL_TRUE);
    }
    return true;
}

std::string AlSoundBank::DeviceName() const {
    if (device_ == nullptr) return {};
    const ALCchar* n = alcGetString(Dev(device_), ALC_DEVICE_SPECIFIER);
    return n != nullptr ? n : "";
}

bool AlSoundBank::Current() const {
    if (context_ == nullptr) return false;
    // Another bank (tests make several) may have taken the current context.
    if (alcGetCurrentContext() != Ctx(context_)) alcMakeContextCurrent(Ctx(context_));
    return true;
}

void AlSoundBank::Release() {
    if (context_ != nullptr) {
        Current();
        for (Slot& s : slots_) {
            if (s.source != 0) {
                alSourceStop(s.source);
                alSourcei(s.source, AL_BUFFER, 0);
                alDeleteSources(1, &s.source);
            }
            if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
        }
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(Ctx(context_));
    }
    if (device_ != nullptr) alcCloseDevice(Dev(device_));
    slots_ = {};
    device_ = nullptr;
    context_ = nullptr;
}

bool AlSoundBank::LoadSound(const std::string& path, int slot, std::string& error) {
    if (!SlotOk(slot)) {
        error = "неверный номер звука " + std::to_string(slot);
        return false;
    }
    WaveData w;
    if (!ReadWaveFile(path, w, error)) return false;
    if (!Current()) return true; // silent run: the file is fine, nothing to hold it in
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    alGetError();
    ALuint buf = 0;
    alGenBuffers(1, &buf);
    alBufferData(buf, FormatOf(w), w.pcm.data(), static_cast<ALsizei>(w.pcm.size()), w.rate);
    if (const ALenum e = alGetError(); e != AL_NO_ERROR) {
        alDeleteBuffers(1, &buf);
        error = path + ": звук не загружается (OpenAL, код " + std::to_string(e) + ")";
        return false;
    }
    if (s.source != 0) {
        alSourceStop(s.source);
        alSourcei(s.source, AL_BUFFER, static_cast<ALint>(buf));
    }
    if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
    s.buffer = buf;
    return true;
}

void AlSoundBank::PlaySound(int slot, i32 volume) {
    if (!SlotOk(slot) || !Current()) return;
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.buffer == 0 || s.source == 0) return;
    alSourcef(s.source, AL_GAIN, GainOfAttenuation(volume));
    ALint state = 0;
    alGetSourcei(s.source, AL_SOURCE_STATE, &state);
    // A slot that is playing goes on at the new volume: knocks in quick
    // succession must not cut one another off.
    if (state != AL_PLAYING) alSourcePlay(s.source);
}

void AlSoundBank::StopSound(int slot, bool rewind) {
    if (!SlotOk(slot) || !Current()) return;
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.buffer == 0 || s.source == 0) return;
    if (rewind) {
        alSourceRewind(s.source);
    } else {
        ALint state = 0;
        alGetSourcei(s.source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) alSourcePause(s.source); // keeps the play position
    }
}

void AlSoundBank::StopAll() {
    for (int i = 0; i < kSoundSlots; ++i)
        StopSound(i, true);
}

bool AlSoundBank::SlotLoaded(int slot) const {
    return SlotOk(slot) && slots_[static_cast<std::size_t>(slot)].buffer != 0;
}

bool AlSoundBank::SlotPlaying(int slot) const {
    if (!SlotOk(slot) || !Current()) return false;
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.source == 0) return false;
    ALint state = 0;
    alGetSourcei(s.source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

double AlSoundBank::SlotSeconds(int slot) const {
    if (!SlotOk(slot) || !Current()) return 0;
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.source == 0) return 0;
    ALfloat t = 0;
    alGetSourcef(s.source, AL_SEC_OFFSET, &t);
    return t;
}

float AlSoundBank::SlotGain(int slot) const {
    if (!SlotOk(slot) || !Current()) return 0.0f;
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.source == 0) return 0.0f;
    ALfloat g = 0;
    alGetSourcef(s.source, AL_GAIN, &g);
    return g;
}

} // namespace kv

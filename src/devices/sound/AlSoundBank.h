// The fifteen sound slots over OpenAL Soft: one buffer and one source per slot.
// Without a sound device the bank stays silent; files are still read, so that a
// missing or damaged sound is reported the same way with or without a card.
#pragma once

#include "devices/SoundBank.h"

#include <array>
#include <string>

namespace kv {

inline constexpr int kSoundSlots = 15;

// Linear gain of an attenuation in hundredths of a decibel (0 = full). Clamped
// to the range the slots accept, -10000 (silence) to 0.
float GainOfAttenuation(i32 hundredthsDb);

class AlSoundBank : public SoundBank {
public:
    AlSoundBank() = default;
    ~AlSoundBank() override;
    AlSoundBank(const AlSoundBank&) = delete;
    AlSoundBank& operator=(const AlSoundBank&) = delete;

    // Opens the default device. False with a one-line reason in Error() when there
    // is none; the bank is then silent for the whole run.
    bool InitSound();
    bool HasDevice() const { return context_ != nullptr; }
    const std::string& Error() const { return error_; }
    std::string DeviceName() const;

    // Reads the wave file and puts it into the slot, replacing what was there.
    bool LoadSound(const std::string& path, int slot, std::string& error) override;
    // Sets the slot's volume and plays it once: from the start, or on from where
    // it was stopped without rewind; a slot already playing just goes on. Empty
    // slots and a missing device are ignored.
    void PlaySound(int slot, i32 volume) override;
    void StopSound(int slot, bool rewind) override;

    // For tests and the status of the options screen.
    bool SlotLoaded(int slot) const;
    bool SlotPlaying(int slot) const;
    float SlotGain(int slot) const;
    double SlotSeconds(int slot) const; // play position
    void StopAll();

private:
    struct Slot {
        unsigned buffer = 0;
        unsigned source = 0;
    };
    void Release();
    bool Current() const;

    void* device_ = nullptr;  // ALCdevice*
    void* context_ = nullptr; // ALCcontext*
    std::array<Slot, kSoundSlots> slots_{};
    std::string error_;
};

} // namespace kv

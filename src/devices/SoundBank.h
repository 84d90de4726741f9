// Sound slots as the scene fills them while it is built; the sound device
// implements it on top of playing and stopping.
#pragma once

#include "state/Ports.h"

#include <string>

namespace kv {

class SoundBank : public SoundPort {
public:
    // Loads the wave file at path into slot (0..14), replacing what was there.
    // False with a Russian description in error when the file cannot be used.
    virtual bool LoadSound(const std::string& path, int slot, std::string& error) = 0;
};

} // namespace kv

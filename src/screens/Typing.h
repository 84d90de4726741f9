// Text typed into a box one character at a time, as the chronicle's boxes
// show their texts; the window ticks it on its own timer.
#pragma once

#include <cstddef>
#include <string>

namespace kv::screens {

class Typewriter {
public:
    static constexpr int kTypingMs = 20; // one character

    std::string typed;
    bool timer = false; // the next character is due

    void Type(const std::string& text) {
        text_ = text;
        typed.clear();
        bytes_ = 0;
        timer = true;
    }
    // The whole text at once.
    void Whole(const std::string& text) {
        text_ = text;
        typed = text;
        bytes_ = text.size();
        timer = false;
    }
    void Clear() { Whole({}); }
    void Stop() { timer = false; }
    const std::string& Text() const { return text_; }

    void Tick() {
        if (!timer) return;
        if (bytes_ >= text_.size()) {
            timer = false;
            return;
        }
        // One UTF-8 character, never half of one.
        std::size_t n = 1;
        while (bytes_ + n < text_.size() &&
               (static_cast<unsigned char>(text_[bytes_ + n]) & 0xC0) == 0x80)
            ++n;
        typed += text_.substr(bytes_, n);
        bytes_ += n;
    }

private:
    std::string text_;
    std::size_t bytes_ = 0;
};

} // namespace kv::screens

// Synthesises the game's sound effects into <gamedata>/sound as PCM wave
// files, 22050 Hz, 16-bit, stereo. Usage: gen_sounds <gamedata dir>
#include "MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using kv::tools::MakeDirs;
using kv::tools::WriteFileBytes;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 22050;

struct Stereo {
    std::vector<double> l, r;
    explicit Stereo(double seconds)
        : l(static_cast<size_t>(seconds * kRate)), r(static_cast<size_t>(seconds * kRate)) {}
    size_t Size() const { return l.size(); }
    // Adds a mono signal at sample offset `at`, panned -1 (left) .. 1 (right).
    void Add(const std::vector<double>& s, size_t at, double pan = 0, double gain = 1) {
        const double gl = std::cos((pan + 1) * kPi / 4) * std::sqrt(2.0) * gain;
        const double gr = std::sin((pan + 1) * kPi / 4) * std::sqrt(2.0) * gain;
        for (size_t i = 0; i < s.size() && at + i < l.size(); ++i) {
            l[at + i] += s[i] * gl;
            r[at + i] += s[i] * gr;
        }
    }
};

// Deterministic noise, the same on every run.
class Noise {
public:
    explicit Noise(uint32_t seed) : s_(seed ? seed : 1) {}
    double Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return (s_ & 0xFFFFFF) / 8388608.0 - 1.0;
    }

private:
    uint32_t s_;
};

// Band-pass resonator (constant peak gain), retunable per sample.
class BandPass {
public:
    double Run(double x, double freq, double q) {
        const double w = 2 * kPi * freq / kRate, alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        const double b0 = alpha / a0, b2 = -alpha / a0;
        const double a1 = -2 * std::cos(w) / a0, a2 = (1 - alpha) / a0;
        const double y = b0 * x + b2 * x2_ - a1 * y1_ - a2 * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

size_t Samples(double seconds) {
    return static_cast<size_t>(seconds * kRate);
}

double MidiHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// One note: partials (multiple of f, amplitude, decay time in seconds).
struct Partial {
    double mult, amp, decay;
};
std::vector<double> Tone(double f, double seconds, const std::vector<Partial>& partials,
                         double attack = 0.005) {
    std::vector<double> s(Samples(seconds));
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0;
        for (const Partial& p : partials)
            v += p.amp * std::exp(-t / p.decay) * std::sin(2 * kPi * f * p.mult * t);
        s[i] = v * std::min(1.0, t / attack);
    }
    return s;
}

// Peak-normalised, with short fades so that no sound starts or ends in a click.
std::string ToWav(Stereo st, double peak) {
    const size_t n = st.Size();
    double max = 1e-9;
    for (size_t i = 0; i < n; ++i)
        max = std::max({max, std::fabs(st.l[i]), std::fabs(st.r[i])});
    const size_t fadeIn = Samples(0.0005), fadeOut = Samples(0.015);
    std::string data;
    data.reserve(n * 4);
    auto put16 = [&data](double v) {
        const long q = std::clamp(std::lround(v * 32767.0), -32767L, 32767L);
        const uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(q));
        data += static_cast<char>(u & 0xFF);
        data += static_cast<char>(u >> 8);
    };
    for (size_t i = 0; i < n; ++i) {
        double g = peak / max;
        if (i < fadeIn) g *= static_cast<double>(i) / fadeIn;
        if (i + fadeOut > n) g *= static_cast<double>(n - i) / fadeOut;
        put16(st.l[i] * g);
        put16(st.r[i] * g);
    }
    std::string o;
    auto u16 = [&o](uint32_t v) { kv::tools::PutU16(o, v); };
    auto u32 = [&o](uint32_t v) { kv::tools::PutU32(o, v); };
    o += "RIFF";
    u32(static_cast<uint32_t>(36 + data.size()));
    o += "WAVEfmt ";
    u32(16);
    u16(1);         // PCM
    u16(2);         // channels
    u32(kRate);     // samples per second
    u32(kRate * 4); // bytes per second
    u16(4);         // block alignment
    u16(16);        // bits per sample
    o += "data";
    u32(static_cast<uint32_t>(data.size()));
    return o + data;
}

// ---- start jingles ----

struct Note {
    int midi;
    double beats;
};

Stereo Jingle(int which) {
    static const std::vector<Note> tunes[4] = {
        {{72, 0.5}, {76, 0.5}, {79, 0.5}, {84, 1}, {79, 0.5}, {84, 2}},
        {{67, 0.5}, {72, 0.5}, {76, 0.5}, {79, 0.75}, {76, 0.25}, {79, 2}},
        {{69, 0.5}, {72, 0.5}, {76, 0.5}, {81, 0.5}, {79, 0.5}, {76, 0.5}, {81, 2}},
        {{77, 0.75}, {81, 0.25}, {84, 0.5}, {81, 0.5}, {77, 0.5}, {84, 2}}};
    static const std::vector<Partial> timbres[4] = {
        // chiptune square: odd harmonics
        {{1, 1, 0.35}, {3, 0.33, 0.25}, {5, 0.2, 0.2}, {7, 0.14, 0.15}},
        // marimba
        {{1, 1, 0.30}, {4, 0.25, 0.06}, {10, 0.08, 0.02}},
        // plucked string
        {{1, 1, 0.40}, {2, 0.5, 0.25}, {3, 0.3, 0.15}, {4, 0.15, 0.1}},
        // bell
        {{1, 1, 0.6}, {2.76, 0.4, 0.3}, {5.4, 0.2, 0.15}, {8.93, 0.1, 0.08}}};
    const double beat = 0.16;
    double total = 0;
    for (const Note& n : tunes[which])
        total += n.beats * beat;
    Stereo st(total + 0.35);
    double t = 0;
    int k = 0;
    for (const Note& n : tunes[which]) {
        const double len = n.beats * beat + 0.35;
        const double pan = (k % 2 == 0 ? -0.25 : 0.25);
        st.Add(Tone(MidiHz(n.midi), len, timbres[which]), Samples(t), pan);
        t += n.beats * beat;
        ++k;
    }
    return st;
}

// ---- a strong strike: a whoosh and a smack ----

Stereo Whoosh(int which) {
    const double len = 0.40 + 0.06 * which;
    const double f0 = 300 + 80 * which, f1 = 2400 - 250 * which;
    Stereo st(len);
    Noise noise(1000 + which);
    BandPass bp;
    std::vector<double> s(st.Size());
    for (size_t i = 0; i < s.size(); ++i) {
        const double x = static_cast<double>(i) / s.size();
        const double f = f0 * std::pow(f1 / f0, x);
        const double env = std::sin(kPi * std::min(1.0, x * 1.15));
        s[i] = bp.Run(noise.Next(), f, 2.5) * env * env;
    }
    // Sweep across the stereo field in slices.
    const size_t slice = Samples(0.02);
    for (size_t at = 0; at < s.size(); at += slice) {
        std::vector<double> part(s.begin() + static_cast<long>(at),
                                 s.begin() + static_cast<long>(std::min(s.size(), at + slice)));
        st.Add(part, at, -0.7 + 1.4 * static_cast<double>(at) / s.size());
    }
    const double hit = len - 0.14;
    st.Add(Tone(140 + 20 * which, 0.14, {{1, 1.2, 0.04}, {2.3, 0.5, 0.02}}), Samples(hit), 0.5,
           0.8);
    return st;
}

// ---- the pot strike: a falling whistle and a clay clonk ----

Stereo PotSound(int which) {
    const double whistle = 0.45, f0 = 1500 - 100 * which, f1 = 500 + 40 * which;
    const double clay = 360 + 45 * which;
    Stereo st(whistle + 0.55);
    std::vector<double> w(Samples(whistle));
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        const double x = static_cast<double>(i) / w.size();
        phase += 2 * kPi * (f0 + (f1 - f0) * x) / kRate;
        w[i] = 0.35 * std::sin(phase) * std::min(1.0, x * 8) * (1 - 0.5 * x);
    }
    st.Add(w, 0);
    std::vector<double> c =
        Tone(clay, 0.55, {{1, 1, 0.12}, {2.32, 0.6, 0.07}, {4.25, 0.35, 0.04}, {6.63, 0.2, 0.02}},
             0.001);
    Noise noise(2000 + which);
    for (size_t i = 0; i < Samples(0.01) && i < c.size(); ++i)
        c[i] += 0.8 * noise.Next() * (1 - static_cast<double>(i) / Samples(0.01));
    st.Add(c, Samples(whistle), 0.1 * (which - 1.5));
    return st;
}

// ---- a pig's grunt: pulses through two formants, twice ----

Stereo Grunt() {
    Stereo st(0.62);
    Noise noise(3000);
    for (int g = 0; g < 2; ++g) {
        const double len = g == 0 ? 0.22 : 0.26;
        std::vector<double> s(Samples(len));
        BandPass f1, f2, f3;
        double phase = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            const double x = static_cast<double>(i) / s.size();
            const double pitch =
                (g == 0 ? 105 : 95) * (1 + 0.25 * std::sin(kPi * x)) + 8 * noise.Next();
            phase += pitch / kRate;
            // A narrow glottal pulse once a period, plus breath.
            const double frac = phase - std::floor(phase);
            const double src = (frac < 0.08 ? 1.0 : -0.087) + 0.25 * noise.Next();
            const double v =
                f1.Run(src, 480, 4) * 1.0 + f2.Run(src, 1150, 6) * 0.6 + f3.Run(src, 2600, 8) * 0.2;
            const double env = std::pow(std::sin(kPi * x), 0.6) * (1 - 0.4 * x);
            s[i] = v * env;
        }
        st.Add(s, Samples(g == 0 ? 0.0 : 0.32), g == 0 ? -0.15 : 0.15);
    }
    return st;
}

// ---- knocks ----

Stereo Knock() {
    Stereo st(0.12);
    std::vector<double> s =
        Tone(1900, 0.12, {{1, 1, 0.012}, {1.74, 0.7, 0.008}, {2.74, 0.4, 0.005}}, 0.0005);
    Noise noise(4000);
    for (size_t i = 0; i < Samples(0.003); ++i)
        s[i] += 0.9 * noise.Next() * (1 - static_cast<double>(i) / Samples(0.003));
    st.Add(s, 0);
    return st;
}

Stereo WallKnock() {
    Stereo st(0.25);
    std::vector<double> s(st.Size());
    Noise noise(5000);
    BandPass lp;
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += 2 * kPi * (150 + 90 * std::exp(-t / 0.02)) / kRate;
        s[i] = std::exp(-t / 0.05) * std::sin(phase) +
               0.4 * std::exp(-t / 0.02) * std::sin(2 * kPi * 690 * t) +
               1.5 * std::exp(-t / 0.008) * lp.Run(noise.Next(), 900, 1.2);
    }
    st.Add(s, 0);
    return st;
}

// ---- victory fanfare ----

std::vector<double> Brass(double f, double seconds, bool vibrato) {
    std::vector<double> s(Samples(seconds));
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double vib =
            vibrato ? 1 + 0.006 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t * 3) : 1;
        phase += 2 * kPi * f * vib / kRate;
        const double bright = 0.5 + 0.5 * std::min(1.0, t / 0.05);
        double v = 0;
        for (int h = 1; h <= 8; ++h)
            v += std::pow(bright, h - 1) * std::sin(h * phase) / h;
        const double attack = std::min(1.0, t / 0.02);
        const double release = std::min(1.0, (seconds - t) / 0.06);
        s[i] = v * attack * std::max(0.0, release);
    }
    return s;
}

Stereo Fanfare() {
    Stereo st(2.4);
    const int run[] = {67, 72, 76, 79};
    double t = 0;
    for (int i = 0; i < 4; ++i) {
        st.Add(Brass(MidiHz(run[i]), 0.16, false), Samples(t), -0.2 + 0.13 * i);
        t += 0.15;
    }
    st.Add(Brass(MidiHz(76), 0.14, false), Samples(t), 0.1);
    t += 0.15;
    const int chord[] = {72, 76, 79, 84};
    const double pans[] = {-0.5, -0.15, 0.15, 0.5};
    for (int i = 0; i < 4; ++i)
        st.Add(Brass(MidiHz(chord[i]), 2.4 - t, true), Samples(t), pans[i], 0.7);
    return st;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_sounds <gamedata dir>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/sound";
    if (!MakeDirs(dir)) {
        std::fprintf(stderr, "gen_sounds: cannot create %s\n", dir.c_str());
        return 1;
    }
    struct Item {
        std::string file;
        std::string bytes;
    };
    std::vector<Item> items;
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        items.push_back({"gobla" + n + ".wav", ToWav(Jingle(i), 0.7)});
        items.push_back({"poswinu" + n + ".wav", ToWav(Whoosh(i), 0.75)});
        items.push_back({"pot" + n + ".wav", ToWav(PotSound(i), 0.75)});
    }
    items.push_back({"xruk.wav", ToWav(Grunt(), 0.8)});
    items.push_back({"2gobly.wav", ToWav(Knock(), 0.7)});
    items.push_back({"stenka.wav", ToWav(WallKnock(), 0.75)});
    items.push_back({"win.wav", ToWav(Fanfare(), 0.75)});
    int rc = 0;
    for (const Item& it : items)
        if (!WriteFileBytes(dir + "/" + it.file, it.bytes)) {
            std::fprintf(stderr, "gen_sounds: cannot write %s\n", it.file.c_str());
            rc = 1;
        }
    return rc;
}

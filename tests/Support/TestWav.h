#pragma once
// A mono 16-bit PCM WAV file of a sine tone, made in memory for audio tests.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> MakeTestWav(double seconds, double frequency = 440.0, int rate = 22050)
{
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    const uint32_t dataSize = frames * 2;
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    auto tag = [&out](const char* text) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(text[i]));
    };
    out.reserve(44 + dataSize);
    tag("RIFF");
    put(36 + dataSize, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate) * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataSize, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const double value = std::sin(2.0 * 3.14159265358979 * frequency * i / rate) * 12000.0;
        put(static_cast<uint32_t>(static_cast<int16_t>(value)) & 0xFFFF, 2);
    }
    return out;
}

#include "audio/ReplayGain.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// LAME's tag holds up to ±51.1 dB; taggers stay well within it.
constexpr double largestGainDB = 51.1;
constexpr double largestPeak = 100.0;
constexpr std::size_t apeFooterSize = 32;
constexpr std::size_t id3v1TagSize = 128;

std::optional<double> leadingNumber(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '+'))
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::uint32_t littleEndian32(std::span<const unsigned char> bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool sameKey(std::string_view key, std::string_view wanted)
{
    return key.size() == wanted.size() &&
           std::equal(key.begin(), key.end(), wanted.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

// The items of an APEv2 tag (without its header), each a value size, flags, a key ending in
// a NUL and the value.
std::optional<ReplayGain> gainOfItems(std::span<const unsigned char> items, std::uint32_t count)
{
    std::string gain;
    std::string peak;
    for (std::uint32_t item = 0; item < count && items.size() >= 9; ++item) {
        const std::size_t valueSize = littleEndian32(items.first(4));
        const auto key = items.subspan(8);
        const auto keyEnd = std::ranges::find(key, 0);
        const auto keyLength = static_cast<std::size_t>(keyEnd - key.begin());
        if (keyEnd == key.end() || valueSize > key.size() - keyLength - 1)
            return std::nullopt;
        const std::string_view name(reinterpret_cast<const char*>(key.data()), keyLength);
        const std::string value(reinterpret_cast<const char*>(key.data()) + keyLength + 1,
                                valueSize);
        if (sameKey(name, "REPLAYGAIN_TRACK_GAIN"))
            gain = value;
        else if (sameKey(name, "REPLAYGAIN_TRACK_PEAK"))
            peak = value;
        items = key.subspan(keyLength + 1 + valueSize);
    }
    return ReplayGain::fromTexts(gain, peak);
}

struct Footer
{
    std::span<const unsigned char> bytes; // empty when there is none
    std::size_t after = 0;                // the bytes of an ID3v1 tag after it
};

Footer footerOf(std::span<const unsigned char> end)
{
    std::size_t after = 0;
    if (end.size() >= id3v1TagSize && std::memcmp(end.last(id3v1TagSize).data(), "TAG", 3) == 0)
        after = id3v1TagSize;
    if (end.size() < apeFooterSize + after)
        return {};
    const auto footer = end.first(end.size() - after).last(apeFooterSize);
    if (std::memcmp(footer.data(), "APETAGEX", 8) != 0)
        return {};
    return {footer, after};
}

} // namespace

double ReplayGain::factor() const
{
    const double gain = std::pow(10.0, gainDB / 20.0);
    return peak > 0.0 ? std::min(gain, 1.0 / peak) : gain;
}

std::optional<ReplayGain> ReplayGain::fromTexts(std::string_view gain, std::string_view peak)
{
    const std::optional<double> gainDB = leadingNumber(gain);
    return gainDB ? checked(*gainDB, leadingNumber(peak).value_or(0.0)) : std::nullopt;
}

std::optional<ReplayGain> ReplayGain::checked(double gainDB, double peak)
{
    if (!(std::abs(gainDB) <= largestGainDB))
        return std::nullopt;
    return ReplayGain{gainDB, peak > 0.0 && peak <= largestPeak ? peak : 0.0};
}

std::size_t apeTagLength(std::span<const unsigned char> end)
{
    const auto [footer, after] = footerOf(end);
    if (footer.empty())
        return 0;
    // The size counts the items and the footer, not the header before them.
    const std::size_t size = littleEndian32(footer.subspan(12, 4));
    return size >= apeFooterSize && size <= apeTagReadLimit ? size + after : 0;
}

std::optional<ReplayGain> apeReplayGain(std::span<const unsigned char> tail)
{
    const auto [footer, after] = footerOf(tail);
    if (footer.empty())
        return std::nullopt;
    const std::size_t size = littleEndian32(footer.subspan(12, 4));
    if (size < apeFooterSize || size + after > tail.size())
        return std::nullopt;
    return gainOfItems(tail.first(tail.size() - after).last(size).first(size - apeFooterSize),
                       littleEndian32(footer.subspan(16, 4)));
}

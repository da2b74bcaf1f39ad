#include "decoder/ReplayGain.h"

#include "decoder/ReplayGains.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
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

// The items of an APEv2 tag (without its header), each a value size, flags, a key ending in
// a NUL and the value.
ReplayGains gainsOfItems(std::span<const unsigned char> items, std::uint32_t count)
{
    std::vector<std::pair<std::string, std::string>> texts;
    for (std::uint32_t item = 0; item < count && items.size() >= 9; ++item) {
        const std::size_t valueSize = littleEndian32(items.first(4));
        const auto key = items.subspan(8);
        const auto keyEnd = std::ranges::find(key, 0);
        const auto keyLength = static_cast<std::size_t>(keyEnd - key.begin());
        if (keyEnd == key.end() || valueSize > key.size() - keyLength - 1)
            return {};
        const auto* text = reinterpret_cast<const char*>(key.data());
        texts.emplace_back(std::string(text, keyLength),
                           std::string(text + keyLength + 1, valueSize));
        items = key.subspan(keyLength + 1 + valueSize);
    }
    return ReplayGains::fromItems(texts);
}

bool sameKey(std::string_view key, std::string_view wanted)
{
    return key.size() == wanted.size() &&
           std::equal(key.begin(), key.end(), wanted.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
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

ReplayGains apeReplayGains(std::span<const unsigned char> tail)
{
    const auto [footer, after] = footerOf(tail);
    if (footer.empty())
        return {};
    const std::size_t size = littleEndian32(footer.subspan(12, 4));
    if (size < apeFooterSize || size + after > tail.size())
        return {};
    return gainsOfItems(tail.first(tail.size() - after).last(size).first(size - apeFooterSize),
                        littleEndian32(footer.subspan(16, 4)));
}

void ReplayGains::complete(const ReplayGains& lower)
{
    if (!track)
        track = lower.track;
    if (!album)
        album = lower.album;
}

double ReplayGains::factor(ReplayGainMode mode) const
{
    if (mode == ReplayGainMode::Off)
        return 1.0;
    const std::optional<ReplayGain>& heard = mode == ReplayGainMode::Album && album ? album : track;
    return heard ? heard->factor() : 1.0;
}

ReplayGains ReplayGains::fromItems(const std::vector<std::pair<std::string, std::string>>& items)
{
    std::string texts[4];
    constexpr std::string_view names[4] = {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK",
                                           "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"};
    for (const auto& item : items) {
        const auto* named = std::ranges::find_if(
            names, [&item](std::string_view wanted) { return sameKey(item.first, wanted); });
        if (named != std::end(names))
            texts[named - names] = item.second;
    }
    return {ReplayGain::fromTexts(texts[0], texts[1]), ReplayGain::fromTexts(texts[2], texts[3])};
}

// The text-column rule shared by every reader: the texts of a column become
// group labels coded 1, 2, ... in byte order; column names are cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A column holding more different texts than this is no set of groups.
inline constexpr std::size_t MAX_TEXTS = 100000;
// A column name longer than this many characters is cut.
inline constexpr std::size_t MAX_NAME_CHARACTERS = 64;

// The different texts of one column, each with a code in the order it was
// first met until the labels are made.
class TextCodes {
public:
    // The code of `text` (1, 2, ... in the order met); 0 when the column
    // already holds MAX_TEXTS other texts.
    float code(std::string_view text)
    {
        const auto found = m_codes.find(text);
        if (found != m_codes.end())
            return found->second;
        if (m_codes.size() == MAX_TEXTS)
            return 0.0f;
        const float next = static_cast<float>(m_codes.size() + 1);
        m_codes.emplace(std::string(text), next);
        return next;
    }
    std::size_t size() const { return m_codes.size(); }
    // Takes in `other`, texts of the same column met apart, and gives
    // `codeOf[k]` the code here of other's code k; false when the column
    // would hold more than MAX_TEXTS texts.
    bool merge(const TextCodes& other, std::vector<float>& codeOf);
    bool allUtf8() const;
    // The labels in byte order, read as Windows-1252 unless `utf8`; the
    // codes are forgotten. `finalCode[k]` receives the label code of the
    // code k given so far (finalCode[0] is unused).
    std::vector<std::string> labels(bool utf8, std::vector<float>& finalCode);

private:
    // A column's texts are mostly short and looked up once a field: eight
    // bytes at a time, each mixed in by one multiplication.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept
        {
            constexpr std::uint64_t MIX = 0x9E3779B97F4A7C15u;
            std::uint64_t hash = text.size() * MIX;
            const char* p = text.data();
            std::size_t left = text.size();
            for (; left >= 8; p += 8, left -= 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, p, 8);
                hash = (hash ^ word) * MIX;
                hash ^= hash >> 32;
            }
            // The last bytes, in two loads that may overlap; the length
            // tells such texts apart.
            std::uint64_t word = 0;
            if (left >= 4) {
                std::uint32_t first = 0;
                std::uint32_t last = 0;
                std::memcpy(&first, p, 4);
                std::memcpy(&last, p + left - 4, 4);
                word = std::uint64_t { first } << 32 | last;
            } else if (left > 0) {
                word = std::uint64_t { static_cast<unsigned char>(p[0]) } << 16
                    | std::uint64_t { static_cast<unsigned char>(p[left / 2]) } << 8
                    | static_cast<unsigned char>(p[left - 1]);
            }
            hash = (hash ^ word) * MIX;
            return static_cast<std::size_t>(hash ^ (hash >> 32));
        }
    };
    std::unordered_map<std::string, float, Hash, std::equal_to<>> m_codes;
};

// A column's name from its text as read: cut to MAX_NAME_CHARACTERS, read as
// Windows-1252 unless `utf8`.
std::string columnName(std::string_view text, bool utf8);

// The text-column rule shared by every reader.
#include "data/TextCodes.h"

#include "data/TextEncoding.h"
#include "report/ReportText.h"

#include <algorithm>
#include <utility>

bool TextCodes::allUtf8() const
{
    return std::all_of(
        m_codes.begin(), m_codes.end(), [](const auto& entry) { return isUtf8(entry.first); });
}

bool TextCodes::merge(const TextCodes& other, std::vector<float>& codeOf)
{
    codeOf.assign(other.size() + 1, 0.0f);
    for (const auto& [text, code] : other.m_codes) {
        const float here = this->code(text);
        if (here == 0.0f)
            return false;
        codeOf[static_cast<std::size_t>(code)] = here;
    }
    return true;
}

std::vector<std::string> TextCodes::labels(bool utf8, std::vector<float>& finalCode)
{
    std::vector<std::pair<std::string, float>> texts;
    texts.reserve(m_codes.size());
    for (auto& [text, code] : m_codes)
        texts.emplace_back(utf8 ? text : windows1252AsUtf8(text), code);
    m_codes = {};
    std::sort(texts.begin(), texts.end());
    finalCode.assign(texts.size() + 1, 0.0f);
    std::vector<std::string> labels;
    labels.reserve(texts.size());
    for (auto& [text, code] : texts) {
        finalCode[static_cast<std::size_t>(code)] = static_cast<float>(labels.size() + 1);
        labels.push_back(std::move(text));
    }
    return labels;
}

std::string columnName(std::string_view text, bool utf8)
{
    const std::string full = utf8 ? std::string(text) : windows1252AsUtf8(text);
    return std::string(report::firstCharacters(full, MAX_NAME_CHARACTERS));
}

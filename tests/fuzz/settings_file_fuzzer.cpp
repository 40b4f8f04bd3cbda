// The settings file parser on any text: whatever loads is saved and loads again as the same
// settings, and a refusal shows nothing of the file raw: no control character, no byte that is
// not UTF-8, in either language.
#include "FuzzCheck.h"
#include "core/PrintableText.h"
#include "radio/SettingsFile.h"

#include <string_view>

namespace {

bool isSafeToShow(const std::string& text)
{
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const bool c1 = byte == 0xC2 && at + 1 < text.size()
            && static_cast<unsigned char>(text[at + 1]) < 0xA0;
        if (byte < 0x20 || byte == 0x7F || c1)
            return false;
    }
    return core::isUtf8(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = radio::parseSettings(text);
    if (const auto* error = std::get_if<radio::SettingsError>(&parsed)) {
        for (const std::uint8_t language : {0, 1})
            FUZZ_CHECK(isSafeToShow(radio::settingsErrorText(*error, core::Language {language})));
        return 0;
    }
    const auto& settings = std::get<radio::RadioSettings>(parsed);
    const auto again = radio::parseSettings(radio::serializeSettings(settings));
    const auto* reloaded = std::get_if<radio::RadioSettings>(&again);
    FUZZ_CHECK(reloaded && *reloaded == settings);
    return 0;
}

#include "ChangePreview.h"

#include "RadioSettings.h"

namespace radio {

namespace {

// The air rate by its meaning, as the air rate box lists it; a code beyond the list, which
// only a radio can report, says that it is not known.
core::Bilingual airRateText(std::uint8_t index)
{
    if (const auto rate = airRateBitsPerSecond(index))
        return {std::to_string(*rate) + " bit/s", std::to_string(*rate) + " bit/s"};
    return {
        "unknown (code " + std::to_string(index) + ")", "未知(代码 " + std::to_string(index) + ")"};
}

core::Bilingual same(const std::string& text)
{
    return {text, text};
}

} // namespace

std::vector<ValueChange> changedValues(const WriteValues& held, const WriteValues& sent)
{
    std::vector<ValueChange> changes;
    const auto compare
        = [&changes](core::Bilingual name, core::Bilingual before, core::Bilingual after) {
              if (before.english != after.english)
                  changes.push_back({std::move(name), std::move(before), std::move(after)});
          };
    compare({"Air rate", "空中速率"}, airRateText(held.airRate), airRateText(sent.airRate));
    compare({"ID", "电台ID码"}, same(idText(held.id)), same(idText(sent.id)));
    compare({"Channel", "信道号"}, same(std::to_string(held.channel)),
        same(std::to_string(sent.channel)));
    compare({"Serial mode", "串口模式"}, same(serialModeText({held.speedIndex, held.parityIndex})),
        same(serialModeText({sent.speedIndex, sent.parityIndex})));
    return changes;
}

std::string changePreviewText(
    const std::vector<ValueChange>& changes, const core::Language& language)
{
    if (changes.empty())
        return language.pick(
            "The write changes no value on the radio.", "写入不改变电台的任何参数。");
    std::string text = language.pick("The write changes these values on the radio (old → new):",
        "写入将改变电台的以下参数(原值 → 新值):");
    for (const ValueChange& change : changes)
        text += "\n" + change.name.in(language) + ": " + change.before.in(language) + " → "
            + change.after.in(language);
    return text;
}

bool confirmWrite(platform::Dialogs& dialogs, const core::Language& language,
    const WriteValues& held, const WriteValues& sent)
{
    const std::string text = changePreviewText(changedValues(held, sent), language);
    return dialogs.messageBox(
               text, language.pick("Write Paras", "写电台"), platform::MessageButtons::OkCancel)
        == platform::MessageResult::Ok;
}

} // namespace radio

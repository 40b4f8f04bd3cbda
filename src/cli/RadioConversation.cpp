#include "RadioConversation.h"

namespace cli {

namespace {

void notYetAvailable(const core::Language& language, PortResult& result)
{
    result.outcome = Outcome::PortError;
    result.reason = language.pick(
        "The radio conversation is not yet available in this build.", "此版本尚不支持与电台通讯。");
}

} // namespace

void readRadio(
    serial::SerialLink&, const core::Language& language, const Progress&, PortResult& result)
{
    notYetAvailable(language, result);
}

void writeRadio(serial::SerialLink&, const radio::RadioSettings&, bool,
    const core::Language& language, const Progress&, PortResult& result)
{
    notYetAvailable(language, result);
}

} // namespace cli

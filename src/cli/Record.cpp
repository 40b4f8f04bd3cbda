#include "Record.h"

#include "Output.h"
#include "core/LocalTime.h"

#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

bool writeAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\n\r") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The verdict of the line: the outcome's key, with "ok" told apart.
std::string resultKey(const PortResult& result)
{
    if (result.outcome != Outcome::Ok)
        return outcomeKey(result.outcome);
    if (result.unchanged)
        return "unchanged";
    return result.readBack ? "verified" : "ok";
}

} // namespace

const char* const Record::kCsvHeader
    = "time,unit,port,device,model,before_air_rate,before_id,before_channel,before_serial,"
      "after_air_rate,after_id,after_channel,after_serial,result,reason\n";

Record::Record(const std::string& path, bool json) : m_json(json)
{
    if (path == "-") {
        m_fd = STDOUT_FILENO;
    } else {
        m_fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
        m_ownFd = m_fd >= 0;
        if (m_fd < 0) {
            m_error = core::Bilingual {std::strerror(errno), std::strerror(errno)};
            return;
        }
    }
    struct stat status
    { };
    const bool empty
        = ::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0;
    if (!m_json && empty && !writeAll(m_fd, kCsvHeader))
        m_error = core::Bilingual {std::strerror(errno), std::strerror(errno)};
}

Record::~Record()
{
    if (m_ownFd)
        ::close(m_fd);
}

std::string Record::line(int unit, const PortResult& result, bool json)
{
    // JSON: the result as --json shows it, with the time, the unit and the verdict.
    if (json) {
        QJsonObject object = resultJson(result);
        object["format"] = kJsonFormat;
        object["time"] = QString::fromStdString(core::localTimestamp());
        object["result"] = QString::fromStdString(resultKey(result));
        if (unit > 0)
            object["unit"] = unit;
        return jsonLine(object);
    }
    std::array<std::string, radio::RadioSession::kSteps> before {};
    std::array<std::string, radio::RadioSession::kSteps> after {};
    std::string model;
    if (result.before) {
        before = valueTexts(result.before->held);
        after = heldTexts(result);
        model = radio::modelVersionText(result.before->version);
    }
    std::string line = csvField(core::localTimestamp()) + ","
        + (unit > 0 ? std::to_string(unit) : "") + "," + csvField(printable(result.port)) + ","
        + csvField(printable(result.identity)) + "," + csvField(model);
    for (const auto* values : {&before, &after}) {
        for (const std::string& value : *values)
            line += "," + csvField(value);
    }
    return line + "," + resultKey(result) + "," + csvField(oneLine(result.reason)) + "\n";
}

bool Record::append(int unit, const PortResult& result)
{
    const std::string text = line(unit, result, m_json);
    const std::lock_guard lock(m_mutex);
    if (m_fd < 0 || !writeAll(m_fd, text))
        return false;
    // On the disk before the next radio: a power cut loses no record written before it.
    ::fdatasync(m_fd);
    return true;
}

} // namespace cli

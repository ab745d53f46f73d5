#include "serial/transfer_form.h"

#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "serial/serial_settings.h"

#include <cmath>

namespace kvt {

namespace {

std::string lookup(const TextLookup& texts, const nc_text_ids::TextId& id)
{
    return texts.text(id.id, id.builtin);
}

} // namespace

double bitsPerCharacter(std::uint32_t dataBits, std::uint8_t stopBitsCode)
{
    double stopBits = 0.0;
    switch (stopBitsCode) {
    case 0:
        stopBits = 1.0;
        break;
    case 1:
        stopBits = 1.5;
        break;
    case 2:
        stopBits = 2.0;
        break;
    default:
        break;
    }
    return static_cast<double>(dataBits) + 1.0 + stopBits + 1.0;
}

TransferTimeEstimate estimateTransferTime(
    std::uint32_t bytes, std::uint32_t baudRate, std::uint32_t dataBits, std::uint8_t stopBitsCode)
{
    TransferTimeEstimate estimate;
    if (baudRate == 0)
        return estimate;
    estimate.seconds = bitsPerCharacter(dataBits, stopBitsCode) * static_cast<double>(bytes) / baudRate;
    // At most 2^32 bytes at 1 baud with 12 bits each: far inside the 64-bit range.
    const auto total = static_cast<std::uint64_t>(estimate.seconds);
    estimate.hours = static_cast<std::uint32_t>(total / 3600);
    const std::uint64_t rest = total - std::uint64_t {estimate.hours} * 3600;
    estimate.minutes = static_cast<std::uint32_t>(rest / 60);
    estimate.wholeSeconds = static_cast<std::uint32_t>(rest % 60);
    return estimate;
}

std::string clockTimeAfter(const LocalDateTime& now, double seconds)
{
    constexpr std::int64_t kDay = 24 * 3600;
    const double whole = std::isfinite(seconds) && seconds > 0.0 ? std::floor(seconds) : 0.0;
    // Only the time of day is shown, so whole days do not count.
    const auto added = static_cast<std::int64_t>(std::fmod(whole, static_cast<double>(kDay)));
    const std::int64_t start = (std::int64_t {now.hour} * 60 + now.minute) * 60 + now.second;
    const std::int64_t time = ((start + added) % kDay + kDay) % kDay;
    const int hour = static_cast<int>(time / 3600);
    const int minute = static_cast<int>(time / 60 % 60);
    const int second = static_cast<int>(time % 60);
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return cformat("%02i:%02i:%02i %s", hour12, minute, second, hour < 12 ? "AM" : "PM");
}

std::string transferTimeTooltip(const TransferTimeEstimate& estimate, const LocalDateTime& now, const TextLookup& texts)
{
    using namespace transfer_text_ids;
    return cformat("%s %u %s %u %s %u %s, %s %s", lookup(texts, kTimeEstimate), estimate.hours, lookup(texts, kHours),
        estimate.minutes, lookup(texts, kMinutes), estimate.wholeSeconds, lookup(texts, kSeconds),
        lookup(texts, kEndsAt), clockTimeAfter(now, estimate.seconds));
}

std::string sizeText(std::uint32_t number, const TextLookup& texts)
{
    return cformat("%u %s", number, lookup(texts, transfer_text_ids::kBytes));
}

bool sizeTextIsRed(std::uint32_t number, std::uint32_t controlMemory)
{
    return controlMemory != 0 && number >= controlMemory;
}

std::string transferWindowCaption(const std::filesystem::path& file, const TextLookup& texts)
{
    using namespace transfer_text_ids;
    const std::string shown = file.empty() ? lookup(texts, kNoFile) : utf16ToUtf8(file.u16string());
    return lookup(texts, kCaption) + " - " + shown;
}

std::string missingPortText(unsigned portNumber, const TextLookup& texts)
{
    return PortName(portNumber) + lookup(texts, transfer_text_ids::kPortMissing);
}

} // namespace kvt

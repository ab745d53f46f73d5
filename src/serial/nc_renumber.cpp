#include "serial/nc_renumber.h"

#include "common/field_validation.h"
#include "common/number_format.h"
#include "serial/nc_editor_texts.h"

#include <algorithm>
#include <regex>

namespace kvt {

namespace {

constexpr std::wstring_view kMarker = L"QQQQQQQQQ";
constexpr std::size_t kMarkerLength = kMarker.size();
constexpr std::uint32_t kCancelCheckLines = 1024;

bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The regular expressions work on wchar_t, which holds every UTF-16 unit as it is, so
// characters outside the 8-bit code page survive a renumbering unchanged.
std::wstring toWide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

std::u16string fromWide(std::wstring_view text)
{
    std::u16string out(text.size(), u'\0');
    std::transform(text.begin(), text.end(), out.begin(), [](wchar_t c) { return static_cast<char16_t>(c); });
    return out;
}

// The marker must not occur in the program itself, or a word of the program would be
// numbered. The usual marker is nine Q; a program that holds them gets nine of a
// private-use character that it does not hold.
std::wstring chooseMarker(std::wstring_view text)
{
    if (text.find(kMarker) == std::wstring_view::npos)
        return std::wstring(kMarker);
    for (wchar_t c = 0xE000; c <= 0xF8FF; ++c) {
        if (text.find(c) == std::wstring_view::npos)
            return std::wstring(kMarkerLength, c);
    }
    return {}; // unreachable for a text that fits the buffer
}

} // namespace

NcLineFormat NcLineFormat::parse(std::u16string_view format)
{
    NcLineFormat result;
    if (!format.empty() && isAsciiLetter(format.front()))
        result.letter = format.front();
    for (char16_t c : format) {
        if (!isDigit(c))
            continue;
        ++result.width;
        if (result.number < 100'000'000'000'000'000LL)
            result.number = result.number * 10 + (c - u'0');
    }
    return result;
}

std::optional<RenumberResult> renumberNcText(std::u16string_view text, const RenumberRequest& request,
    const std::atomic<bool>* cancel, std::atomic<std::uint32_t>* progress)
{
    const std::wstring wide = toWide(text);
    const std::wstring marker = chooseMarker(wide);

    // Step 1: every block number in the current format becomes a marker, a space and the
    // captured character. The line break is part of the match and goes with it.
    std::wstring pattern = L"\n";
    if (request.current.letter != 0)
        pattern += static_cast<wchar_t>(request.current.letter);
    pattern += L"[0-9]{1,10} ([A-Za-z0-9])";
    const std::wregex expression(pattern);

    std::wstring marked;
    marked.reserve(wide.size());
    std::size_t copied = 0;
    std::uint32_t lines = 0;
    std::wsmatch match;
    // A match can only begin at a line feed, so the search is tried there alone, with
    // the same expression and the same result as a replace over the whole text.
    for (std::size_t lf = wide.find(L'\n'); lf != std::wstring::npos; lf = wide.find(L'\n', lf + 1)) {
        if (++lines % kCancelCheckLines == 0) {
            if (cancelled(cancel))
                return std::nullopt;
            if (progress)
                progress->store(lines, std::memory_order_relaxed);
        }
        const auto from = wide.cbegin() + static_cast<std::ptrdiff_t>(lf);
        if (!std::regex_search(from, wide.cend(), match, expression, std::regex_constants::match_continuous))
            continue;
        marked.append(wide, copied, lf - copied);
        marked += marker;
        marked += L' ';
        marked += match.str(1);
        copied = lf + static_cast<std::size_t>(match.length(0));
        lf = copied - 1;
    }
    marked.append(wide, copied);

    // Step 2: the markers in order become a line break and the running number in the
    // new format.
    const std::int64_t step = request.step == 0 ? 1 : request.step;
    const std::string numberFormat = cformat("%%0%ii", request.next.width);
    std::wstring prefix = L"\n";
    if (request.next.letter != 0)
        prefix += static_cast<wchar_t>(request.next.letter);

    RenumberResult result;
    std::wstring out;
    out.reserve(marked.size() + marked.size() / 8);
    std::int64_t number = request.start;
    copied = 0;
    for (std::size_t at = marked.find(marker); at != std::wstring::npos; at = marked.find(marker, copied)) {
        if (result.renumbered % kCancelCheckLines == 0 && cancelled(cancel))
            return std::nullopt;
        out.append(marked, copied, at - copied);
        out += prefix;
        for (char c : cformat(numberFormat, number))
            out += static_cast<wchar_t>(c);
        copied = at + marker.size();
        number += step;
        ++result.renumbered;
    }
    out.append(marked, copied);
    if (progress)
        progress->store(lines, std::memory_order_relaxed);
    result.text = fromWide(out);
    return result;
}

// --- NcRenumberForm ----------------------------------------------------------------------

NcRenumberForm::NcRenumberForm(std::u16string_view machineFormat)
    : m_current(machineFormat)
    , m_new(machineFormat)
    , m_start("0")
{
}

void NcRenumberForm::setStep(int step)
{
    m_step = std::clamp(step == 0 ? kMinStep : step, kMinStep, kMaxStep);
}

std::optional<RenumberRequest> NcRenumberForm::count(const TextLookup& texts, std::string& message)
{
    std::string text = m_start;
    ParseResult parsed;
    const bool blank = std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
    if (blank || !validateField(text, 1, ValueKind::Integer, parsed) || parsed.intValue < 0) {
        message = texts.text(nc_text_ids::kStartValueInvalid.id, nc_text_ids::kStartValueInvalid.builtin);
        return std::nullopt;
    }
    RenumberRequest request;
    request.current = NcLineFormat::parse(m_current);
    request.next = NcLineFormat::parse(m_new);
    request.start = parsed.intValue;
    request.step = m_step;
    m_counting = true;
    return request;
}

std::optional<std::u16string> NcRenumberForm::finished()
{
    m_counting = false;
    if (m_new == m_current)
        return std::nullopt;
    m_current = m_new;
    return m_current;
}

} // namespace kvt

#include "common/report_writer.h"

#include "common/atomic_file.h"
#include "common/code_page.h"
#include "common/stamps.h"
#include "state/open_dialog_data.h"
#include "state/state_blocks.h"

#include <algorithm>

namespace kvt {

namespace {

std::filesystem::path dataDirectoryOf(const OpenDialogData& state)
{
    return std::filesystem::path(std::u16string(fixedText(state.dataDirectory)));
}

} // namespace

std::optional<ReportKind> reportKind(int kind)
{
    for (const ReportKind& entry : kReportKinds) {
        if (entry.kind == kind)
            return entry;
    }
    return std::nullopt;
}

std::string reportSeparator(int minusSigns)
{
    std::string line(static_cast<std::size_t>(std::max(minusSigns, 0)), '-');
    line += kReportLineEnd;
    return line;
}

std::string reportLine(std::string_view label, std::string_view value)
{
    std::string line(label);
    line += "\t: ";
    line += value;
    line += kReportLineEnd;
    return line;
}

std::filesystem::path reportFilePath(
    const std::filesystem::path& dataDirectory, int kind, int languageCode, const LocalDateTime& time)
{
    const int stampLanguage = languageCode == kLanguageGerman ? kLanguageGerman : kLanguageEnglish;
    std::string name;
    std::filesystem::path folder = dataDirectory;
    if (const auto entry = reportKind(kind)) {
        folder /= pathFromUtf8(entry->folder);
        name = entry->prefix;
    }
    name += compactStamp(dateTimeSecondsStamp(stampLanguage, time));
    name += ".txt";
    return folder / pathFromUtf8(name);
}

ReportWriteResult writeReportFile(const std::filesystem::path& dataDirectory, int kind, int languageCode,
    std::string_view utf8Text, const Clock& clock)
{
    ReportWriteResult result;
    result.path = reportFilePath(dataDirectory, kind, languageCode, clock.localTime());
    const std::string_view text = utf8Text.substr(0, utf8Text.find('\0'));
    result.written = writeFileAtomically(result.path, utf8ToAnsi(text), &result.error);
    return result;
}

ReportWriteResult ReportWriter::write(
    const std::filesystem::path& dataDirectory, int kind, int languageCode, std::string_view utf8Text) const
{
    ReportWriteResult result = writeReportFile(dataDirectory, kind, languageCode, utf8Text, m_clock);
    if (!result.written)
        showFailure(result);
    return result;
}

void ReportWriter::showFailure(const ReportWriteResult& result) const
{
    MessageBoxRequest request;
    request.text = m_texts.text(kReportNotWrittenMessageId, kReportNotWrittenMessage);
    request.text += "\n";
    request.text += pathToUtf8(result.path);
    if (!result.error.empty()) {
        request.text += "\n(";
        request.text += result.error;
        request.text += ")";
    }
    request.caption = m_texts.text(kErrorCaptionFehlerId, kErrorCaptionFehler);
    request.icon = MessageIcon::Error;
    m_boxes.show(request);
}

ReportWriteResult ReportWriter::store(
    OpenDialogData& state, NcTextBuffer& buffer, int kind, std::string_view utf8Text) const
{
    const std::string ansi = utf8ToAnsi(utf8Text.substr(0, utf8Text.find('\0')));
    const std::size_t narrowLength = std::min(ansi.size(), std::size(buffer.reportNarrow) - 1);
    std::fill(std::begin(buffer.reportNarrow), std::end(buffer.reportNarrow), '\0');
    std::copy_n(ansi.begin(), narrowLength, std::begin(buffer.reportNarrow));

    ReportWriteResult result = writeReportFile(dataDirectoryOf(state), kind, state.languageCode, utf8Text, m_clock);
    if (!result.written) {
        // The background thread brings a pending message box to the front.
        state.messageBoxPending = 1;
        showFailure(result);
    }
    // A path too long for the state is not stored cut: opening a cut path would show
    // some other file or none.
    const std::u16string path = result.path.u16string();
    if (!setFixedText(state.lastReportPath, path))
        setFixedText(state.lastReportPath, u"");
    return result;
}

ReportWriteResult ReportWriter::write(
    OpenDialogData& state, NcTextBuffer& buffer, int kind, std::string_view utf8Text) const
{
    clearReportArea(buffer.reportText);
    appendToReportArea(buffer.reportText, utf8Text);
    return store(state, buffer, kind, utf8Text);
}

ReportWriteResult ReportWriter::writeFromArea(OpenDialogData& state, NcTextBuffer& buffer, int kind) const
{
    return store(state, buffer, kind, reportAreaText(buffer.reportText));
}

void clearReportArea(std::span<char16_t> area)
{
    std::fill(area.begin(), area.end(), u'\0');
}

bool appendToReportArea(std::span<char16_t> area, std::string_view utf8Text)
{
    if (area.empty())
        return utf8Text.empty();
    const std::u16string_view current = fixedText(area);
    std::u16string combined(current);
    combined += utf8ToUtf16(utf8Text);
    return setFixedText(area, combined);
}

std::string reportAreaText(std::span<const char16_t> area)
{
    return utf16ToUtf8(fixedText(area));
}

bool openReport(const OpenDialogData& state, TextViewerLauncher& launcher)
{
    const std::u16string_view path = fixedText(state.lastReportPath);
    if (path.empty())
        return false;
    return launcher.open(std::filesystem::path(std::u16string(path)));
}

} // namespace kvt

// The control profile of the machine in the serial group and the profile editor: the
// choice stored with the machine, the checks of typed fields with their messages, the
// profile file in the data folder and what a damaged one does.

#include "common/code_page.h"
#include "options/control_profile_dialog.h"
#include "options/control_profile_form.h"
#include "options_dialog_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <iterator>

namespace kvt::test {
namespace {

class ProfileFormTest : public OptionsDialogTest {
protected:
    ProfileFormTest() { setFixedText(state->dataDirectory, folder.path().u16string()); }
    std::filesystem::path file() const { return ControlProfiles::filePath(folder.path()); }
    TempFolder folder;
};

TEST_F(ProfileFormTest, AMachineWithoutAProfileUsesTheGenericOneAndAChoiceIsStoredWithIt)
{
    record->settings.currentMachine = 3;
    ControlProfileForm form(context);
    EXPECT_EQ(form.takeLoadMessage(), "");
    EXPECT_EQ(form.entries(), (std::vector<std::string> {"Fanuc", "Haas", "Heidenhain", "Siemens", "Generic"}));
    EXPECT_EQ(form.currentIndex(), 4);
    form.choose(2);
    EXPECT_EQ(MachineProfileName(machine(3)), "Heidenhain");
    EXPECT_EQ(MachineProfileName(machine(0)), "");
    EXPECT_EQ(record->settings.dialogChanged[kMachinePage1], 1);
    EXPECT_EQ(form.currentIndex(), 2);
    form.choose(5); // no such entry
    EXPECT_EQ(MachineProfileName(machine(3)), "Heidenhain");
}

TEST_F(ProfileFormTest, RefusedFieldsTellWhatIsWrongAndChangeNothing)
{
    ControlProfileForm form(context);
    const ControlProfileTexts good = profileTexts(form.profiles().all()[0]);
    const std::vector<std::pair<std::function<void(ControlProfileTexts&)>, std::string>> cases = {
        {[](auto& t) { t.leader = "%\\x"; }, "*Fehlerhafte Steuerzeichen (\\xHH, \\\\) in: %\\x"},
        {[](auto& t) { t.trailer = "\\q"; }, "*Fehlerhafte Steuerzeichen (\\xHH, \\\\) in: \\q"},
        {[](auto& t) { t.linePauseMs = "-5"; }, "*Eine ganze Zahl ab 0 eingeben: -5"},
        {[](auto& t) { t.stopAllowance = "1.5"; }, "*Eine ganze Zahl ab 0 eingeben: 1.5"},
        {[](auto& t) { t.requestDelayMs = ""; }, "*Eine ganze Zahl ab 0 eingeben: "},
        {[](auto& t) { t.name = ""; }, "*Das Profil braucht einen Namen ohne eckige Klammern."},
        {[](auto& t) { t.name = "A]"; }, "*Das Profil braucht einen Namen ohne eckige Klammern."},
        {[](auto& t) { t.receiveEndPattern = "(M30"; },
            "*Das Empfangsende-Muster ist kein gültiger regulärer Ausdruck."},
        {[](auto& t) { t.requestPattern = "[O"; }, "*Das Anforderungs-Muster ist kein gültiger regulärer Ausdruck."},
        {[](auto& t) { t.fileNamePattern = "O.nc"; }, "*Das Dateinamen-Muster braucht {n} für die Programmnummer."},
        {[](auto& t) { t.stopAllowance = "0"; }, "*Zeichen nach Stopp muss mindestens 1 sein."},
    };
    for (const auto& [change, message] : cases) {
        SCOPED_TRACE(message);
        boxes.shown.clear();
        ControlProfileTexts texts = good;
        change(texts);
        EXPECT_FALSE(form.save(texts));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, message);
        EXPECT_EQ(form.profiles().all()[0].leader, "%");
        EXPECT_FALSE(std::filesystem::exists(file()));
    }
}

TEST_F(ProfileFormTest, ASavedProfileIsInTheFileForTheNextDialog)
{
    ControlProfileTexts texts = profileTexts(ControlProfiles().all()[0]);
    texts.name = "Mill 2";
    texts.leader = "\\x12%";
    texts.linePauseMs = " 20 ";
    texts.folders[0] = "/srv/nc";
    {
        ControlProfileForm form(context);
        ASSERT_TRUE(form.save(texts));
        EXPECT_TRUE(boxes.shown.empty());
    }
    ControlProfileForm again(context);
    ASSERT_EQ(again.entries().size(), 6u);
    const ControlProfile& mill = again.profiles().all()[5];
    EXPECT_EQ(mill.name, "Mill 2");
    EXPECT_EQ(mill.leader, "\x12%");
    EXPECT_EQ(mill.linePauseMs, 20u);
    EXPECT_EQ(mill.folders[0], "/srv/nc");
    EXPECT_EQ(profileTexts(mill).leader, "\\x12%");
    EXPECT_TRUE(again.remove("Mill 2"));
    EXPECT_EQ(ControlProfileForm(context).entries().size(), 5u);
}

TEST_F(ProfileFormTest, ADamagedFileIsToldOnceAndKeptAsideBeforeItIsWritten)
{
    std::ofstream(file()) << "[Mill 2]\nleader=%\nstart=soon\n";
    ControlProfileForm form(context);
    EXPECT_EQ(form.takeLoadMessage(),
        "*Die Datei der Steuerungsprofile ist beschädigt (Zeile 3: start). Es gelten die eingebauten Profile; die "
        "Datei wird beim nächsten Speichern als ControlProfiles.txt.bad aufbewahrt.");
    EXPECT_EQ(form.takeLoadMessage(), "");
    EXPECT_EQ(form.entries().size(), 5u);
    EXPECT_TRUE(form.save(profileTexts(form.profiles().all()[1])));
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read(file().string() + ".bad"), "[Mill 2]\nleader=%\nstart=soon\n");

    // A second damage gets a copy of its own, and the message names it.
    std::ofstream(file()) << "[Lathe]\nflow=later\n";
    ControlProfileForm second(context);
    EXPECT_EQ(second.takeLoadMessage(),
        "*Die Datei der Steuerungsprofile ist beschädigt (Zeile 2: flow). Es gelten die eingebauten Profile; die "
        "Datei wird beim nächsten Speichern als ControlProfiles.txt.bad2 aufbewahrt.");
    EXPECT_TRUE(second.save(profileTexts(second.profiles().all()[1])));
    EXPECT_EQ(read(file().string() + ".bad"), "[Mill 2]\nleader=%\nstart=soon\n");
    EXPECT_EQ(read(file().string() + ".bad2"), "[Lathe]\nflow=later\n");

    // No copy, no save: the damaged file stays as it is.
    for (int number = 3; number <= 999; ++number)
        std::ofstream(file().string() + ".bad" + std::to_string(number)) << number;
    std::ofstream(file()) << "[Lathe]\nflow=never\n";
    ControlProfileForm third(context);
    boxes.shown.clear();
    EXPECT_FALSE(third.save(profileTexts(third.profiles().all()[1])));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Die Datei der Steuerungsprofile konnte nicht geschrieben werden.");
    EXPECT_EQ(read(file()), "[Lathe]\nflow=never\n");
}

TEST_F(ProfileFormTest, TheEditorShowsTheProfileAndSavesWhatIsTyped)
{
    ControlProfileForm form(context);
    ControlProfileDialog editor(form, texts, 1, nullptr);
    for (QWidget* control : editor.findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) || qobject_cast<QCheckBox*>(control)
            || qobject_cast<QPushButton*>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
        }
    }
    auto* name = editor.findChild<QLineEdit*>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->accessibleName(), "*Name:");
    EXPECT_EQ(name->text(), "Haas");
    name->setText("Haas VF2");
    editor.saveCommand();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.savedName(), "Haas VF2");
    EXPECT_EQ(form.entries().back(), "Haas VF2");
    EXPECT_EQ(form.profiles().all().back().leader, "%");
}

} // namespace
} // namespace kvt::test

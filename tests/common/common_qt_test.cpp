#include "common/field_binding.h"
#include "common/file_dialogs.h"
#include "common/language_codes.h"
#include "common/qt_message_boxes.h"

#include "locale_test_support.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace kvt {
namespace {

struct TypingCase {
    const char* name;
    int inputClass;
    ValueKind kind;
    const char* typed;
    const char* shown;
    double value;
};

class FieldBindingTest : public ::testing::TestWithParam<TypingCase> { };

double valueOf(const FieldBinding& binding)
{
    switch (binding.kind()) {
    case ValueKind::Float:
        return binding.value().floatValue;
    case ValueKind::Double:
        return binding.value().doubleValue;
    default:
        return binding.value().intValue;
    }
}

TEST_P(FieldBindingTest, TypingCutsBackSilently)
{
    const TypingCase& c = GetParam();
    QLineEdit edit;
    auto* binding = new FieldBinding(&edit, c.inputClass, c.kind);
    QTest::keyClicks(&edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit.text().toStdString(), c.shown);
    EXPECT_EQ(edit.cursorPosition(), edit.text().size());
    EXPECT_DOUBLE_EQ(valueOf(*binding), c.value);
}

INSTANTIATE_TEST_SUITE_P(Typing, FieldBindingTest,
    ::testing::Values(TypingCase {"LetterDropped", 1, ValueKind::Integer, "12a", "12", 12},
        TypingCase {"SecondPointDropped", 1, ValueKind::Double, "1.2.3", "1.23", 1.23},
        TypingCase {"PointInIntegerField", 1, ValueKind::Integer, "12.5", "125", 125},
        TypingCase {"MinusDropped", 1, ValueKind::Float, "-3", "3", 3},
        TypingCase {"CommaKept", 3, ValueKind::Float, "-2,5", "-2,5", -2.5},
        TypingCase {"Class2Magnitude", 2, ValueKind::Float, "5", "5", -5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldBinding, CutDropsEverythingAfterTheCharacter)
{
    QLineEdit edit;
    FieldBinding binding(&edit, 1, ValueKind::Integer);
    QSignalSpy changes(&binding, &FieldBinding::valueChanged);
    QTest::keyClicks(&edit, "123");
    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(edit.text(), "1");
    EXPECT_EQ(edit.cursorPosition(), 1);
    EXPECT_EQ(binding.value().intValue, 1);
    EXPECT_EQ(changes.count(), 4);
}

TEST(FieldBinding, TextsSetByTheWindowCountAfterRevalidate)
{
    QLineEdit edit;
    FieldBinding binding(&edit, 1, ValueKind::Float);
    edit.setText("2,5");
    EXPECT_EQ(binding.value().floatValue, 0.0f);
    binding.revalidate();
    EXPECT_FLOAT_EQ(binding.value().floatValue, 2.5f);
    EXPECT_EQ(edit.maxLength(), 255);
}

// Answers the next modal file dialog with `answer`.
void answerFileDialog(std::function<void(QFileDialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

TEST(FileDialogs, DxfUnitAndDefaultExtension)
{
    QTemporaryDir folder;
    answerFileDialog([&](QFileDialog& dialog) {
        dialog.selectNameFilter("DXF Datei inch (*.dxf)");
        dialog.selectFile(folder.filePath("flange"));
        static_cast<QDialog&>(dialog).accept(); // QFileDialog hides it
    });
    const FileDialogChoice choice = saveDxfFile(nullptr, "DXF", folder.path(), 0);
    EXPECT_TRUE(choice.accepted);
    EXPECT_EQ(choice.path, folder.filePath("flange.dxf"));
    EXPECT_EQ(choice.dxfUnit, 1);
    EXPECT_FALSE(choice.allFiles);
}

TEST(FileDialogs, AllFilesChoiceAndCancel)
{
    QTemporaryDir folder;
    answerFileDialog([&](QFileDialog& dialog) {
        dialog.selectNameFilter("All Files (*.*)");
        dialog.selectFile(folder.filePath("program.nc"));
        static_cast<QDialog&>(dialog).accept(); // QFileDialog hides it
    });
    FileDialogChoice choice = saveNcFile(nullptr, "NC", folder.path());
    EXPECT_TRUE(choice.accepted);
    EXPECT_TRUE(choice.allFiles);
    EXPECT_EQ(choice.path, folder.filePath("program.nc"));

    answerFileDialog([](QFileDialog& dialog) { dialog.reject(); });
    choice = openNcFile(nullptr, "NC", folder.path());
    EXPECT_FALSE(choice.accepted);
    EXPECT_TRUE(choice.path.isEmpty());
}

// The buttons must read in the program's language whatever the desktop's, and each
// must still give its own answer.
TEST(MessageBoxes, ButtonsSpeakTheProgramsLanguage)
{
    struct Case {
        int language;
        QStringList captions;
    };
    const Case cases[] = {
        {kLanguageGerman, {"&Ja", "&Nein", "Abbrechen"}},
        {kLanguageEnglish, {"&Yes", "&No", "Cancel"}},
    };
    for (const Case& c : cases) {
        setMessageButtonLanguage(c.language);
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                seen << box->button(which)->text();
            box->button(QMessageBox::No)->click();
        });
        QtMessageBoxes boxes;
        const MessageAnswer answer
            = boxes.show({"Speichern?", "Frage", MessageIcon::Question, MessageButtons::YesNoCancel});
        EXPECT_EQ(answer, MessageAnswer::No) << c.language;
        EXPECT_EQ(seen, c.captions) << c.language;
    }
    setMessageButtonLanguage(kLanguageGerman);
}

} // namespace
} // namespace kvt

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

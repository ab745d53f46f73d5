#include "serial/nc_renumber_dialog.h"

#include "common/fakes.h"
#include "qt_test_support.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace kvt {
namespace {

template<typename W> W* byName(QWidget& dialog, const char* name)
{
    for (W* w : dialog.findChildren<W*>()) {
        if (w->accessibleName() == QString::fromUtf8(name))
            return w;
    }
    ADD_FAILURE() << "no control named " << name;
    return nullptr;
}

bool waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct HostLog {
    std::vector<std::u16string> shown;
    std::vector<std::u16string> formats;
    int reloads = 0;
};

class NcRenumberDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<NcRenumberDialog> open(std::u16string program)
    {
        NcRenumberDialog::Host host;
        host.programText = [program] { return program; };
        host.showText = [this](const std::u16string& t) { log.shown.push_back(t); };
        host.formatChanged = [this](const std::u16string& f) { log.formats.push_back(f); };
        host.reloadFile = [this] { ++log.reloads; };
        auto dialog = std::make_unique<NcRenumberDialog>(texts, boxes, u"N0010", host);
        dialog->show();
        return dialog;
    }

    BuiltinTexts texts;
    test::RecordingMessageBoxes boxes;
    HostLog log;
};

TEST_F(NcRenumberDialogTest, OpensWithTheMachineFormatAndNamedControls)
{
    auto dialog = open(u"%\r\n");
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("*NC Datei, Zeilen durchzählen"));
    EXPECT_EQ(dialog->accessibleName(), dialog->windowTitle());
    EXPECT_EQ(byName<QLineEdit>(*dialog, "*Aktuelles Format:")->text(), "N0010");
    EXPECT_EQ(byName<QLineEdit>(*dialog, "*Neues Format:")->text(), "N0010");
    EXPECT_EQ(byName<QLineEdit>(*dialog, "*Startwert:")->text(), "0");
    QSpinBox* step = byName<QSpinBox>(*dialog, "*Zeilenstufen:");
    EXPECT_EQ(step->value(), 1);
    EXPECT_EQ(step->minimum(), 1);
    EXPECT_EQ(step->maximum(), 20);
    EXPECT_TRUE(byName<QPushButton>(*dialog, "*Zählen")->isVisible());
    EXPECT_TRUE(byName<QPushButton>(*dialog, "*Schließen")->isVisible());
    EXPECT_FALSE(byName<QPushButton>(*dialog, "*Zählen abbrechen")->isVisible());
}

TEST_F(NcRenumberDialogTest, CountingHandsBackTheTextAndANewFormat)
{
    auto dialog = open(u"%\r\nN5 G00 X0\r\nN7 M30\r\n");
    byName<QLineEdit>(*dialog, "*Startwert:")->setText("10");
    byName<QSpinBox>(*dialog, "*Zeilenstufen:")->setValue(5);
    QTest::mouseClick(byName<QPushButton>(*dialog, "*Zählen"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !log.shown.empty(); }));
    EXPECT_EQ(log.shown, std::vector<std::u16string> {u"%\r\nN0010 G00 X0\r\nN0015 M30\r\n"});
    EXPECT_TRUE(log.formats.empty());
    EXPECT_FALSE(dialog->counting());
    EXPECT_FALSE(byName<QPushButton>(*dialog, "*Zählen abbrechen")->isVisible());

    byName<QLineEdit>(*dialog, "*Neues Format:")->setText("N10");
    QTest::mouseClick(byName<QPushButton>(*dialog, "*Zählen"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return log.shown.size() == 2; }));
    EXPECT_EQ(log.shown[1], u"%\r\nN10 G00 X0\r\nN15 M30\r\n");
    EXPECT_EQ(log.formats, std::vector<std::u16string> {u"N10"});
    EXPECT_EQ(byName<QLineEdit>(*dialog, "*Aktuelles Format:")->text(), "N10");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(NcRenumberDialogTest, ABadStartValueIsRefusedWithAMessage)
{
    auto dialog = open(u"%\r\nN5 G0\r\n");
    byName<QLineEdit>(*dialog, "*Startwert:")->setText("-3");
    QTest::mouseClick(byName<QPushButton>(*dialog, "*Zählen"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Der Startwert muss eine ganze Zahl ab 0 sein.");
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_FALSE(dialog->counting());
    EXPECT_TRUE(log.shown.empty());
}

TEST_F(NcRenumberDialogTest, CancelAsksForTheFileAgainAndShowsNoText)
{
    std::u16string program = u"%\r\n";
    for (int i = 0; i < 300'000; ++i)
        program += u"N5 G01 X1\r\n";
    auto dialog = open(program);
    QTest::mouseClick(byName<QPushButton>(*dialog, "*Zählen"), Qt::LeftButton);
    ASSERT_TRUE(dialog->counting());
    EXPECT_TRUE(byName<QPushButton>(*dialog, "*Zählen abbrechen")->isVisible());
    QTest::mouseClick(byName<QPushButton>(*dialog, "*Zählen abbrechen"), Qt::LeftButton);
    EXPECT_EQ(log.reloads, 1);
    EXPECT_FALSE(dialog->counting());
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.shown.empty());
    EXPECT_FALSE(byName<QPushButton>(*dialog, "*Zählen abbrechen")->isVisible());
}

} // namespace
} // namespace kvt

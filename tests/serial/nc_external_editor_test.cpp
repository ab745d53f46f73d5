#include "serial/nc_external_editor.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

using Action = ExternalEditorPlan::Action;

struct EditorCase {
    const char* name;
    std::uint8_t mode;
    std::u16string program;
    const char* file;
    bool saved;
    Action action;
    const char* refusal;
    bool desktop;
};

TEST(NcExternalEditor, ModesRefusalsAndLaunches)
{
    const char* saveFirst
        = "*NC Daten müssen erst gespeichert werden, bevor sie in einem Editor geöffnet werden können!";
    const char* spaces = "*Der Dateipfad enthält Leerzeichen/Spaces. Diese müssen entfernt werden, z.B. mit _ ";
    const char* noProgram
        = "*Für diese Maschine ist kein externer Editor eingetragen (Optionen, Maschinenfunktionen 2).";
    const EditorCase cases[] = {
        {"internal editor: nothing to launch", 1, u"/usr/bin/ed", "/nc/P1.dat", true, Action::None, "", false},
        {"Notepad", 3, u"", "/nc/P1.dat", true, Action::Launch, "", true},
        {"Notepad even with a space in the path", 3, u"", "/nc/my P1.dat", true, Action::Launch, "", true},
        {"external program", 2, u"/usr/bin/gedit", "/nc/P1.dat", true, Action::Launch, "", false},
        {"stored 0 is an external program too", 0, u"/usr/bin/gedit", "/nc/P1.dat", true, Action::Launch, "", false},
        {"external program, space in the path", 2, u"/usr/bin/gedit", "/nc/my P1.dat", true, Action::Refuse, spaces,
            false},
        {"a space in the first character only is allowed", 2, u"/usr/bin/gedit", " /nc/P1.dat", true, Action::Launch,
            "", false},
        {"external program without a path", 2, u"", "/nc/P1.dat", true, Action::Refuse, noProgram, false},
        {"not saved yet", 3, u"", "/nc/P1.dat", false, Action::Refuse, saveFirst, false},
        {"no file at all", 2, u"/usr/bin/gedit", "", true, Action::Refuse, saveFirst, false},
    };
    BuiltinTexts texts;
    for (const auto& c : cases) {
        const ExternalEditorPlan plan = planExternalEditor(c.mode, c.program, c.file, c.saved, texts);
        EXPECT_EQ(plan.action, c.action) << c.name;
        EXPECT_EQ(plan.refusal.text, c.refusal) << c.name;
        if (plan.action == Action::Refuse) {
            EXPECT_EQ(plan.refusal.caption, "*Fehler") << c.name;
        }
        if (plan.action == Action::Launch) {
            EXPECT_EQ(plan.desktopEditor, c.desktop) << c.name;
            EXPECT_EQ(plan.file.string(), c.file) << c.name;
            EXPECT_EQ(plan.program.string(), c.desktop ? "" : "/usr/bin/gedit") << c.name;
        }
    }
}

TEST(NcExternalEditor, DesktopEntryExecLinesGiveTheCommandWithTheFile)
{
    struct Case {
        const char* exec;
        std::vector<std::string> command;
    };
    const Case cases[] = {
        {"gedit %U", {"gedit", "/nc/my P1.dat"}},
        {"kate -b %u", {"kate", "-b", "/nc/my P1.dat"}},
        {"mousepad", {"mousepad", "/nc/my P1.dat"}},
        {"\"/opt/My Editor/edit\" --new %F %i %c", {"/opt/My Editor/edit", "--new", "/nc/my P1.dat"}},
        {"edit \"a \\\"b\\\" c\" 100%% %f", {"edit", "a \"b\" c", "100%", "/nc/my P1.dat"}},
        {"", {}},
        {"%i", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopEntryCommand(c.exec, "/nc/my P1.dat"), c.command) << c.exec;
}

TEST(NcExternalEditor, TheExecLineComesFromTheDesktopEntryGroup)
{
    EXPECT_EQ(desktopEntryExec("[Desktop Entry]\r\nName=Text\r\nExec=gedit %U\r\n[Desktop Action new]\nExec=gedit "
                               "--new-window\n"),
        "gedit %U");
    EXPECT_EQ(desktopEntryExec("[Desktop Action new]\nExec=gedit --new-window\n"), "");
    EXPECT_EQ(desktopEntryExec(""), "");
}

} // namespace
} // namespace kvt

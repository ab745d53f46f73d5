#include "serial/nc_editor_launcher.h"

#include "common/fakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace kvt {
namespace {

TEST(NcEditorLauncher, AnExternalProgramGetsThePathAsItsOwnArgument)
{
    ExternalEditorPlan plan;
    plan.action = ExternalEditorPlan::Action::Launch;
    plan.program = "/opt/editor/bin/edit";
    plan.file = "/nc/my P1.dat";
    EXPECT_EQ(NcEditorLauncher::command(plan), (QStringList {"/opt/editor/bin/edit", "/nc/my P1.dat"}));
}

TEST(NcEditorLauncher, TheWindowHearsWhenTheEditorHasEnded)
{
    test::TempFolder folder;
    const auto script = folder.path() / "edit.sh";
    std::ofstream(script) << "#!/bin/sh\necho EDITED >> \"$1\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const auto file = folder.path() / "P 1.dat";
    std::ofstream(file) << "N10\n";

    ExternalEditorPlan plan;
    plan.action = ExternalEditorPlan::Action::Launch;
    plan.program = script;
    plan.file = file;
    NcEditorLauncher launcher;
    bool ended = false;
    ASSERT_TRUE(launcher.launch(plan, [&] { ended = true; }));
    EXPECT_TRUE(launcher.running());
    EXPECT_FALSE(launcher.launch(plan, [] {})); // one editor at a time
    QElapsedTimer timer;
    timer.start();
    while (!ended && timer.elapsed() < 20'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(launcher.running());
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "N10\nEDITED\n");
}

TEST(NcEditorLauncher, NothingStartsWithoutALaunchPlan)
{
    NcEditorLauncher launcher;
    ExternalEditorPlan plan;
    plan.action = ExternalEditorPlan::Action::Refuse;
    EXPECT_FALSE(launcher.launch(plan, [] {}));
    EXPECT_FALSE(launcher.running());
}

} // namespace
} // namespace kvt

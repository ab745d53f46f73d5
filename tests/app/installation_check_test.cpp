#include "app/installation_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace kvt {
namespace {

class InstallationCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("kvt-install-" + std::to_string(std::random_device {}()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    void write(const std::string& name, const std::string& content)
    {
        std::ofstream(m_folder / name, std::ios::binary) << content;
    }
    std::filesystem::path m_folder;
};

TEST_F(InstallationCheckTest, CompleteOnlyWhenBothModulesLoadAndTheLaterModulesAreThere)
{
    const std::string later[] = {"libKalvora_Tools_Network.so", "libKalvora_Tools_Print.so"};
    for (const std::string& name : later)
        write(name, "");
    write("Kalvora_Tools_de_de.lang", "65470\tFehler\n");
    EXPECT_FALSE(checkInstallation(m_folder).complete) << "the English module is missing";

    write("Kalvora_Tools_en_us.lang", "65470\tError\n");
    const InstallationCheck check = checkInstallation(m_folder);
    EXPECT_TRUE(check.complete) << check.text;
    EXPECT_NE(check.text.find("absent"), std::string::npos) << "the library is optional and said to be absent";

    // Each module loaded only when its work is asked for is named when it is missing.
    for (const std::string& name : later) {
        const std::string line = (m_folder / name).string() + "\n";
        EXPECT_NE(check.text.find("ok       " + line), std::string::npos) << check.text;
        std::filesystem::remove(m_folder / name);
        const InstallationCheck without = checkInstallation(m_folder);
        EXPECT_FALSE(without.complete) << name;
        EXPECT_NE(without.text.find("MISSING  " + line), std::string::npos) << without.text;
        write(name, "");
    }

    write("Kalvora_Tools_en_us.lang", "no tab on this line\n");
    EXPECT_FALSE(checkInstallation(m_folder).complete) << "a damaged module counts as missing";
}

} // namespace
} // namespace kvt

// Module discovery: the player's LocalServer32 default value, cut after its
// last "/", with "QNStaff.so" appended; every way of not finding it.

#include "app/startup/module_discovery.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr char kLocalServerKey[] = "CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32";

class ModuleDiscoveryTest : public ::testing::Test {
protected:
    ModuleDiscoveryTest() {
        roots_.user = folder_.path() + "/config/registry/HKEY_CLASSES_ROOT";
        roots_.system = folder_.path() + "/etc/registry/HKEY_CLASSES_ROOT";
    }

    // Writes the player's default value into the per-user tree.
    void WriteEntry(const std::string& value) {
        std::filesystem::create_directories(roots_.user + "/" + kLocalServerKey);
        std::ofstream(roots_.user + "/" + kLocalServerKey + "/@", std::ios::binary) << value;
    }

    // Runs discovery on a buffer that holds an older path first.
    bool Discover() {
        std::strcpy(g_szModulePath, "/stale/QNStaff.so");
        return DiscoverSynthModule(roots_);
    }

    TempFolder folder_;
    RegistryRoots roots_;
};

TEST_F(ModuleDiscoveryTest, TheModuleLiesInTheFolderOfThePlayersFile) {
    WriteEntry("/apps/player/player");
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "/apps/player/QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, AValueEndingInSlashGivesTheSameFolder) {
    WriteEntry("/apps/player/");
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "/apps/player/QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, AValueWithoutFolderGivesTheBareFileNameAndCountsAsFound) {
    WriteEntry("player");
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, AnEmptyValueGivesTheBareFileNameAndCountsAsFound) {
    WriteEntry("");
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, AQuotedValueKeepsItsLeadingQuote) {
    WriteEntry("\"/opt/tavoline/player\" --server");
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "\"/opt/tavoline/QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, ArgumentsWithSlashesMoveTheCut) {
    WriteEntry("/opt/tavoline/player --log=/var/log/x");
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "/opt/tavoline/player --log=/var/log/QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, TheSystemTreeIsUsedWhenTheUserHasNoEntry) {
    std::filesystem::create_directories(roots_.system + "/" + kLocalServerKey);
    std::ofstream(roots_.system + "/" + kLocalServerKey + "/@") << "/usr/lib/tavoline/player\n";
    ASSERT_TRUE(Discover());
    EXPECT_STREQ(g_szModulePath, "/usr/lib/tavoline/QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, AValueOf127CharactersIsStillRead) {
    const std::string value = "/" + std::string(120, 'p') + "/playr";  // 127 characters
    ASSERT_EQ(value.size(), 127u);
    WriteEntry(value);
    ASSERT_TRUE(Discover());
    EXPECT_EQ(std::string(g_szModulePath), "/" + std::string(120, 'p') + "/QNStaff.so");
}

TEST_F(ModuleDiscoveryTest, AValueOf128CharactersOrMoreIsNotFound) {
    WriteEntry("/" + std::string(120, 'p') + "/player");  // 128 characters
    EXPECT_FALSE(Discover());
    EXPECT_STREQ(g_szModulePath, "");
}

TEST_F(ModuleDiscoveryTest, AMissingLocalServerKeyIsNotFound) {
    std::filesystem::create_directories(roots_.user + "/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}");
    EXPECT_FALSE(Discover());
    EXPECT_STREQ(g_szModulePath, "");
}

TEST_F(ModuleDiscoveryTest, AMissingDefaultValueIsNotFound) {
    std::filesystem::create_directories(roots_.user + "/" + kLocalServerKey);
    EXPECT_FALSE(Discover());
    EXPECT_STREQ(g_szModulePath, "");
}

TEST_F(ModuleDiscoveryTest, NoRegistryAtAllIsNotFound) {
    EXPECT_FALSE(Discover());
    EXPECT_STREQ(g_szModulePath, "");
}

TEST_F(ModuleDiscoveryTest, TheHintNamesBothFilesLookedAtAndTheCommandForTheModuleBesideTheProgram) {
    const std::string program = folder_.path() + "/lib/ombrix/";
    std::filesystem::create_directories(program);
    std::ofstream(program + "QNStaff.so") << "module";
    EXPECT_EQ(ModuleNotRegisteredHint(roots_, program),
              "ombrix: the synthesizer module is not registered: neither " + roots_.user + "/" + kLocalServerKey +
                  "/@ nor " + roots_.system + "/" + kLocalServerKey +
                  "/@ names the folder of QNStaff.so (a value of 128 bytes or more does not count); register it "
                  "with: sh " + program + "register-module.sh " + folder_.path() +
                  "/lib/ombrix (add --system to register it for every user)");
}

TEST_F(ModuleDiscoveryTest, WithoutTheModuleBesideTheProgramTheHintLeavesTheFolderToTheUser) {
    roots_.user.clear();
    const std::string hint = ModuleNotRegisteredHint(roots_, "/opt/build/bin/");
    EXPECT_NE(hint.find("registered: neither " + roots_.system + "/" + kLocalServerKey + "/@ names"), std::string::npos)
        << hint;
    EXPECT_NE(hint.find("with: sh /opt/build/bin/register-module.sh <folder holding QNStaff.so> ("), std::string::npos)
        << hint;
}

}  // namespace

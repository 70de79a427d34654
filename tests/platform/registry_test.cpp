// Registry stand-in: keys as folders, default values as "@" files, the
// per-user tree before the system tree, and the value size limit.

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Two fresh registry trees (per-user and system) in a temporary folder.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ombrix-registry-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << errno;
        base_ = pattern;
        roots_.user = base_ + "/user/HKEY_CLASSES_ROOT";
        roots_.system = base_ + "/system/HKEY_CLASSES_ROOT";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }

    // Creates the key folder `key` under `root` and, unless `value` is null,
    // its default value file with exactly these bytes.
    static void Write(const std::string& root, const std::string& key, const char* value) {
        fs::create_directories(root + "/" + key);
        if (value == nullptr) return;
        std::ofstream(root + "/" + key + "/@", std::ios::binary) << value;
    }

    // Opens the key path "a/b/c" from the root; false when any step fails.
    bool Read(const std::string& keyPath, std::string& out, std::size_t size = 128) {
        std::optional<RegistryKey> key = RegistryKey::ClassesRoot(roots_);
        std::size_t start = 0;
        while (start <= keyPath.size()) {
            std::size_t end = keyPath.find('/', start);
            if (end == std::string::npos) end = keyPath.size();
            key = key->OpenSubKey(std::string_view(keyPath).substr(start, end - start));
            if (!key) return false;
            start = end + 1;
        }
        std::string buffer(size, 'x');
        if (!key->QueryDefaultValue(buffer.data(), buffer.size())) return false;
        out = buffer.c_str();
        return true;
    }

    std::string base_;
    RegistryRoots roots_;
};

TEST_F(RegistryTest, AKeysDefaultValueIsTheContentOfItsAtFile) {
    Write(roots_.user, "CLSID/{X}/LocalServer32", "/opt/player/player");
    std::string value;
    ASSERT_TRUE(Read("CLSID/{X}/LocalServer32", value));
    EXPECT_EQ(value, "/opt/player/player");
}

TEST_F(RegistryTest, OneTrailingLineEndIsNotPartOfTheValue) {
    Write(roots_.user, "A", "/opt/player/player\n");
    Write(roots_.user, "B", "/opt/player/player\r\n");
    Write(roots_.user, "C", "two lines\n\n");
    std::string value;
    ASSERT_TRUE(Read("A", value));
    EXPECT_EQ(value, "/opt/player/player");
    ASSERT_TRUE(Read("B", value));
    EXPECT_EQ(value, "/opt/player/player");
    ASSERT_TRUE(Read("C", value));
    EXPECT_EQ(value, "two lines\n");
}

TEST_F(RegistryTest, AnEmptyAtFileIsAnEmptyValue) {
    Write(roots_.user, "A", "");
    std::string value = "old";
    ASSERT_TRUE(Read("A", value));
    EXPECT_EQ(value, "");
}

TEST_F(RegistryTest, AMissingKeyOrMissingValueFails) {
    Write(roots_.user, "CLSID/{X}", nullptr);
    std::string value;
    EXPECT_FALSE(Read("CLSID/{X}/LocalServer32", value));
    EXPECT_FALSE(Read("CLSID/{X}", value));  // key exists, no "@"
    EXPECT_FALSE(Read("Nothing", value));
}

TEST_F(RegistryTest, KeyNamesThatLeaveTheTreeAreRefused) {
    Write(roots_.user, "A", "inside");
    const RegistryKey root = RegistryKey::ClassesRoot(roots_);
    const std::optional<RegistryKey> a = root.OpenSubKey("A");
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->OpenSubKey(".."));
    EXPECT_FALSE(a->OpenSubKey("."));
    EXPECT_FALSE(root.OpenSubKey("A/"));
    EXPECT_FALSE(root.OpenSubKey(""));
}

TEST_F(RegistryTest, AValueMustFitTheBufferWithItsTerminator) {
    const std::string fits(127, 'a');
    const std::string tooLong(128, 'a');
    Write(roots_.user, "Fits", fits.c_str());
    Write(roots_.user, "FitsWithNewline", (fits + "\r\n").c_str());
    Write(roots_.user, "TooLong", tooLong.c_str());
    Write(roots_.user, "TooLongWithNewline", (tooLong + "\n").c_str());
    Write(roots_.user, "Huge", std::string(100000, 'a').c_str());
    std::string value;
    ASSERT_TRUE(Read("Fits", value));
    EXPECT_EQ(value, fits);
    ASSERT_TRUE(Read("FitsWithNewline", value));
    EXPECT_EQ(value, fits);
    EXPECT_FALSE(Read("TooLong", value));
    EXPECT_FALSE(Read("TooLongWithNewline", value));
    EXPECT_FALSE(Read("Huge", value));
}

TEST_F(RegistryTest, AFailedReadLeavesTheBufferAlone) {
    Write(roots_.user, "TooLong", std::string(200, 'a').c_str());
    const std::optional<RegistryKey> key = RegistryKey::ClassesRoot(roots_).OpenSubKey("TooLong");
    ASSERT_TRUE(key);
    char buffer[128] = "untouched";
    EXPECT_FALSE(key->QueryDefaultValue(buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "untouched");
}

TEST_F(RegistryTest, ThePerUserTreeComesBeforeTheSystemTree) {
    Write(roots_.user, "Both", "user");
    Write(roots_.system, "Both", "system");
    Write(roots_.system, "SystemOnly", "system");
    std::string value;
    ASSERT_TRUE(Read("Both", value));
    EXPECT_EQ(value, "user");
    ASSERT_TRUE(Read("SystemOnly", value));
    EXPECT_EQ(value, "system");
}

TEST_F(RegistryTest, AKeyInTheUserTreeWithoutValueFallsBackToTheSystemValue) {
    Write(roots_.user, "Key", nullptr);
    Write(roots_.system, "Key", "system");
    std::string value;
    ASSERT_TRUE(Read("Key", value));
    EXPECT_EQ(value, "system");
}

TEST(RegistryRootsTest, TheUserTreeLiesUnderXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/ombrix-config", 1);
    const RegistryRoots roots = DefaultRegistryRoots();
    if (saved) setenv("XDG_CONFIG_HOME", previous.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(roots.user, "/tmp/ombrix-config/registry/HKEY_CLASSES_ROOT");
    EXPECT_EQ(roots.system, "/etc/registry/HKEY_CLASSES_ROOT");
}

}  // namespace

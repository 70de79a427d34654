// Loading a library: the loader's reason is kept for every way of failing,
// and a library of another machine is not reported as a missing file.

#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A copy of a real shared library in a fresh folder, with one byte changed.
class PatchedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ombrix-dl-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << errno;
        folder_ = pattern;
        path_ = folder_ + "/QNStaff.so";
        fs::copy_file(OMBRIX_SOME_LIBRARY, path_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    void Patch(std::streamoff offset, char byte) {
        std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(offset);
        file.put(byte);
    }

    std::string folder_;
    std::string path_;
};

TEST_F(PatchedLibrary, AnIntactCopyLoadsAndFindsItsSymbols) {
    const DynamicLibrary library = DynamicLibrary::Load(path_.c_str());
    ASSERT_TRUE(library.Loaded()) << library.LoadError();
    EXPECT_EQ(library.LoadError(), "");
    EXPECT_NE(library.Symbol("qnsmain"), nullptr);
    EXPECT_EQ(library.Symbol("NoSuchEntryPoint"), nullptr);
}

TEST_F(PatchedLibrary, A32BitLibraryIsRefusedForItsClass) {
    Patch(4, 1);  // ELFCLASS32
    const DynamicLibrary library = DynamicLibrary::Load(path_.c_str());
    EXPECT_FALSE(library.Loaded());
    EXPECT_EQ(library.LoadError(), path_ + ": wrong ELF class: ELFCLASS32");
}

TEST_F(PatchedLibrary, ALibraryForAnotherMachineIsRefusedForItsArchitecture) {
    Patch(18, static_cast<char>(0xB7));  // the 64-bit ARM machine
    Patch(19, 0);
    const DynamicLibrary library = DynamicLibrary::Load(path_.c_str());
    EXPECT_FALSE(library.Loaded());
    EXPECT_NE(library.LoadError().find(path_ + ": wrong architecture: built for ELF machine 183"), std::string::npos)
        << library.LoadError();
}

TEST_F(PatchedLibrary, AFileThatIsNoLibraryIsRefusedWithTheLoadersReason) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << "not a library";
    const DynamicLibrary library = DynamicLibrary::Load(path_.c_str());
    EXPECT_FALSE(library.Loaded());
    EXPECT_NE(library.LoadError().find(path_ + ": "), std::string::npos) << library.LoadError();
}

TEST(DynamicLibrary, AMissingFileAndAnEmptyPathSayWhy) {
    const DynamicLibrary missing = DynamicLibrary::Load("/nonexistent/QNStaff.so");
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.LoadError(),
              "/nonexistent/QNStaff.so: cannot open shared object file: No such file or directory");
    EXPECT_EQ(DynamicLibrary::Load("").LoadError(), "no file name given");
}

}  // namespace

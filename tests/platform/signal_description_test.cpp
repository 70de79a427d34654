// Signal names go into conversion logs, which keep the same bytes in every
// locale: the name stays English under a Japanese locale.
#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <string>

#include "platform/child_process.h"

TEST(SignalDescription, IsEnglishInEveryLocale) {
    const std::string old = std::setlocale(LC_MESSAGES, nullptr);
    if (std::setlocale(LC_MESSAGES, "ja_JP.UTF-8") == nullptr) GTEST_SKIP() << "the locale ja_JP.UTF-8 is not generated";
    const std::string segv = SignalDescription(SIGSEGV);
    const std::string kill = SignalDescription(SIGKILL);
    std::setlocale(LC_MESSAGES, old.c_str());
    EXPECT_EQ(segv, "Segmentation fault");
    EXPECT_EQ(kill, "Killed");
}

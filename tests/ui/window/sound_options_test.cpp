// The lists of the sound settings.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/translation.h"
#include "ui/window/sound_options.h"

namespace {

std::vector<std::string> Values(const std::vector<SoundOption>& options) {
    std::vector<std::string> values;
    for (const SoundOption& option : options) values.push_back(option.value);
    return values;
}

}  // namespace

TEST(SoundOptions, ListTheModulesOwnTheInstalledAndTheCurrentSoundFont) {
    const std::vector<InstalledSoundFont> installed = {{"fluidr3-gm", "/usr/share/sounds/sf2/FluidR3_GM.sf2", 148398306},
                                                       {"timgm6mb", "/usr/share/sounds/sf2/TimGM6mb.sf2", 6033360}};
    std::vector<SoundOption> options = SoundFontOptions(installed, "");
    EXPECT_EQ(Values(options), (std::vector<std::string>{"", installed[0].path, installed[1].path}));
    // Name and size in MB (the words may be translated).
    EXPECT_EQ(options[1].label, Formatted(Tr("%s (%.1f MB)"), "fluidr3-gm", 141.5));
    EXPECT_EQ(options[2].label, Formatted(Tr("%s (%.1f MB)"), "timgm6mb", 5.8));
    // An installed one is not listed twice; another file joins the list.
    EXPECT_EQ(SoundFontOptions(installed, installed[1].path).size(), 3u);
    options = SoundFontOptions(installed, "/home/user/Piano.sf2");
    ASSERT_EQ(options.size(), 4u);
    EXPECT_EQ(options[3].value, "/home/user/Piano.sf2");
    EXPECT_EQ(options[3].label, "/home/user/Piano.sf2");
    EXPECT_EQ(Values(SoundFontOptions({}, "")), std::vector<std::string>{""});
}

TEST(SoundOptions, OfferTheNamedChoicesAndALevelChosenBefore) {
    EXPECT_EQ(Values(ReverbOptions("room")), (std::vector<std::string>{"off", "room", "hall"}));
    EXPECT_EQ(Values(ReverbOptions("0.35")), (std::vector<std::string>{"off", "room", "hall", "0.35"}));
    EXPECT_EQ(ReverbOptions("0.35").back().label, Formatted(Tr("Level %s"), "0.35"));
    EXPECT_EQ(Values(ChorusOptions("on")), (std::vector<std::string>{"off", "on"}));
    EXPECT_EQ(Values(ChorusOptions("0")), (std::vector<std::string>{"off", "on", "0"}));
}

// The option command line: option forms, values, and the usage errors that
// make the program exit with status 2.
#include <gtest/gtest.h>

#include "app/options/option_command_line.h"
#include "app/song/song_options_logic.h"

namespace {

ParsedCommandLine Parse(std::vector<std::string> arguments) { return ParseOptionCommandLine(arguments); }

ChannelSet Channels(std::initializer_list<int> numbers) {
    ChannelSet set{};
    for (int n : numbers) set[n - 1] = true;
    return set;
}

// Whether the option command line reads `arguments` (the program's name is added).
bool ChoosesOptions(std::vector<std::string> arguments) {
    std::vector<const char*> argv = {"ombrix"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return IsOptionCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(OptionCommandLine, IsChosenByAnyOfItsOptionsWhereverItStands) {
    // Before the files, between them and after them.
    EXPECT_TRUE(ChoosesOptions({"--tempo", "80", "a.mid"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "--tempo", "80", "--minus", "bass"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "--list", "b.mid"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "-o", "a.wav"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "b.mid", "-q"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "-j", "2"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "-h"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "-V"}));
    EXPECT_TRUE(ChoosesOptions({"a.mid", "--", "-b.mid"}));
    EXPECT_TRUE(ChoosesOptions({"--"}));
    // First, the short options may be bundled or carry their value.
    EXPECT_TRUE(ChoosesOptions({"-qj2", "a.mid"}));
    EXPECT_TRUE(ChoosesOptions({"-oout", "a.mid"}));
}

TEST(OptionCommandLine, LeavesTheFolderBatchAndABareSongToTheirOwnCommandLines) {
    EXPECT_FALSE(ChoosesOptions({}));
    EXPECT_FALSE(ChoosesOptions({"-f/songs,-p0"}));
    EXPECT_FALSE(ChoosesOptions({"-f/my", "songs,-p1"}));  // a folder with a space, unquoted
    EXPECT_FALSE(ChoosesOptions({"-p0,-f/songs"}));
    EXPECT_FALSE(ChoosesOptions({"a.mid"}));
    EXPECT_FALSE(ChoosesOptions({"my", "song.mid"}));  // a name with a space, unquoted
    EXPECT_FALSE(ChoosesOptions({"song -o.mid"}));     // an option inside one argument is no option
    EXPECT_FALSE(ChoosesOptions({"-"}));
    // After the first argument only the short options standing alone count.
    EXPECT_FALSE(ChoosesOptions({"a.mid", "-j2"}));
    EXPECT_FALSE(ChoosesOptions({"my", "-ok.mid"}));
}

TEST(OptionCommandLine, PlayTakesOneSongWithEveryPracticeOptionButNoOutput) {
    const ParsedCommandLine played = Parse({"--play", "song.mid", "--minus", "bass", "--tempo", "80", "--measures", "3-4"});
    EXPECT_EQ(played.error, "");
    EXPECT_TRUE(played.request.play);
    EXPECT_EQ(played.request.tempoPercent, 80);
    EXPECT_EQ(played.request.inputs, std::vector<std::string>{"song.mid"});
    EXPECT_FALSE(Parse({"song.mid", "--tempo", "80"}).request.play);

    EXPECT_EQ(Parse({"--play", "-o", "a.wav", "song.mid"}).error,
              "--play plays the song and writes no file; leave out --output (-o)");
    EXPECT_EQ(Parse({"--play", "a.mid", "b.mid"}).error, "--play plays one song; give exactly one MIDI file");
    EXPECT_NE(Parse({"--play", "--list", "a.mid"}).error, "");
    // What only a finished file can have.
    for (const char* option : {"--normalize", "--loudness", "--format=flac", "--quality=3"}) {
        EXPECT_EQ(Parse({"--play", option, "a.mid"}).error,
                  "--play plays the song as it renders; leave out --normalize, --loudness, --format and --quality")
            << option;
    }
    EXPECT_NE(Parse({"--play"}).error, "");
}

TEST(OptionCommandLine, TakesAValueThatLooksLikeAnOptionAsTheValue) {
    const ParsedCommandLine shortForm = Parse({"song.mid", "-o", "--weird.wav"});
    ASSERT_EQ(shortForm.error, "");
    EXPECT_EQ(shortForm.request.output, "--weird.wav");
    EXPECT_EQ(shortForm.request.inputs, (std::vector<std::string>{"song.mid"}));
    const ParsedCommandLine longForm = Parse({"--output", "-f.wav", "song.mid", "--mute", "3"});
    ASSERT_EQ(longForm.error, "");
    EXPECT_EQ(longForm.request.output, "-f.wav");
}

TEST(OptionCommandLine, ReadsOptionsAfterTheFilesAsBefore) {
    const ParsedCommandLine after = Parse({"song.mid", "--tempo", "80", "--minus", "bass"});
    const ParsedCommandLine before = Parse({"--tempo", "80", "--minus", "bass", "song.mid"});
    ASSERT_EQ(after.error, "");
    EXPECT_EQ(after.request.inputs, before.request.inputs);
    EXPECT_EQ(after.request.tempoPercent, 80);
    EXPECT_EQ(after.request.removedParts, before.request.removedParts);
}

TEST(OptionCommandLine, SendsTheFolderBatchFormMixedWithOptionsToTheFolderAsInput) {
    const ParsedCommandLine parsed = Parse({"-f/songs", "--tempo", "80"});
    EXPECT_NE(parsed.error.find("'-f/songs' is the folder batch's form"), std::string::npos) << parsed.error;
}

TEST(OptionCommandLine, ReadsEveryOptionInAnyOrderWithInputsBetween) {
    const ParsedCommandLine parsed =
        Parse({"--mute", "3", "a.mid", "--volume-down=2,5-7", "--minus", "bass,Drums", "--tempo=80", "--no-precount",
               "songs", "--normalize", "-o", "out", "-j2", "-q", "--list"});
    ASSERT_EQ(parsed.error, "");
    const ConversionRequest& r = parsed.request;
    EXPECT_EQ(r.inputs, (std::vector<std::string>{"a.mid", "songs"}));
    EXPECT_EQ(r.mute, Channels({3}));
    EXPECT_EQ(r.volumeDown, Channels({2, 5, 6, 7}));
    EXPECT_EQ(r.removedParts, (std::vector<int>{SwitchId::kBass, SwitchId::kDrums}));
    EXPECT_EQ(r.tempoPercent, 80);
    EXPECT_FALSE(r.preCount);
    ASSERT_TRUE(r.peakDbfs.has_value());
    EXPECT_DOUBLE_EQ(*r.peakDbfs, -1.0);
    EXPECT_EQ(r.output, "out");
    EXPECT_EQ(r.jobs, 2);
    EXPECT_TRUE(r.quiet);
    EXPECT_TRUE(r.list);
}

TEST(OptionCommandLine, DefaultsAreTheWindowsDefaults) {
    const ConversionRequest r = Parse({"--", "a.mid"}).request;
    EXPECT_EQ(r.tempoPercent, 100);
    EXPECT_TRUE(r.preCount);
    EXPECT_FALSE(r.peakDbfs.has_value());
    EXPECT_EQ(r.jobs, 0);
    EXPECT_EQ(r.mute, ChannelSet{});
}

TEST(OptionCommandLine, RepeatedChannelOptionsAddUpAndTheLastTempoWins) {
    const ConversionRequest r = Parse({"--mute", "1", "--mute=16", "--tempo", "50", "--tempo", "120", "x"}).request;
    EXPECT_EQ(r.mute, Channels({1, 16}));
    EXPECT_EQ(r.tempoPercent, 120);
}

TEST(OptionCommandLine, DoubleDashEndsTheOptions) {
    const ConversionRequest r = Parse({"--", "--tempo", "-q"}).request;
    EXPECT_EQ(r.inputs, (std::vector<std::string>{"--tempo", "-q"}));
    EXPECT_FALSE(r.quiet);
}

TEST(OptionCommandLine, ShortOptionsBundleAndTakeTheirValueAttachedOrApart) {
    const ConversionRequest r = Parse({"--tempo=100", "-qj", "3", "-oout.wav", "x"}).request;
    EXPECT_TRUE(r.quiet);
    EXPECT_EQ(r.jobs, 3);
    EXPECT_EQ(r.output, "out.wav");
}

TEST(OptionCommandLine, AnUnambiguousBeginningNamesALongOption) {
    EXPECT_EQ(Parse({"--temp", "70", "x"}).request.tempoPercent, 70);
    EXPECT_NE(Parse({"--m", "1", "x"}).error.find("ambiguous (--mute, --minus, --measures)"), std::string::npos);
}

TEST(OptionCommandLine, NormalizeTakesItsLevelOnlyAfterAnEqualsSign) {
    const ConversionRequest r = Parse({"--normalize=-3.5", "x"}).request;
    EXPECT_DOUBLE_EQ(*r.peakDbfs, -3.5);
    // Apart, the value is an input, as GNU optional values are; the error says how to give it.
    EXPECT_EQ(Parse({"--normalize", "-3", "x"}).error,
              "unknown option '-3'; to give --normalize a value, write --normalize=-3");
    EXPECT_EQ(Parse({"--norm", "-3", "x"}).error, "unknown option '-3'; to give --normalize a value, write --normalize=-3");
    EXPECT_EQ(Parse({"--list", "-3", "x"}).error, "unknown option '-3'");
}

TEST(OptionCommandLine, PrecountTakesOnOrOff) {
    EXPECT_FALSE(Parse({"--precount", "off", "x"}).request.preCount);
    EXPECT_TRUE(Parse({"--no-precount", "--precount=on", "x"}).request.preCount);
}

TEST(OptionCommandLine, HelpAndVersionNeedNoInput) {
    EXPECT_TRUE(Parse({"--help"}).request.help);
    EXPECT_TRUE(Parse({"--version"}).request.version);
    EXPECT_EQ(Parse({"--help"}).error, "");
}

TEST(OptionCommandLine, EveryUsageErrorNamesTheProblem) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus", "x"}, "unknown option '--bogus'"},
        {{"--list", "-z", "x"}, "unknown option '-z'"},
        {{"--mute", "0", "x"}, "bad channel list '0' for --mute"},
        {{"--mute", "17", "x"}, "bad channel list '17'"},
        {{"--volume-down", "7-5", "x"}, "bad channel list '7-5' for --volume-down"},
        {{"--mute", "2,,3", "x"}, "bad channel list '2,,3'"},
        {{"--mute", "x"}, "bad channel list 'x'"},
        {{"--minus", "voice", "x"}, "bad part list 'voice'"},
        {{"--tempo", "0", "x"}, "tempo '0' is not a whole percentage from 1 to 999"},
        {{"--tempo", "1000", "x"}, "tempo '1000'"},
        {{"--tempo", "8.5", "x"}, "tempo '8.5'"},
        {{"--precount", "maybe", "x"}, "--precount takes on or off"},
        {{"--normalize=3", "x"}, "level '3' for --normalize"},
        {{"--normalize=loud", "x"}, "level 'loud'"},
        {{"--jobs", "0", "x"}, "jobs '0'"},
        {{"--list=yes", "x"}, "option --list takes no value"},
        {{"x", "--tempo"}, "option --tempo needs a value"},
        {{"--list", "x", "-j"}, "option -j needs a value"},
        {{"--tempo", "80"}, "no input given"},
        {{"--"}, "no input given"},
    };
    for (const auto& [arguments, error] : cases) {
        const std::string got = Parse(arguments).error;
        EXPECT_NE(got.find(error), std::string::npos) << "got \"" << got << "\" for " << arguments.front();
    }
}

TEST(OptionValues, ReadChannelAndPartLists) {
    EXPECT_EQ(ParseChannelList(" 2 , 5-7 "), Channels({2, 5, 6, 7}));
    EXPECT_EQ(ParseChannelList("16-16"), Channels({16}));
    EXPECT_FALSE(ParseChannelList("").has_value());
    EXPECT_FALSE(ParseChannelList("3-").has_value());
    EXPECT_EQ(ParsePartList("MELODY,guitar"), (std::vector<int>{SwitchId::kMelody, SwitchId::kGuitar}));
    EXPECT_FALSE(ParsePartList("bass,").has_value());
}

}  // namespace

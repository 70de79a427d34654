// --rehearsal PARTS: the voices found in track names, the parts of a song,
// the takes planned for each song and their names, what each take does to
// the song's levels, and what the module hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/options/option_command_line.h"
#include "app/options/rehearsal_plan.h"
#include "app/options/up_to_date.h"
#include "app/song/rehearsal_parts.h"
#include "app/song/voice_names.h"
#include "option_conversion_fixture.h"

namespace {

TEST(VoiceNames, FindTheVoicesInEnglishGermanItalianJapaneseAndAsLetters) {
    const std::map<std::string, std::string> voices = {
        {"Soprano", "Soprano"}, {"soprano 2", "Soprano"}, {"Sopran", "Soprano"}, {"S", "Soprano"}, {"s:", "Soprano"},
        {"ALTO", "Alto"}, {"Alt", "Alto"}, {"Contralto", "Alto"}, {"A", "Alto"},
        {"Tenor I", "Tenor"}, {"Tenore", "Tenor"}, {"t", "Tenor"},
        {"Baritone", "Baritone"}, {"Bariton", "Baritone"}, {"Baritono", "Baritone"},
        {"Bass", "Bass"}, {"Basso", "Bass"}, {"Basses", "Bass"}, {"B", "Bass"},
        {"\xE3\x82\xBD\xE3\x83\x97\xE3\x83\xA9\xE3\x83\x8E", "Soprano"},  // ソプラノ
        {"\xE3\x82\xA2\xE3\x83\xAB\xE3\x83\x88", "Alto"},                  // アルト
        {"\xE3\x83\x86\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\xAB", "Tenor"},      // テノール
        {"\xE3\x83\x90\xE3\x83\xAA\xE3\x83\x88\xE3\x83\xB3", "Baritone"},  // バリトン
        {"\xE3\x83\x90\xE3\x82\xB9", "Bass"},                              // バス
    };
    for (const auto& [name, voice] : voices) EXPECT_EQ(VoiceNamed(name), voice) << name;
    // Instruments with a voice's word, other names, and letters inside longer names are no voices.
    for (const char* other : {"Alto Sax", "Tenor Saxophone", "Bass Guitar", "Bass Drum", "Baritone Sax", "Bassoon",
                              "Piano", "Strings", "SA", "Track 1", "", "Alto clef",
                              "\xE3\x83\x90\xE3\x82\xB9\xE3\x83\x89\xE3\x83\xA9\xE3\x83\xA0"}) {  // バスドラム
        EXPECT_EQ(VoiceNamed(other), "") << other;
    }
}

// A song's options after the open: the channels used and their track names.
SongOptions Opened(const std::map<int, std::vector<std::string>>& tracks) {
    SongOptions options;
    ResetSongOptions(options);
    for (const auto& [channel, names] : tracks) {
        options.channelUsed[channel - 1] = 1;
        options.trackNames[channel - 1] = names;
    }
    return options;
}

std::uint16_t Mask(std::initializer_list<int> channels) {
    std::uint16_t mask = 0;
    for (const int channel : channels) mask |= static_cast<std::uint16_t>(1u << (channel - 1));
    return mask;
}

TEST(RehearsalParts, AChoirsVoicesInScoreOrderThenThePartsTheFinderAddsBeyondThem) {
    SongOptions choir = Opened({{1, {"Bass"}}, {2, {"Tenor 1"}}, {3, {"Tenor 2"}}, {4, {"Alto"}}, {5, {"Soprano"}}, {6, {"Piano"}}});
    choir.partChannels[PartKind::kMelody] = Mask({5, 6});  // the soprano and the piano doubling it: no part of its own
    choir.partChannels[PartKind::kBass] = Mask({1});
    std::vector<RehearsalPart> parts = SongRehearsalParts(choir);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "Soprano");
    EXPECT_EQ(parts[1].name, "Alto");
    EXPECT_EQ(parts[2].name, "Tenor");
    EXPECT_EQ(parts[2].channels, Mask({2, 3}));
    EXPECT_EQ(parts[3].name, "Bass");

    SongOptions band = Opened({{1, {"Vocal"}}, {2, {"Bass Guitar"}}, {3, {"Rhythm"}}, {10, {"Drums"}}});
    band.partChannels[PartKind::kMelody] = Mask({1});
    band.partChannels[PartKind::kBass] = Mask({2});
    band.partChannels[PartKind::kGuitar] = Mask({3});
    band.partChannels[PartKind::kDrums] = Mask({10});
    parts = SongRehearsalParts(band);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "Melody");
    EXPECT_EQ(parts[1].name, "Bass");
    EXPECT_EQ(parts[1].channels, Mask({2}));
    EXPECT_EQ(parts[2].name, "Guitar");
    EXPECT_EQ(parts[3].name, "Drums");

    EXPECT_TRUE(SongRehearsalParts(Opened({{1, {"Piano"}}})).empty());
}

TEST(RehearsalParts, ANameIsAVoiceThenAPartThenATrack) {
    SongOptions options = Opened({{1, {"Sopran"}}, {2, {"Alt"}}, {4, {"Flute"}}, {5, {"Vocal"}}});
    options.partChannels[PartKind::kMelody] = Mask({5});
    options.partChannels[PartKind::kBass] = Mask({3});  // a channel no longer used counts for nothing
    const auto alto = RehearsalPartNamed("alto", options);
    ASSERT_TRUE(alto);
    EXPECT_EQ(alto->name, "Alto");
    EXPECT_EQ(alto->channels, Mask({2}));
    EXPECT_EQ(RehearsalPartNamed("S", options)->name, "Soprano");
    EXPECT_EQ(RehearsalPartNamed("MELODY", options)->channels, Mask({5}));
    EXPECT_EQ(RehearsalPartNamed("melody", options)->name, "Melody");
    EXPECT_EQ(RehearsalPartNamed("flute", options)->channels, Mask({4}));
    EXPECT_FALSE(RehearsalPartNamed("bass", options));
    EXPECT_FALSE(RehearsalPartNamed("tenor", options));
    EXPECT_FALSE(RehearsalPartNamed("Flu", options));
}

TEST(RehearsalOption, TakesAPartListOrAllAndTheLoudTracksLevels) {
    ParsedCommandLine parsed = ParseOptionCommandLine({"--rehearsal", "soprano, alto,tenor,bass", "a.mid"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.request.rehearsal, (std::vector<std::string>{"soprano", "alto", "tenor", "bass"}));
    EXPECT_FALSE(parsed.request.rehearsalLevels);
    parsed = ParseOptionCommandLine({"--rehearsal=All", "--rehearsal-levels", "+9,-3.5", "a.mid"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.request.rehearsal, std::vector<std::string>{"All"});
    ASSERT_TRUE(parsed.request.rehearsalLevels);
    EXPECT_EQ(parsed.request.rehearsalLevels->partDb, 9.0);
    EXPECT_EQ(parsed.request.rehearsalLevels->othersDb, -3.5);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--rehearsal", "alto,,bass", "a.mid"}, {"--rehearsal", "", "a.mid"},
          {"--rehearsal", "all,alto", "a.mid"}, {"--rehearsal-levels", "6,-6", "a.mid"},
          {"--rehearsal", "all", "--rehearsal-levels", "6", "a.mid"},
          {"--rehearsal", "all", "--rehearsal-levels", "13,-6", "a.mid"},
          {"--rehearsal", "all", "--rehearsal-levels", "6,-61", "a.mid"}, {"--rehearsal", "all", "--play", "a.mid"}}) {
        EXPECT_NE(ParseOptionCommandLine(bad).error, "") << bad[1];
    }
}

// Plans one song "song.mid" in "out" with `names`, its parts taken from `options`.
ConversionPlan PlanTakes(const std::vector<std::string>& names, const std::optional<SongOptions>& options,
                         std::vector<std::string> outputs = {"out/song.wav"}) {
    ConversionPlan plan;
    for (const std::string& output : outputs) plan.files.push_back({"songs/song.mid", output, 0, {}, {}, "song.mid"});
    ConversionRequest request;
    request.rehearsal = names;
    PlanRehearsals(plan, request, [&options](const std::string&) { return options; });
    return plan;
}

std::vector<std::string> Outputs(const ConversionPlan& plan) {
    std::vector<std::string> outputs;
    for (const PlannedFile& file : plan.files) outputs.push_back(file.output);
    return outputs;
}

TEST(RehearsalPlan, EachPartGetsALoudAndAMissingTrackAndTheSongOneAllTrack) {
    const SongOptions choir = Opened({{1, {"Soprano"}}, {2, {"Alto"}}, {3, {"Tenor"}}, {4, {"Bass"}}});
    ConversionPlan plan = PlanTakes({"all"}, choir);
    EXPECT_EQ(Outputs(plan), (std::vector<std::string>{
                                 "out/song - Soprano loud.wav", "out/song - Soprano missing.wav", "out/song - Alto loud.wav",
                                 "out/song - Alto missing.wav", "out/song - Tenor loud.wav", "out/song - Tenor missing.wav",
                                 "out/song - Bass loud.wav", "out/song - Bass missing.wav", "out/song - All.wav"}));
    EXPECT_TRUE(plan.warnings.empty());
    ASSERT_TRUE(plan.files[3].rehearsal);
    EXPECT_EQ(plan.files[3].rehearsal->kind, RehearsalKind::kMissing);
    EXPECT_EQ(plan.files[3].rehearsal->part, "Alto");
    EXPECT_EQ(plan.files[3].rehearsal->channels, Mask({2}));
    EXPECT_EQ(plan.files[8].rehearsal->kind, RehearsalKind::kAll);
    for (const PlannedFile& file : plan.files) {
        EXPECT_EQ(file.input, "songs/song.mid");
        EXPECT_EQ(file.log, 0);
    }

    // Parts asked for by other names, twice, or missing from the song.
    plan = PlanTakes({"Alt", "alto", "baritone", "a/b"}, Opened({{2, {"Alto"}}, {5, {"a/b"}}}));
    EXPECT_EQ(Outputs(plan), (std::vector<std::string>{"out/song - Alto loud.wav", "out/song - Alto missing.wav",
                                                       "out/song - a-b loud.wav", "out/song - a-b missing.wav",
                                                       "out/song - All.wav"}));
    ASSERT_EQ(plan.warnings.size(), 1u);
    EXPECT_NE(plan.warnings[0].find("baritone"), std::string::npos) << plan.warnings[0];
    EXPECT_NE(plan.warnings[0].find("songs/song.mid"), std::string::npos) << plan.warnings[0];
}

TEST(RehearsalPlan, ASongThatCannotBeOpenedOrHasNoPartsGetsItsAllTrackAlone) {
    EXPECT_EQ(Outputs(PlanTakes({"alto"}, std::nullopt)), std::vector<std::string>{"out/song - All.wav"});
    const ConversionPlan plain = PlanTakes({"all"}, Opened({{1, {"Piano"}}}));
    EXPECT_EQ(Outputs(plain), std::vector<std::string>{"out/song - All.wav"});
    EXPECT_EQ(plain.warnings.size(), 1u);
}

TEST(RehearsalPlan, ATakeWhoseOutputAnotherFileHasFails) {
    const ConversionPlan plan = PlanTakes({"alto"}, Opened({{2, {"Alto"}}}), {"out/song.wav", "out/song - Alto.wav"});
    ASSERT_EQ(plan.files.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(plan.files[i].error, "") << i;
    EXPECT_EQ(plan.files[3].output, "out/song - Alto - Alto loud.wav");
    // "song - Alto" + " - All" cannot meet "song" + " - Alto loud"; only equal names fail.
    const ConversionPlan twice = PlanTakes({"alto"}, Opened({{2, {"Alto"}}}), {"out/song.wav", "out/song.wav"});
    ASSERT_EQ(twice.files.size(), 6u);
    for (std::size_t i = 3; i < 6; ++i) EXPECT_NE(twice.files[i].error.find("also written for"), std::string::npos) << i;
}

TEST(RehearsalTakes, ALoudTakeAddsItsLevelsAndAMissingTakeMutesThePart) {
    SongOptions options = Opened({{1, {"Soprano"}}, {2, {"Alto"}}, {3, {"Tenor"}}});
    options.levelDb[0] = 3.0;   // a --level of the request comes first
    options.levelDb[2] = -58.0;
    ApplyRehearsalTake({RehearsalKind::kLoud, "Soprano", Mask({1})}, {9.0, -6.0}, options);
    EXPECT_EQ(options.levelDb[0], 12.0);   // within +12 dB
    EXPECT_EQ(options.levelDb[1], -6.0);
    EXPECT_EQ(options.levelDb[2], -60.0);  // within -60 dB
    EXPECT_EQ(options.mute[0], 0);

    SongOptions missing = Opened({{1, {"Soprano"}}, {2, {"Alto"}}});
    ApplyRehearsalTake({RehearsalKind::kMissing, "Alto", Mask({2})}, {}, missing);
    EXPECT_EQ(missing.mute[1], 1);
    EXPECT_EQ(missing.mute[0], 0);
    EXPECT_EQ(missing.levelDb[0], 0.0);
    SongOptions all = missing;
    ApplyRehearsalTake({}, {}, all);
    EXPECT_EQ(all.mute, missing.mute);
    EXPECT_EQ(all.levelDb, missing.levelDb);
}

TEST(RehearsalTakes, EachTakeAndItsLevelsRecordDifferentOptions) {
    ConversionRequest request;
    request.rehearsal = {"all"};
    PlannedFile file{"a.mid", "a - Alto loud.wav", -1, {}, {}, "a.mid"};
    const std::string plain = FileOptionsFingerprint(request, file);
    EXPECT_EQ(plain, OptionsFingerprint(request));
    std::vector<std::string> prints = {plain};
    file.rehearsal = RehearsalTake{RehearsalKind::kLoud, "Alto", Mask({2})};
    prints.push_back(FileOptionsFingerprint(request, file));
    file.rehearsal->kind = RehearsalKind::kMissing;
    prints.push_back(FileOptionsFingerprint(request, file));
    file.rehearsal->channels = Mask({2, 3});  // the song's parts changed
    prints.push_back(FileOptionsFingerprint(request, file));
    file.rehearsal->part = "Tenor";
    prints.push_back(FileOptionsFingerprint(request, file));
    file.rehearsal->kind = RehearsalKind::kLoud;
    prints.push_back(FileOptionsFingerprint(request, file));
    request.rehearsalLevels = RehearsalLevels{3, -3};
    prints.push_back(FileOptionsFingerprint(request, file));
    // The levels play only in the loud takes.
    file.rehearsal->kind = RehearsalKind::kMissing;
    const std::string missing = FileOptionsFingerprint(request, file);
    request.rehearsalLevels.reset();
    EXPECT_EQ(FileOptionsFingerprint(request, file), missing);
    for (std::size_t i = 0; i < prints.size(); ++i) {
        for (std::size_t j = i + 1; j < prints.size(); ++j) EXPECT_NE(prints[i], prints[j]) << i << " " << j;
    }
}

// Four voices on channels 1-4, each named by its track, each a held note
// sung at volume 100: key 72, 67, 60 and 48.
smftest::Bytes FourVoices() {
    using smftest::Chunk;
    std::vector<Chunk> chunks;
    chunks.push_back(Chunk().Tempo(0, 500000).End());
    const char* names[] = {"Soprano", "Alto", "Tenor", "Bass"};
    const int keys[] = {72, 67, 60, 48};
    for (int voice = 0; voice < 4; ++voice) {
        Chunk track;
        track.Text(0, 0x03, names[voice]).At(0, {static_cast<std::uint8_t>(0xB0 | voice), 7, 100});
        track.NoteOn(0, voice, keys[voice], 100).NoteOff(1920, voice, keys[voice]).End();
        chunks.push_back(track);
    }
    return smftest::Smf(1, 480, chunks);
}

class RehearsalEffects : public OptionConversionTest {
protected:
    // Converts the four voices with the take of `part` of `kind` (levels +6 and -6 dB).
    std::vector<Sent> Convert(RehearsalKind kind, const std::string& part) {
        Open(WriteSong("song.mid", FourVoices()));
        const std::optional<RehearsalPart> found = RehearsalPartNamed(part, dlg.m_songOptions);
        EXPECT_TRUE(found) << part;
        ConversionRequest request;
        request.preCount = false;
        ApplyRequestedOptions(request, dlg.m_songOptions);
        ApplyRehearsalTake({kind, found ? found->name : "", found ? found->channels : std::uint16_t{}}, {}, dlg.m_songOptions);
        probe->Reset();
        HeadlessConversionUi ui;
        CollectingReport report;
        ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/song.wav", ui, report);
        EXPECT_TRUE(report.lines.empty());
        return ShortMessages(probe->Calls());
    }
    // The value of the first `controller` message on `channel`, -1 when none is sent.
    static int Control(const std::vector<Sent>& sent, int channel, int controller = 7) {
        const auto found = std::find_if(sent.begin(), sent.end(), [channel, controller](const Sent& s) {
            return s.status == static_cast<std::uint32_t>(0xB0 | (channel - 1)) && s.data1 == controller;
        });
        return found == sent.end() ? -1 : found->data2;
    }
};

TEST_F(RehearsalEffects, TheLoudPartRisesTheOthersFallAndTheMissingPartIsSilent) {
    const std::vector<Sent> loud = Convert(RehearsalKind::kLoud, "alto");
    // Volume and expression each take half the change: -6 dB makes volume
    // 100 into 100 x 10^(-3/40) = 84 and expression 127 into 107; +6 dB
    // raises volume first, 100 x 10^(6/40) = 141 being past its top of 127.
    EXPECT_EQ(Control(loud, 2), 127);
    for (const int other : {1, 3, 4}) {
        EXPECT_EQ(Control(loud, other), 84) << "channel " << other;
        EXPECT_EQ(Control(loud, other, 11), 107) << "channel " << other;
    }

    const std::vector<Sent> missing = Convert(RehearsalKind::kMissing, "A");
    EXPECT_TRUE(NoteOns(missing, 67, 2).empty());
    EXPECT_EQ(NoteOns(missing, 72, 1).size(), 1u);
    EXPECT_EQ(NoteOns(missing, 48, 4).size(), 1u);
    EXPECT_EQ(Control(missing, 1), 100);

    const std::vector<Sent> all = Convert(RehearsalKind::kAll, "bass");
    for (int channel = 1; channel <= 4; ++channel) EXPECT_EQ(Control(all, channel), 100) << "channel " << channel;
}

}  // namespace

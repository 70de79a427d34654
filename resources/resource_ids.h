// Resource IDs of the main window's icon and bitmaps.
#pragma once

namespace ResourceId {
constexpr int kIcon = 128;
constexpr int kBackground = 129;           // 408 x 544, fixes the client size
constexpr int kDrumsOn = 130;              // part strips: 80 x 96
constexpr int kDrumsOff = 131;
constexpr int kBassOn = 132;
constexpr int kBassOff = 133;
constexpr int kGuitarOn = 134;
constexpr int kGuitarOff = 135;
constexpr int kMelodyOn = 136;
constexpr int kMelodyOff = 137;
constexpr int kLoad = 139;                 // 40 x 80, same image off and on
constexpr int kConvert = 141;              // 40 x 80, same image off and on
constexpr int kRowUnused = 142;            // 301 x 16 channel row bars
constexpr int kRowUsed = 143;
constexpr int kMuteOn = 145;               // 16 x 32, yellow
constexpr int kChannelSwitchOff = 146;     // 16 x 32, VOLUME DOWN and MUTE off
constexpr int kChannelSwitchDisabled = 147;  // 16 x 16, single image
constexpr int kVolumeDownOn = 148;         // 16 x 32, green
constexpr int kTempoUp = 149;              // 22 x 22 tempo arrows
constexpr int kTempoUpPressed = 150;
constexpr int kTempoDown = 151;
constexpr int kTempoDownPressed = 152;
constexpr int kDigits = 153;               // 360 x 34: "0"-"9", blank, "-"
constexpr int kPreCountOn = 154;           // 14 x 28 check box strips
constexpr int kPreCountOff = 155;
constexpr int kDrumsDisabled = 156;        // 80 x 48 part switches without a song
constexpr int kBassDisabled = 157;
constexpr int kGuitarDisabled = 158;
constexpr int kMelodyDisabled = 159;
constexpr int kPlay = 160;                 // 40 x 80 PLAY/STOP strips: stopped, playing
constexpr int kStop = 161;
}  // namespace ResourceId

// Width of one cell of the digit strip, and the cells of blank and "-".
constexpr int kDigitCellWidth = 30;
constexpr int kBlankDigitCell = 10;
constexpr int kDashDigitCell = 11;

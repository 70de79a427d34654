// The lead-in scan: the events at tick 0 of the first chunk give the song's
// title, copyright and comment and the meter and key current from the start.
#include <algorithm>

#include "import/smf_buf.h"
#include "import/time_signature.h"
#include "model/measure.h"

namespace {
constexpr int kTitleBytes = 127;
constexpr int kCopyrightBytes = 127;
constexpr int kCommentBytes = 999;
constexpr int kTimeSignatureLength = 4;
constexpr int kKeySignatureLength = 2;
}  // namespace

void SmfBuf::ScanLeadingInfo() {
    titleText.clear();
    copyrightText.clear();
    commentText.clear();
    bool haveTitle = false;
    bool haveCopyright = false;
    bool haveComment = false;
    file.Seek(FirstChunkAt(), Myifstream::SeekFrom::kBegin);
    ChunkId id{};
    if (!OpenTrackChunk(id)) return;

    // Reads the first text of a kind; later ones are skipped.
    auto firstText = [this](bool& have, std::string& text, int keep) {
        const int length = ReadVarLen();
        if (have) {
            SkipBytes(length);
            return;
        }
        text = ReadText(length, keep);
        have = true;
    };

    while (ReadVarLen() == 0 && ReadEventHead() == kEventRead) {
        if (status < SmfByte::kExclusive) continue;
        if (status != SmfByte::kMeta) {
            if (HasLengthField()) SkipBytes(ReadVarLen());
            continue;
        }
        switch (data1) {
            case SmfByte::kMetaTrackName:
                firstText(haveTitle, titleText, kTitleBytes);
                break;
            case SmfByte::kMetaCopyright:
                firstText(haveCopyright, copyrightText, kCopyrightBytes);
                break;
            case SmfByte::kMetaText:
                firstText(haveComment, commentText, kCommentBytes);
                break;
            case SmfByte::kMetaTimeSignature:
            case SmfByte::kMetaKeySignature: {
                const int length = ReadVarLen();
                std::uint8_t body[kTimeSignatureLength] = {};
                if (data1 == SmfByte::kMetaTimeSignature && length == kTimeSignatureLength) {
                    if (!ReadBytes(body, kTimeSignatureLength)) return;
                    timeSignature = TimeSignatureByte(Meter{body[0], body[1]});
                    measureLength = MeasureLengthOf(timeSignature);
                } else if (data1 == SmfByte::kMetaKeySignature && length == kKeySignatureLength) {
                    if (!ReadBytes(body, kKeySignatureLength)) return;
                    keySharpsFlats = std::clamp<int>(static_cast<std::int8_t>(body[0]), -kMaxSharpsFlats, kMaxSharpsFlats);
                    keyMinor = body[1] != 0 ? 1 : 0;
                } else {
                    SkipBytes(length);
                }
                break;
            }
            default:  // tempo, SMPTE offset and the rest are not used here
                SkipBytes(ReadVarLen());
                break;
        }
    }
}

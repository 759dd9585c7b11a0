// Reading a disc from its CUE sheet.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "vdrive/cue_sheet.h"

namespace {

// Reads a sheet whose images have these sizes in sectors.
DiscReading read(const std::string& cue, std::map<std::string, uint64_t> sectors, const std::string& head = "") {
    return read_cue(cue, [&](const std::string& name, size_t head_bytes) -> std::optional<ImageFile> {
        const auto it = sectors.find(name);
        if (it == sectors.end()) return std::nullopt;
        return ImageFile{it->second * kSectorBytes + head.size(), head.substr(0, head_bytes)};
    });
}

// A canonical 44-byte RIFF header: format tag, channels, rate, bits.
std::string wave_header(int tag, int channels, int rate, int bits) {
    auto le = [](uint32_t v, int n) {
        std::string b;
        for (int i = 0; i < n; ++i) b += static_cast<char>(v >> (8 * i));
        return b;
    };
    return "RIFF" + le(0, 4) + "WAVEfmt " + le(16, 4) + le(tag, 2) + le(channels, 2) + le(rate, 4) +
           le(rate * channels * bits / 8, 4) + le(channels * bits / 8, 2) + le(bits, 2) + "data" + le(0xFFFFFFFF, 4);
}

TEST(CueSheet, TracksStartAfterTheLeadInAndTheLeadOutFollowsTheImage) {
    const DiscReading r = read(
        "REM GENRE Rock\r\nPERFORMER \"Someone\"\r\nFILE \"My Disc.bin\" BINARY\r\n"
        "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
        "  TRACK 02 AUDIO\r\n    INDEX 00 02:59:74\r\n    INDEX 01 03:00:00\r\n"
        "  track 03 mode1/2352\r\n    index 01 05:00:00\r\n",
        {{"My Disc.bin", 30000}});
    ASSERT_TRUE(r.layout) << r.error;
    const DiscLayout& d = *r.layout;
    ASSERT_EQ(d.tracks.size(), 3u);
    EXPECT_EQ(d.tracks[0].start, 150);
    EXPECT_EQ(d.tracks[1].start, 150 + 180 * 75) << "INDEX 01, not the pregap's INDEX 00";
    EXPECT_FALSE(d.tracks[2].audio);
    EXPECT_EQ(d.lead_out, 150 + 30000);
    EXPECT_EQ(d.track_length(1), 180 * 75);
    EXPECT_EQ(d.track_length(3), 30000 - 300 * 75 - 1) << "the last track one frame short";
    EXPECT_EQ(d.track_length(4), 0);
    EXPECT_EQ(d.track_at(0).number, 1);
    EXPECT_EQ(d.track_at(150 + 180 * 75).number, 2);
    EXPECT_EQ(d.track_at(150 + 180 * 75 - 1).number, 1);
    EXPECT_EQ(d.audio_end(150), 150 + 300 * 75) << "audio stops at the data track";
}

TEST(CueSheet, GapsSeveralImagesAndNinetyNineTracks) {
    const DiscReading r = read(
        "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:00:00\n"
        "FILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:10\nPOSTGAP 00:01:00\n",
        {{"a.bin", 1000}, {"b.bin", 500}});
    ASSERT_TRUE(r.layout) << r.error;
    EXPECT_EQ(r.layout->tracks[0].start, 150 + 150);
    EXPECT_EQ(r.layout->tracks[1].start, 150 + 1000 + 10 + 150);
    EXPECT_EQ(r.layout->lead_out, 150 + 1500 + 150 + 75);
    // The sound: a.bin after the 2-second pregap, then b.bin; the postgap is silence.
    ASSERT_EQ(r.layout->spans.size(), 2u);
    EXPECT_EQ(r.layout->span_at(150 + 150)->start, 150 + 150);
    EXPECT_EQ(r.layout->span_at(150 + 150 + 1000)->image, 1u);
    EXPECT_EQ(r.layout->span_at(150 + 1650 - 1)->start, 150 + 1150);
    EXPECT_EQ(r.layout->span_at(150 + 1650), nullptr);
    EXPECT_EQ(r.layout->span_at(150 + 149), nullptr);

    std::string cue = "FILE \"d.bin\" BINARY\n";
    for (int t = 1; t <= 99; ++t) cue += "TRACK " + std::to_string(100 + t).substr(1) + " AUDIO\nINDEX 01 " +
                                         std::to_string(100 + t - 1).substr(1) + ":00:00\n";
    const std::map<std::string, uint64_t> image = {{"d.bin", 99 * 60 * 75}};
    EXPECT_TRUE(read(cue, image).layout) << "99 tracks";
    EXPECT_FALSE(read(cue + "TRACK 100 AUDIO\nINDEX 01 99:00:00\n", image).layout);
}

TEST(CueSheet, SheetsTheDriveCannotReadSayWhy) {
    std::string gaps = "FILE d.bin BINARY\n";
    for (int t = 1; t <= 48; ++t)
        gaps += "TRACK " + std::to_string(100 + t).substr(1) + " AUDIO\nPREGAP 9999:59:74\nINDEX 01 00:00:00\n";
    const std::pair<std::string, const char*> cases[] = {
        {"", "no TRACK"},
        {"FILE \"x.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "cannot find"},
        {"FILE \"d.bin\" AIFF\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "WAVE"},
        {"FILE \"d.bin\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "RIFF"},
        {"TRACK 01 AUDIO\nINDEX 01 00:00:00\n", "before FILE"},
        {"FILE d.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n", "numbered"},
        {"FILE d.bin BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n", "mode"},
        {"FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:20:00\n", "beyond"},
        {"FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n", "mm:ss:ff"},
        {"FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n", "INDEX 01"},
        {"FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:05:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n", "after"},
        {"FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:13:24\n", "no sectors"},
        // The drive reads only inside its folder.
        {"FILE \"../d.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "\"../d.bin\" lies outside the drive's folder"},
        {"FILE \"sub\\..\\..\\d.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "outside"},
        {"FILE /d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "outside"},
        {"FILE C:d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "outside"},
        // Nothing lies past 99:59:74, however many minutes of gaps are added up.
        {"FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nPOSTGAP 99:58:00\n", "longer than 99:59:74"},
        {gaps, "longer than 99:59:74"},
    };
    for (const auto& [cue, why] : cases) {
        const DiscReading r = read(cue, {{"d.bin", 1000}, {"../d.bin", 1000}, {"sub\\..\\..\\d.bin", 1000},
                                         {"/d.bin", 1000}, {"C:d.bin", 1000}});
        EXPECT_FALSE(r.layout) << cue;
        EXPECT_NE(r.error.find(why), std::string::npos) << cue << " -> " << r.error;
    }
}

// Where a WAVE file's sound starts, and a big-endian image's, are the MCI test's capture.
TEST(CueSheet, WaveFilesOfCdAudioOnly) {
    const std::string cue = "FILE \"d.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
    const DiscReading wave = read(cue, {{"d.wav", 1000}}, wave_header(1, 2, 44100, 16));
    ASSERT_TRUE(wave.layout) << wave.error;
    EXPECT_EQ(wave.layout->lead_out, 150 + 1000) << "the data chunk runs to the end of the file";
    const std::string not_cd[] = {wave_header(1, 1, 44100, 16), wave_header(1, 2, 48000, 16),
                                  wave_header(1, 2, 44100, 24), wave_header(3, 2, 44100, 16)};
    for (const std::string& head : not_cd) {
        const DiscReading r = read(cue, {{"d.wav", 1000}}, head);
        EXPECT_FALSE(r.layout);
        EXPECT_NE(r.error.find("16-bit 44.1 kHz stereo"), std::string::npos) << r.error;
    }
}

TEST(CueSheet, ArbitraryBytesNeverCrashTheReader) {
    std::mt19937 random(12345);
    const std::string alphabet = "FILE TRACK INDEX PREGAP \"d.bin\" BINARY AUDIO 01 99 00:00:00 :\n\r\t";
    for (int round = 0; round < 2000; ++round) {
        std::string cue(random() % 200, ' ');
        for (char& c : cue) c = round % 2 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        const DiscReading r = read(cue, {{"d.bin", 1000}});
        EXPECT_TRUE(r.layout ? !r.layout->tracks.empty() && r.layout->lead_out > r.layout->tracks.back().start
                             : !r.error.empty());
    }
}

}  // namespace

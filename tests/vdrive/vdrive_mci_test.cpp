// The virtual drive on its own, driven through nothing but MCI as any program would drive a real drive.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "cdaudio/msf.h"
#include "support/mci_window.h"
#include "support/test_drive.h"

namespace {

// One open of the drive through MCI's command messages.
struct Mci {
    explicit Mci(const std::string& element) {
        MCI_OPEN_PARMSA open{};
        open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
        open.lpstrElementName = element.c_str();
        open_error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE,
                                     reinterpret_cast<DWORD_PTR>(&open));
        id = open_error ? 0 : open.wDeviceID;
    }
    ~Mci() {
        if (id) send(MCI_CLOSE, MCI_WAIT);
    }
    MCIERROR send(UINT msg, DWORD flags, void* parms = nullptr) const {
        return mciSendCommandA(id, msg, flags, reinterpret_cast<DWORD_PTR>(parms));
    }
    // The answer of a status item, or ~0u when the device refused it.
    DWORD status(DWORD item, DWORD track = 0, DWORD flags = MCI_WAIT, HWND callback = nullptr) const {
        MCI_STATUS_PARMS p{reinterpret_cast<DWORD_PTR>(callback), 0, item, track};
        return send(MCI_STATUS, MCI_STATUS_ITEM | flags | (track ? MCI_TRACK : 0), &p) ? ~0u : DWORD(p.dwReturn);
    }
    MCIERROR set_format(DWORD format) const {
        MCI_SET_PARMS p{0, format, 0};
        return send(MCI_SET, MCI_SET_TIME_FORMAT, &p);
    }
    MCIERROR play(DWORD flags, DWORD from, DWORD to = 0, HWND callback = nullptr) const {
        MCI_PLAY_PARMS p{reinterpret_cast<DWORD_PTR>(callback), from, to};
        return send(MCI_PLAY, flags, &p);
    }
    MCIERROR open_error = 0;
    MCIDEVICEID id = 0;
};

class VirtualDrive : public ::testing::Test {
protected:
    // Puts in tracks of these many seconds, the first at 00:02:00, and opens the drive.
    void Load(const std::vector<int32_t>& seconds, bool last_is_data = false) {
        drive.insert_seconds(seconds, last_is_data);
        cd = std::make_unique<Mci>(drive.element());
        ASSERT_EQ(cd->open_error, 0u);
    }
    TestDrive drive{'D'};
    std::unique_ptr<Mci> cd;
    NotifyWindow window;
};

// MSF by default, the tracks' starts and the play state as BRD reads them are the CD device test's.
TEST_F(VirtualDrive, AnswersInEveryTimeFormatPlaysOnTheWallClockAndEjects) {
    ASSERT_NO_FATAL_FAILURE(Load({200, 185, 240, 300}, true));
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd->status(MCI_STATUS_LENGTH, 3), pack_msf({4, 0, 0}));
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION), pack_msf({0, 2, 0})) << "a disc put in rests on track 1";
    EXPECT_EQ(cd->status(MCI_CDA_STATUS_TYPE_TRACK, 2), static_cast<DWORD>(MCI_CDA_TRACK_AUDIO));
    EXPECT_EQ(cd->status(MCI_CDA_STATUS_TYPE_TRACK, 4), static_cast<DWORD>(MCI_CDA_TRACK_OTHER));
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION, 5), ~0u) << "no track 5";
    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION, 4), pack_tmsf({4, 0, 0, 0}));
    ASSERT_EQ(cd->set_format(MCI_FORMAT_MILLISECONDS), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION, 2), 202000u);
    EXPECT_EQ(cd->status(MCI_STATUS_LENGTH, 2), 185000u);
    EXPECT_EQ(cd->set_format(MCI_FORMAT_BYTES), static_cast<MCIERROR>(MCIERR_BAD_TIME_FORMAT));
    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    const DWORD started = GetTickCount();
    ASSERT_EQ(cd->play(MCI_FROM | MCI_TO, MCI_MAKE_TMSF(3, 0, 0, 0), MCI_MAKE_TMSF(4, 0, 0, 0)), 0u);
    auto played = [this] {  // seconds into track 3
        const Tmsf at = unpack_tmsf(cd->status(MCI_STATUS_POSITION));
        return at.track == 3 ? at.minutes * 60 + at.seconds + at.frames / 75.0 : -1.0;
    };
    for (int i = 0; i < 300 && played() < 1.0; ++i) Sleep(10);
    EXPECT_NEAR(played(), (GetTickCount() - started) / 1000.0, 0.1) << "the position follows the wall clock";
    ASSERT_EQ(cd->send(MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PAUSE));
    const double paused_at = played();
    ASSERT_EQ(cd->send(MCI_RESUME, MCI_WAIT), 0u);
    for (int i = 0; i < 300 && played() <= paused_at; ++i) Sleep(10);
    EXPECT_GT(played(), paused_at);
    EXPECT_NE(cd->play(MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0)), 0u) << "a data track does not play";
    ASSERT_EQ(cd->play(MCI_FROM | MCI_WAIT, MCI_MAKE_TMSF(3, 3, 59, 0)), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(3, 3, 59, 74)) << "stopped where the audio ends";
    ASSERT_EQ(cd->send(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_NUMBER_OF_TRACKS), ~0u) << "an open tray has no table of contents";
}

// A new command aborts or supersedes a pending notification; a pause keeps it
// for the range's end, which resuming reaches.
TEST_F(VirtualDrive, ANewCommandAbortsOrSupersedesAPendingNotification) {
    ASSERT_NO_FATAL_FAILURE(Load({1, 185, 240, 300}));
    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    auto next = [this](DWORD ms = 1000) {
        const auto notice = window.wait(ms);
        return notice ? notice->status : 0u;
    };
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(2, 0, 0, 0), 0, window.hwnd), 0u);
    // The waiter for the play's end reads the state file all the while; every change of state still goes through.
    for (int i = 0; i < 150; ++i) {
        ASSERT_EQ(cd->send(MCI_PAUSE, MCI_WAIT), 0u) << "round " << i;
        ASSERT_EQ(cd->send(MCI_RESUME, MCI_WAIT), 0u) << "round " << i;
    }
    EXPECT_EQ(next(0), 0u) << "a pause keeps the play's notification pending";
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0), 0, window.hwnd), 0u);
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_ABORTED)) << "a new play interrupts the old one";
    cd->status(MCI_STATUS_MODE, 0, MCI_NOTIFY, window.hwnd);
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_SUPERSEDED));
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL)) << "the status command's own";
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0), 0, window.hwnd), 0u);
    ASSERT_EQ(cd->send(MCI_STOP, MCI_WAIT), 0u);
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_ABORTED));

    const DWORD to = MCI_MAKE_TMSF(2, 0, 0, 0);
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM | MCI_TO, MCI_MAKE_TMSF(1, 0, 0, 0), to, window.hwnd), 0u);
    ASSERT_EQ(cd->send(MCI_PAUSE, MCI_WAIT), 0u);
    const Tmsf at = unpack_tmsf(cd->status(MCI_STATUS_POSITION));
    ASSERT_EQ(at.track, 1);
    EXPECT_EQ(next(1100), 0u) << "paused past the range's end";
    const DWORD resumed = GetTickCount();
    ASSERT_EQ(cd->send(MCI_RESUME, MCI_WAIT), 0u);
    const auto notice = window.wait(2000);
    ASSERT_TRUE(notice && notice->status == MCI_NOTIFY_SUCCESSFUL);
    EXPECT_NEAR(static_cast<double>(notice->at_ms - resumed), (75 - at.frames) * 1000.0 / 75, 100.0);
}

// Aliases opened as two programs (or two parts of one) would open the drive,
// through winmm's command strings.
TEST_F(VirtualDrive, AnswersCommandStringsAndSharesOnlyAmongShareableOpens) {
    ASSERT_NO_FATAL_FAILURE(Load({200, 185, 240, 300}));
    cd.reset();
    char answer[128] = {};
    auto ask = [&](const char* command) {
        answer[0] = 0;
        return mciSendStringA(command, answer, sizeof answer, nullptr) ? std::string("error") : std::string(answer);
    };
    auto send = [](const char* command) { return mciSendStringA(command, nullptr, 0, nullptr); };
    const auto must_share = static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE);
    EXPECT_EQ(send("open D: type cdaudio alias brdcd shareable"), 0u);
    EXPECT_EQ(send("open D: type cdaudio alias second shareable"), 0u);
    EXPECT_EQ(send("open D: type cdaudio alias alone"), must_share);
    EXPECT_EQ(ask("info brdcd product"), "BRD virtual CD-ROM");
    EXPECT_EQ(ask("capability brdcd can eject"), "true");
    EXPECT_EQ(ask("capability brdcd device type"), "cdaudio");
    EXPECT_EQ(send("set brdcd time format tmsf"), 0u);
    EXPECT_EQ(send("play brdcd from 2 to 3"), 0u);
    EXPECT_EQ(ask("status brdcd mode"), "playing");
    EXPECT_EQ(ask("status second current track"), "2") << "the other alias sees the same drive";
    EXPECT_EQ(send("stop brdcd"), 0u);
    EXPECT_EQ(ask("status second mode"), "stopped");
    EXPECT_EQ(send("set brdcd door open"), 0u);
    EXPECT_EQ(ask("status brdcd media present"), "false");
    EXPECT_EQ(send("close brdcd"), 0u);
    EXPECT_EQ(send("close second"), 0u);
    EXPECT_EQ(send("open D: type cdaudio alias alone"), 0u) << "free again once the others closed";
    EXPECT_EQ(send("open D: type cdaudio alias other shareable"), must_share);
    EXPECT_EQ(send("close alone"), 0u);
}

TEST_F(VirtualDrive, CapturesTheSameSoundFromBinaryBigEndianAndWaveImages) {
    std::string pcm(75 * 2352, '\0');  // one second in two tracks, a fixed sequence of samples
    uint32_t x = 18;
    for (char& c : pcm) c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    std::string swapped = pcm;
    for (size_t i = 0; i < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    const auto le32 = [](size_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    // PCM, 2 channels, 44100 Hz (176400 bytes a second), 4-byte frames of 16 bits.
    const std::string format("WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data", 32);
    const std::string empty = "RIFF" + le32(36) + format + le32(0), wave = "RIFF" + le32(36 + pcm.size()) + format + le32(pcm.size()) + pcm;
    const std::pair<std::string, std::string> images[] = {{"BINARY", pcm}, {"MOTOROLA", swapped}, {"WAVE", wave}};
    for (const auto& [type, image] : images) {
        drive.insert_cue("FILE disc.bin " + type + "\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:40\n", 75);
        drive.put("disc.bin", image);
        drive.put("brdvcd.capture.wav", empty);
        {
            const Mci cd(drive.element());
            ASSERT_EQ(cd.play(MCI_FROM | MCI_WAIT, MCI_MAKE_MSF(0, 2, 0)), 0u) << type;
        }
        EXPECT_TRUE(drive.contents("brdvcd.capture.wav") == wave)
            << type << ": the capture holds exactly the second played, in a whole WAVE file";
    }
}

// Run by tests/vdrive/vdrivectl_test.py on a drive that the controller has
// loaded with the twelve-track sample disc (the end-to-end tests play it): a
// seek, then seeks while the controller ejects, and the eject.
TEST(VirtualDriveSample, SeeksTheTwelveTrackSampleDiscAndTakesTurnsWithTheController) {
    const char* letter = std::getenv("BRD_SAMPLE_DRIVE");
    if (!letter) GTEST_SKIP() << "run by the controller's test";
    Mci cd(std::string{letter[0], ':'});
    ASSERT_EQ(cd.open_error, 0u);
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    MCI_SEEK_PARMS seek{0, MCI_MAKE_TMSF(7, 0, 10, 0)};
    ASSERT_EQ(cd.send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(7, 0, 10, 0));
    // Seeks, changes of the drive's state, back to back while the controller ejects, until it leaves a file.
    const std::string done{letter[0], ':', '\\', 'd', 'o', 'n', 'e'};
    while (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) cd.send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek);
    ASSERT_EQ(cd.send(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_OPEN));
}

}  // namespace

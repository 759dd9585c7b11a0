// The virtual drive on its own, driven through nothing but MCI as any CD
// player would drive a real drive. The program's own use of it is
// tests/cdaudio/cd_device_test.cpp.
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

class Mci {
public:
    explicit Mci(const std::string& element) {
        MCI_OPEN_PARMSA open{};
        open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
        open.lpstrElementName = element.c_str();
        error_ = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE,
                                 reinterpret_cast<DWORD_PTR>(&open));
        id_ = error_ ? 0 : open.wDeviceID;
    }
    ~Mci() {
        if (id_) send(MCI_CLOSE, MCI_WAIT);
    }
    MCIERROR open_error() const { return error_; }
    MCIERROR send(UINT msg, DWORD flags, void* parms = nullptr) const {
        return mciSendCommandA(id_, msg, flags, reinterpret_cast<DWORD_PTR>(parms));
    }
    // The answer of a status item, or ~0u when the device refused it.
    DWORD status(DWORD item, DWORD track = 0, DWORD flags = MCI_WAIT, HWND callback = nullptr) const {
        MCI_STATUS_PARMS p{reinterpret_cast<DWORD_PTR>(callback), 0, item, track};
        return send(MCI_STATUS, MCI_STATUS_ITEM | flags | (track ? MCI_TRACK : 0), &p) ? ~0u
                                                                                         : static_cast<DWORD>(p.dwReturn);
    }
    MCIERROR set_format(DWORD format) const {
        MCI_SET_PARMS p{0, format, 0};
        return send(MCI_SET, MCI_SET_TIME_FORMAT, &p);
    }
    MCIERROR play(DWORD flags, DWORD from, DWORD to = 0, HWND callback = nullptr) const {
        MCI_PLAY_PARMS p{reinterpret_cast<DWORD_PTR>(callback), from, to};
        return send(MCI_PLAY, flags, &p);
    }

private:
    MCIERROR error_ = 0;
    MCIDEVICEID id_ = 0;
};

class VirtualDrive : public ::testing::Test {
protected:
    // Puts in tracks of these many seconds, the first at 00:02:00, and opens the drive.
    void Load(const std::vector<int32_t>& seconds, bool last_is_data = false) {
        int32_t lead_out = 0;
        auto tracks = tracks_of_seconds(seconds, &lead_out);
        tracks.back().audio = !last_is_data;
        drive.insert(tracks, lead_out);
        cd = std::make_unique<Mci>(drive.element());
        ASSERT_EQ(cd->open_error(), 0u);
    }
    TestDrive drive{'D'};
    std::unique_ptr<Mci> cd;
    NotifyWindow window;
};

TEST_F(VirtualDrive, AnswersInEveryTimeFormat) {
    ASSERT_NO_FATAL_FAILURE(Load({200, 185, 240, 300}, true));
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd->status(MCI_STATUS_MEDIA_PRESENT), static_cast<DWORD>(TRUE));
    EXPECT_EQ(cd->status(MCI_STATUS_TIME_FORMAT), static_cast<DWORD>(MCI_FORMAT_MSF));
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION, 3), pack_msf({6, 27, 0}));  // 2 s + 200 s + 185 s
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

    char product[64] = {};
    MCI_INFO_PARMSA info{0, product, sizeof product};
    ASSERT_EQ(cd->send(MCI_INFO, MCI_INFO_PRODUCT | MCI_WAIT, &info), 0u);
    EXPECT_STREQ(product, "BRD virtual CD-ROM");
    MCI_GETDEVCAPS_PARMS caps{0, 0, MCI_GETDEVCAPS_CAN_EJECT};
    ASSERT_EQ(cd->send(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, &caps), 0u);
    EXPECT_EQ(caps.dwReturn, static_cast<DWORD>(TRUE));
    caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
    ASSERT_EQ(cd->send(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, &caps), 0u);
    EXPECT_EQ(caps.dwReturn, static_cast<DWORD>(MCI_DEVTYPE_CD_AUDIO));

    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    EXPECT_NE(cd->play(MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0)), 0u) << "a data track does not play";
    ASSERT_EQ(cd->play(MCI_FROM | MCI_WAIT, MCI_MAKE_TMSF(3, 3, 59, 0)), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(3, 3, 59, 74)) << "stopped where the audio ends";
}

TEST_F(VirtualDrive, PlaysOnTheWallClockPausesResumesAndEjects) {
    ASSERT_NO_FATAL_FAILURE(Load({200, 185, 240, 300}));
    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    const DWORD started = GetTickCount();
    ASSERT_EQ(cd->play(MCI_FROM | MCI_TO, MCI_MAKE_TMSF(3, 0, 0, 0), MCI_MAKE_TMSF(4, 0, 0, 0)), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY));
    EXPECT_EQ(cd->status(MCI_STATUS_CURRENT_TRACK), 3u);
    auto played = [this] {  // seconds into track 3
        const Tmsf at = unpack_tmsf(cd->status(MCI_STATUS_POSITION));
        return at.track == 3 ? at.minutes * 60 + at.seconds + at.frames / 75.0 : -1.0;
    };
    for (int i = 0; i < 300 && played() < 1.0; ++i) Sleep(10);
    const double at = played();
    EXPECT_NEAR(at, (GetTickCount() - started) / 1000.0, 0.1) << "the position follows the wall clock";
    ASSERT_EQ(cd->send(MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PAUSE));
    const double paused_at = played();
    Sleep(200);
    EXPECT_EQ(played(), paused_at) << "a paused drive stands still";
    ASSERT_EQ(cd->send(MCI_RESUME, MCI_WAIT), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY));
    for (int i = 0; i < 300 && played() <= paused_at; ++i) Sleep(10);
    EXPECT_GT(played(), paused_at);
    ASSERT_EQ(cd->send(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_NUMBER_OF_TRACKS), ~0u) << "an open tray has no table of contents";
    ASSERT_EQ(cd->send(MCI_SET, MCI_SET_DOOR_CLOSED), 0u);
    EXPECT_EQ(cd->status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(1, 0, 0, 0)) << "closed, at rest on track 1";
}

TEST_F(VirtualDrive, ANewCommandAbortsOrSupersedesAPendingNotification) {
    ASSERT_NO_FATAL_FAILURE(Load({200, 185, 240, 300}));
    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    auto next = [this] {
        const auto notice = window.wait(1000);
        return notice ? notice->status : 0u;
    };
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(2, 0, 0, 0), 0, window.hwnd()), 0u);
    // The waiter for the play's end reads the state file all the while; every change of state still goes through.
    for (int i = 0; i < 150; ++i) {
        ASSERT_EQ(cd->send(MCI_PAUSE, MCI_WAIT), 0u) << "round " << i;
        ASSERT_EQ(cd->send(MCI_RESUME, MCI_WAIT), 0u) << "round " << i;
    }
    EXPECT_FALSE(window.wait(0).has_value()) << "a pause keeps the play's notification pending";
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0), 0, window.hwnd()), 0u);
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_ABORTED)) << "a new play interrupts the old one";
    cd->status(MCI_STATUS_MODE, 0, MCI_NOTIFY, window.hwnd());
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_SUPERSEDED));
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL)) << "the status command's own";
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0), 0, window.hwnd()), 0u);
    ASSERT_EQ(cd->send(MCI_STOP, MCI_WAIT), 0u);
    EXPECT_EQ(next(), static_cast<UINT>(MCI_NOTIFY_ABORTED));
    EXPECT_FALSE(window.wait(300).has_value()) << "nothing more";
}

// A pause keeps the play's notification for the range's end, which resuming reaches.
TEST_F(VirtualDrive, APausedRangeNotifiesItsEndAfterTheResume) {
    ASSERT_NO_FATAL_FAILURE(Load({1, 30}));
    ASSERT_EQ(cd->set_format(MCI_FORMAT_TMSF), 0u);
    ASSERT_EQ(cd->play(MCI_NOTIFY | MCI_FROM | MCI_TO, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(2, 0, 0, 0),
                      window.hwnd()),
              0u);
    ASSERT_EQ(cd->send(MCI_PAUSE, MCI_WAIT), 0u);
    const Tmsf at = unpack_tmsf(cd->status(MCI_STATUS_POSITION));
    ASSERT_EQ(at.track, 1);
    EXPECT_FALSE(window.wait(1100).has_value()) << "paused past the range's end";
    const DWORD resumed = GetTickCount();
    ASSERT_EQ(cd->send(MCI_RESUME, MCI_WAIT), 0u);
    const auto notice = window.wait(2000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL));
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
    EXPECT_EQ(ask("status brdcd number of tracks"), "4");
    EXPECT_EQ(ask("status brdcd position track 3"), "06:27:00");
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

// Run by tests/vdrive/vdrivectl_test.py on a drive that the controller has
// loaded with the twelve-track sample disc: the table of contents, then
// track 3 played, paused, resumed, a seek and the eject.
TEST(VirtualDriveSample, PlaysTheTwelveTrackSampleDisc) {
    const char* letter = std::getenv("BRD_SAMPLE_DRIVE");
    if (!letter) GTEST_SKIP() << "run by the controller's test";
    Mci cd(std::string{letter[0], ':'});
    ASSERT_EQ(cd.open_error(), 0u);
    ASSERT_EQ(cd.status(MCI_STATUS_NUMBER_OF_TRACKS), 12u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION, 1), pack_msf({0, 2, 0}));
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), pack_msf({0, 2, 0})) << "at rest on track 1";
    EXPECT_EQ(cd.status(MCI_STATUS_LENGTH, 12), pack_msf({4, 39, 74}));
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    ASSERT_EQ(cd.play(MCI_FROM | MCI_TO, MCI_MAKE_TMSF(3, 0, 0, 0), MCI_MAKE_TMSF(4, 0, 0, 0)), 0u);
    ASSERT_EQ(cd.send(MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PAUSE));
    ASSERT_EQ(cd.send(MCI_RESUME, MCI_WAIT), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_CURRENT_TRACK), 3u);
    MCI_SEEK_PARMS seek{0, MCI_MAKE_TMSF(7, 0, 10, 0)};
    ASSERT_EQ(cd.send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(7, 0, 10, 0));
    ASSERT_EQ(cd.send(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_OPEN));
}

}  // namespace

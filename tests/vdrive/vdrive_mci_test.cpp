// The virtual drive on its own, driven through nothing but mciSendCommandA as
// any CD player would drive a real drive.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cdaudio/msf.h"
#include "vdrive/mci_window.h"
#include "vdrive/test_drive.h"

namespace {

class Mci {
public:
    explicit Mci(const std::string& element, DWORD extra = MCI_OPEN_SHAREABLE) {
        MCI_OPEN_PARMSA open{};
        open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
        open.lpstrElementName = element.c_str();
        error_ = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | extra,
                                 reinterpret_cast<DWORD_PTR>(&open));
        id_ = error_ ? 0 : open.wDeviceID;
    }
    ~Mci() { close(); }
    Mci(const Mci&) = delete;
    Mci& operator=(const Mci&) = delete;

    MCIERROR open_error() const { return error_; }
    MCIDEVICEID id() const { return id_; }
    void close() {
        if (id_) mciSendCommandA(id_, MCI_CLOSE, MCI_WAIT, 0);
        id_ = 0;
    }
    // Ends the process's use of the device without a close, as a program
    // that exits would.
    void forget() { id_ = 0; }

    DWORD status(DWORD item, DWORD track = 0, MCIERROR* error = nullptr) const {
        MCI_STATUS_PARMS p{};
        p.dwItem = item;
        p.dwTrack = track;
        const MCIERROR e = mciSendCommandA(id_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | (track ? MCI_TRACK : 0),
                                           reinterpret_cast<DWORD_PTR>(&p));
        if (error) *error = e;
        else EXPECT_EQ(e, 0u) << "status item " << item;
        return static_cast<DWORD>(p.dwReturn);
    }
    MCIERROR set_format(DWORD format) const {
        MCI_SET_PARMS p{};
        p.dwTimeFormat = format;
        return mciSendCommandA(id_, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&p));
    }
    MCIERROR play(DWORD flags, DWORD from, DWORD to, HWND callback = nullptr) const {
        MCI_PLAY_PARMS p{};
        p.dwCallback = reinterpret_cast<DWORD_PTR>(callback);
        p.dwFrom = from;
        p.dwTo = to;
        return mciSendCommandA(id_, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&p));
    }
    MCIERROR seek(DWORD to) const {
        MCI_SEEK_PARMS p{};
        p.dwTo = to;
        return mciSendCommandA(id_, MCI_SEEK, MCI_TO | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
    }
    MCIERROR send(UINT msg, DWORD flags) const { return mciSendCommandA(id_, msg, flags, 0); }

private:
    MCIERROR error_ = 0;
    MCIDEVICEID id_ = 0;
};

int32_t frames_of_msf(DWORD packed) { return msf_to_frames(unpack_msf(packed)); }

// A twelve-track disc of 3- to 5-minute tracks.
void insert_twelve(TestDrive& drive) {
    int32_t lead_out = 0;
    const auto tracks = tracks_of_seconds({200, 185, 240, 300, 215, 190, 230, 260, 180, 205, 250, 280}, &lead_out);
    drive.insert(tracks, lead_out);
}

TEST(VirtualDrive, ReadsTheTableOfContentsOfTheDiscInTheFolder) {
    TestDrive drive('D');
    insert_twelve(drive);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);

    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd.status(MCI_STATUS_MEDIA_PRESENT), static_cast<DWORD>(TRUE));
    EXPECT_EQ(cd.status(MCI_STATUS_TIME_FORMAT), static_cast<DWORD>(MCI_FORMAT_MSF));
    EXPECT_EQ(cd.status(MCI_STATUS_NUMBER_OF_TRACKS), 12u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION, 1), pack_msf({0, 2, 0}));
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION, 3), pack_msf({6, 27, 0}));  // 2 s + 200 s + 185 s
    EXPECT_EQ(cd.status(MCI_STATUS_LENGTH, 3), pack_msf({4, 0, 0}));
    // The last track is reported one frame short of the lead-out.
    EXPECT_EQ(frames_of_msf(cd.status(MCI_STATUS_LENGTH, 12)), 280 * 75 - 1);
    EXPECT_EQ(cd.status(MCI_STATUS_CURRENT_TRACK), 1u);
    EXPECT_EQ(cd.status(MCI_CDA_STATUS_TYPE_TRACK, 2), static_cast<DWORD>(MCI_CDA_TRACK_AUDIO));

    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION, 4), pack_tmsf({4, 0, 0, 0}));
    ASSERT_EQ(cd.set_format(MCI_FORMAT_MILLISECONDS), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION, 2), 202000u);
    EXPECT_EQ(cd.status(MCI_STATUS_LENGTH, 2), 185000u);
    EXPECT_EQ(cd.set_format(MCI_FORMAT_BYTES), static_cast<MCIERROR>(MCIERR_BAD_TIME_FORMAT));

    MCIERROR error = 0;
    cd.status(MCI_STATUS_POSITION, 13, &error);
    EXPECT_EQ(error, static_cast<MCIERROR>(MCIERR_OUTOFRANGE));

    char product[64] = {};
    MCI_INFO_PARMSA info{};
    info.lpstrReturn = product;
    info.dwRetSize = sizeof product;
    ASSERT_EQ(mciSendCommandA(cd.id(), MCI_INFO, MCI_INFO_PRODUCT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&info)), 0u);
    EXPECT_STREQ(product, "BRD virtual CD-ROM");
    MCI_GETDEVCAPS_PARMS caps{};
    caps.dwItem = MCI_GETDEVCAPS_CAN_EJECT;
    ASSERT_EQ(mciSendCommandA(cd.id(), MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, reinterpret_cast<DWORD_PTR>(&caps)), 0u);
    EXPECT_EQ(caps.dwReturn, static_cast<DWORD>(TRUE));
    caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
    ASSERT_EQ(mciSendCommandA(cd.id(), MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, reinterpret_cast<DWORD_PTR>(&caps)), 0u);
    EXPECT_EQ(caps.dwReturn, static_cast<DWORD>(MCI_DEVTYPE_CD_AUDIO));
}

TEST(VirtualDrive, PlaysPausesResumesSeeksAndEjectsTrackThree) {
    TestDrive drive('D');
    insert_twelve(drive);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);

    ASSERT_EQ(cd.play(MCI_FROM | MCI_TO, MCI_MAKE_TMSF(3, 0, 0, 0), MCI_MAKE_TMSF(4, 0, 0, 0)), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY));
    EXPECT_EQ(cd.status(MCI_STATUS_CURRENT_TRACK), 3u);
    Sleep(300);
    ASSERT_EQ(cd.send(MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PAUSE));
    const DWORD paused_at = cd.status(MCI_STATUS_POSITION);
    EXPECT_EQ(unpack_tmsf(paused_at).track, 3);
    Sleep(300);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), paused_at) << "a paused drive stands still";

    ASSERT_EQ(cd.send(MCI_RESUME, MCI_WAIT), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY));
    Sleep(300);
    EXPECT_GT(cd.status(MCI_STATUS_POSITION), paused_at);

    ASSERT_EQ(cd.seek(MCI_MAKE_TMSF(5, 1, 30, 0)), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(5, 1, 30, 0));

    ASSERT_EQ(cd.send(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_OPEN));
    EXPECT_EQ(cd.status(MCI_STATUS_MEDIA_PRESENT), static_cast<DWORD>(FALSE));
    MCIERROR error = 0;
    cd.status(MCI_STATUS_NUMBER_OF_TRACKS, 0, &error);
    EXPECT_NE(error, 0u) << "an open tray has no table of contents";
    EXPECT_NE(cd.play(MCI_FROM, MCI_MAKE_TMSF(1, 0, 0, 0), 0), 0u);

    ASSERT_EQ(cd.send(MCI_SET, MCI_SET_DOOR_CLOSED), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(1, 0, 0, 0));
}

TEST(VirtualDrive, PositionFollowsTheWallClockWhilePlaying) {
    TestDrive drive('D');
    insert_twelve(drive);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    const int32_t start = frames_of_msf(cd.status(MCI_STATUS_POSITION, 2));
    const DWORD t0 = GetTickCount();
    ASSERT_EQ(cd.play(MCI_FROM, pack_msf(frames_to_msf(start)), 0), 0u);
    Sleep(1500);
    const int32_t at = frames_of_msf(cd.status(MCI_STATUS_POSITION));
    const double elapsed = (GetTickCount() - t0) / 1000.0;
    // Within a tenth of a second of the time that has passed.
    EXPECT_NEAR((at - start) / 75.0, elapsed, 0.1);
    EXPECT_EQ(cd.send(MCI_STOP, MCI_WAIT), 0u);
}

TEST(VirtualDrive, NotifiesTheEndOfARangeOnTime) {
    TestDrive drive('D');
    int32_t lead_out = 0;
    const auto tracks = tracks_of_seconds({1, 1, 30}, &lead_out);
    drive.insert(tracks, lead_out);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    NotifyWindow window;
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);

    const DWORD t0 = GetTickCount();
    ASSERT_EQ(cd.play(MCI_NOTIFY | MCI_FROM | MCI_TO, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(3, 0, 0, 0),
                      window.hwnd()),
              0u);
    const auto notice = window.wait(5000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(notice->device, cd.id());
    const DWORD took = notice->at_ms - t0;
    EXPECT_GE(took, 2000u - 20u);  // GetTickCount's own granularity
    EXPECT_LE(took, 2000u + 100u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    // At rest on the last frame played, still inside the range's last track.
    EXPECT_EQ(unpack_tmsf(cd.status(MCI_STATUS_POSITION)).track, 2);
}

TEST(VirtualDrive, ANewCommandAbortsOrSupersedesAPendingNotification) {
    TestDrive drive('D');
    insert_twelve(drive);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    NotifyWindow window;
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);

    ASSERT_EQ(cd.play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(2, 0, 0, 0), 0, window.hwnd()), 0u);
    ASSERT_EQ(cd.play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0), 0, window.hwnd()), 0u);
    auto notice = window.wait(1000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_ABORTED)) << "a new play interrupts the old one";

    MCI_STATUS_PARMS status{};
    status.dwCallback = reinterpret_cast<DWORD_PTR>(window.hwnd());
    status.dwItem = MCI_STATUS_MODE;
    ASSERT_EQ(mciSendCommandA(cd.id(), MCI_STATUS, MCI_STATUS_ITEM | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&status)),
              0u);
    notice = window.wait(1000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUPERSEDED));
    notice = window.wait(1000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL)) << "the status command's own";

    ASSERT_EQ(cd.play(MCI_NOTIFY | MCI_FROM, MCI_MAKE_TMSF(4, 0, 0, 0), 0, window.hwnd()), 0u);
    ASSERT_EQ(cd.send(MCI_STOP, MCI_WAIT), 0u);
    notice = window.wait(1000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_ABORTED));
    EXPECT_FALSE(window.wait(300).has_value()) << "nothing more";
}

TEST(VirtualDrive, APauseKeepsThePlaysNotificationForItsEnd) {
    TestDrive drive('D');
    int32_t lead_out = 0;
    const auto tracks = tracks_of_seconds({1, 30}, &lead_out);
    drive.insert(tracks, lead_out);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    NotifyWindow window;
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    ASSERT_EQ(cd.play(MCI_NOTIFY | MCI_FROM | MCI_TO, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(2, 0, 0, 0),
                      window.hwnd()),
              0u);
    Sleep(400);
    ASSERT_EQ(cd.send(MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_FALSE(window.wait(1000).has_value()) << "paused past the range's end";
    const DWORD resumed = GetTickCount();
    ASSERT_EQ(cd.send(MCI_RESUME, MCI_WAIT), 0u);
    const auto notice = window.wait(2000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_NEAR(static_cast<double>(notice->at_ms - resumed), 600.0, 100.0);
}

// The waiter for the play's end reads the state file all the while; every
// change of state must still go through.
TEST(VirtualDrive, CommandsSucceedWhileANotificationIsPending) {
    TestDrive drive('D');
    insert_twelve(drive);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    NotifyWindow window;
    ASSERT_EQ(cd.play(MCI_NOTIFY | MCI_FROM, pack_msf({0, 2, 0}), 0, window.hwnd()), 0u);
    for (int i = 0; i < 150; ++i) {
        ASSERT_EQ(cd.send(MCI_PAUSE, MCI_WAIT), 0u) << "round " << i;
        ASSERT_EQ(cd.send(MCI_RESUME, MCI_WAIT), 0u) << "round " << i;
    }
    EXPECT_FALSE(window.wait(0).has_value()) << "the play's notification is still pending";
    EXPECT_EQ(cd.send(MCI_STOP, MCI_WAIT), 0u);
}

TEST(VirtualDrive, AnOpenTrayOrAnEmptyOrUnreadableDriveReportsOpen) {
    TestDrive drive('D');
    Mci empty(drive.element());
    ASSERT_EQ(empty.open_error(), 0u) << "an empty drive can be opened";
    EXPECT_EQ(empty.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_OPEN));
    EXPECT_EQ(empty.status(MCI_STATUS_MEDIA_PRESENT), static_cast<DWORD>(FALSE));
    empty.close();

    drive.insert_cue("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:99:99\n", "disc.bin", 1000);
    Mci unreadable(drive.element());
    ASSERT_EQ(unreadable.open_error(), 0u);
    EXPECT_EQ(unreadable.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_OPEN));
    MCIERROR error = 0;
    unreadable.status(MCI_STATUS_NUMBER_OF_TRACKS, 0, &error);
    EXPECT_NE(error, 0u);
    unreadable.close();

    Mci other_letter("Q:");
    EXPECT_NE(other_letter.open_error(), 0u) << "Q: is not a CD-ROM drive";
}

TEST(VirtualDrive, PlaysAudioOnlyUpToADataTrack) {
    TestDrive drive('D');
    drive.insert({{150}, {150 + 75}, {150 + 150, false}}, 150 + 600);
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    EXPECT_EQ(cd.status(MCI_CDA_STATUS_TYPE_TRACK, 3), static_cast<DWORD>(MCI_CDA_TRACK_OTHER));
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    EXPECT_NE(cd.play(MCI_FROM, MCI_MAKE_TMSF(3, 0, 0, 0), 0), 0u) << "a data track does not play";
    ASSERT_EQ(cd.play(MCI_FROM | MCI_WAIT, MCI_MAKE_TMSF(2, 0, 0, 0), 0), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(unpack_tmsf(cd.status(MCI_STATUS_POSITION)).track, 2) << "stopped where the audio ends";
}

// Opens under different aliases, as two programs (or two parts of one)
// would open the drive.
TEST(VirtualDrive, SharesTheDriveOnlyAmongShareableOpens) {
    TestDrive drive('D');
    insert_twelve(drive);
    auto open = [](const char* command) { return mciSendStringA(command, nullptr, 0, nullptr); };
    EXPECT_EQ(open("open D: type cdaudio alias first shareable"), 0u);
    EXPECT_EQ(open("open D: type cdaudio alias second shareable"), 0u) << "shareable opens share the drive";
    EXPECT_EQ(open("open D: type cdaudio alias alone"), static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
    EXPECT_EQ(open("close first"), 0u);
    EXPECT_EQ(open("close second"), 0u);
    ASSERT_EQ(open("open D: type cdaudio alias alone"), 0u) << "free again once the others closed";
    EXPECT_EQ(open("open D: type cdaudio alias other shareable"), static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
    EXPECT_EQ(open("close alone"), 0u);
}

// The MCI command strings reach the same device through winmm's tables.
TEST(VirtualDrive, AnswersCommandStrings) {
    TestDrive drive('D');
    insert_twelve(drive);
    char answer[128] = {};
    auto send = [&](const char* command) {
        answer[0] = 0;
        return mciSendStringA(command, answer, sizeof answer, nullptr);
    };
    ASSERT_EQ(send("open D: type cdaudio alias brdcd shareable"), 0u);
    EXPECT_EQ(send("status brdcd number of tracks"), 0u);
    EXPECT_STREQ(answer, "12");
    EXPECT_EQ(send("status brdcd mode"), 0u);
    EXPECT_STREQ(answer, "stopped");
    EXPECT_EQ(send("status brdcd position track 3"), 0u);
    EXPECT_STREQ(answer, "06:27:00");
    EXPECT_EQ(send("set brdcd time format tmsf"), 0u);
    EXPECT_EQ(send("play brdcd from 2 to 3"), 0u);
    EXPECT_EQ(send("status brdcd mode"), 0u);
    EXPECT_STREQ(answer, "playing");
    EXPECT_EQ(send("status brdcd current track"), 0u);
    EXPECT_STREQ(answer, "2");
    EXPECT_EQ(send("stop brdcd"), 0u);
    EXPECT_EQ(send("set brdcd door open"), 0u);
    EXPECT_EQ(send("status brdcd media present"), 0u);
    EXPECT_STREQ(answer, "false");
    EXPECT_EQ(send("close brdcd"), 0u);
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
    Sleep(200);
    ASSERT_EQ(cd.send(MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PAUSE));
    ASSERT_EQ(cd.send(MCI_RESUME, MCI_WAIT), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_CURRENT_TRACK), 3u);
    ASSERT_EQ(cd.seek(MCI_MAKE_TMSF(7, 0, 10, 0)), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_POSITION), MCI_MAKE_TMSF(7, 0, 10, 0));
    ASSERT_EQ(cd.send(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_OPEN));
}

// Run as a second process by the persistence test: it opens the drive and
// reports what it finds through its exit code.
TEST(VirtualDriveChild, ReportsTheModeItFinds) {
    const char* letter = std::getenv("BRD_VDRIVE_CHILD");
    if (!letter) GTEST_SKIP() << "only run as the persistence test's second process";
    Mci cd(std::string{letter[0], ':'});
    ASSERT_EQ(cd.open_error(), 0u);
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    const Tmsf at = unpack_tmsf(cd.status(MCI_STATUS_POSITION));
    const bool found_playing = cd.status(MCI_STATUS_MODE) == MCI_MODE_PLAY && at.track == 2 && at.seconds >= 1;
    // Leaves the drive playing from track 5 on its way out, without closing it.
    if (found_playing) {
        ASSERT_EQ(cd.play(MCI_FROM, MCI_MAKE_TMSF(5, 0, 0, 0), 0), 0u);
    }
    cd.forget();
    std::exit(found_playing ? 7 : 3);
}

TEST(VirtualDrive, KeepsPlayingAcrossProcesses) {
    TestDrive drive('D');
    insert_twelve(drive);
    {
        Mci cd(drive.element());
        ASSERT_EQ(cd.open_error(), 0u);
        ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
        ASSERT_EQ(cd.play(MCI_FROM, MCI_MAKE_TMSF(2, 0, 0, 0), 0), 0u);
        cd.close();  // closing the device does not stop the disc
    }
    Sleep(1200);
    EXPECT_EQ(run_this_program("VirtualDriveChild.*", "BRD_VDRIVE_CHILD", "D"), 7u) << "the second process finds track 2 playing past its first second";

    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    EXPECT_EQ(cd.status(MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY)) << "left playing by the child";
    EXPECT_EQ(unpack_tmsf(cd.status(MCI_STATUS_POSITION)).track, 5);
    EXPECT_EQ(cd.send(MCI_STOP, MCI_WAIT), 0u);
}

TEST(VirtualDrive, LogsEveryCommandWithItsFlagsAndPositions) {
    TestDrive drive('D');
    insert_twelve(drive);
    drive.enable_log();
    Mci cd(drive.element());
    ASSERT_EQ(cd.open_error(), 0u);
    ASSERT_EQ(cd.set_format(MCI_FORMAT_TMSF), 0u);
    ASSERT_EQ(cd.play(MCI_FROM | MCI_TO, MCI_MAKE_TMSF(2, 0, 0, 0), MCI_MAKE_TMSF(3, 0, 0, 0)), 0u);
    ASSERT_EQ(cd.send(MCI_STOP, MCI_WAIT), 0u);
    const auto plays = drive.log_lines("PLAY");
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_NE(plays[0].find("flags=FROM|TO"), std::string::npos) << plays[0];
    EXPECT_NE(plays[0].find("from=15150 to=29025"), std::string::npos) << plays[0];
    EXPECT_EQ(drive.log_lines("STOP").size(), 1u);
    EXPECT_EQ(drive.log_lines("SET").size(), 1u);
    EXPECT_NE(drive.log().find(" OPEN flags=SHAREABLE|TYPE|TYPE_ID|ELEMENT"), std::string::npos) << drive.log();
}

}  // namespace

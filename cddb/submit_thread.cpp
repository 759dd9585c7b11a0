#include "cddb/submit_thread.h"

#include "base/job_thread.h"
#include "cddb/query_thread.h"
#include "resources/resource.h"

namespace {

constexpr char kTitle[] = "Brindle CD";

void Post(const SubmitThreadJob& job, int code) {
    PostMessageA(job.owner, WM_BRD_REQUEST, BRD_QUERY_NOTIFY, notification(code, job.disc));
}

}  // namespace

void RunSubmitJob(const SubmitThreadJob& job) {
    switch (check_submission(job.submit)) {
        case SubmitCheck::NoSettings:
            QueryUi.message_box(job.owner, kSubmitSettingsMessage, kTitle, MB_ICONEXCLAMATION | MB_OK);
            return;
        case SubmitCheck::NoEntry:
            QueryUi.message_box(job.owner, kSubmitNoEntryMessage, kTitle, MB_ICONINFORMATION | MB_OK);
            return;
        case SubmitCheck::BadCategory:
            QueryUi.message_box(job.owner, kSubmitCategoryMessage, kTitle, MB_ICONEXCLAMATION | MB_OK);
            return;
        case SubmitCheck::Ready: break;
    }
    const SemaphoreSlot lock{job.query_lock.get(), 0};
    if (!lock.held()) {  // a query or another submission runs
        QueryUi.message_box(job.owner, kQueryInProgressText, kTitle, MB_ICONINFORMATION | MB_OK);
        return;
    }
    int outcome = SubmitFailed;
    try {
        outcome = RunSmtpSession(job.submit, [&](int code) { Post(job, code); }, QueryWaits);
    } catch (...) {
        // Out of memory in the middle of the dialogue: it failed, the thread ends normally.
    }
    Post(job, outcome);
}

bool StartSubmit(SubmitThreadJob job) { return StartJobThread<SubmitThreadJob, RunSubmitJob>(std::move(job)); }

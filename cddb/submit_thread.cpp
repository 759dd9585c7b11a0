#include "cddb/submit_thread.h"

#include "base/job_thread.h"
#include "cddb/query_thread.h"
#include "resources/resource.h"

namespace {

constexpr char kTitle[] = "Brindle CD";

void Post(const SubmitThreadJob& job, int code) {
    PostMessageA(job.owner, WM_BRD_REQUEST, BRD_QUERY_NOTIFY, notification(code, job.disc));
}

// The outcome of the exchange, with the query lock held; nothing when another
// CDDB session holds it.
std::optional<SubmitOutcome> Submit(const SubmitThreadJob& job, const std::string& entry) {
    const SemaphoreSlot lock{job.query_lock.get(), 0};
    if (!lock.held()) return std::nullopt;  // a query or another submission runs
    SubmitOutcome outcome{SubmitFailed, "BRD ran out of memory."};
    try {
        outcome = RunSubmission(job.submit, entry, [&](int code) { Post(job, code); }, QueryWaits);
    } catch (...) {
        // Out of memory in the middle of the exchange: it failed, the thread ends normally.
    }
    Post(job, outcome.code);
    return outcome;
}

}  // namespace

void RunSubmitJob(const SubmitThreadJob& job) {
    const Text entry = stored_entry(job.submit);
    switch (check_submission(job.submit, entry)) {
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
    // The boxes wait for the user without the lock: a query may run meanwhile.
    const std::optional<SubmitOutcome> outcome = Submit(job, *entry);
    if (!outcome)
        QueryUi.message_box(job.owner, kQueryInProgressText, kTitle, MB_ICONINFORMATION | MB_OK);
    else if (outcome->code != SubmitDone)
        QueryUi.message_box(job.owner, submit_failure_text(job.submit, *outcome).c_str(), kTitle,
                            MB_ICONEXCLAMATION | MB_OK);
}

bool StartSubmit(SubmitThreadJob job) { return StartJobThread<SubmitThreadJob, RunSubmitJob>(std::move(job)); }

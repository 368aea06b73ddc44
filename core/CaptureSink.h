// Where a capture reports: the two lines of its progress window and the end
// of the job.  Called on the worker thread.
#pragma once

namespace cataloom {

class CaptureSink {
public:
    virtual ~CaptureSink() = default;
    virtual void SetPhase(const char* text) = 0;
    virtual void SetDetail(const char* text) = 0;
    // The job has ended; the texts of the end are already set.
    virtual void Finished(bool success) = 0;
};

}  // namespace cataloom

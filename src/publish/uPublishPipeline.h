// The machinery the publishers share for their page step: the options a publication runs with
// (threads, progress, cancelling), an ordered parallel pipeline over the topics, one token
// expander per worker, plain file writes into a fresh output folder, and the staged output
// folder that replaces the previous publication only once the new one is complete.
//
// Output never depends on the number of threads: results are handed on in topic order on the
// calling thread, and the first failure in that order is the one raised.
#pragma once

#include "uDocModel.h"
#include "uUtils.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class TTokenExpander;

// Called on the publishing thread after each topic: topics done so far out of all of them.
using TPublishProgress = std::function<void(size_t ADone, size_t ATotal)>;

struct TPublishOptions {
    unsigned Threads = 0;                        // page workers; 0: one per core
    TPublishProgress Progress;                   // may be empty
    const std::atomic<bool>* Cancel = nullptr;   // when it turns true the publication stops
};

// Raised when TPublishOptions::Cancel stopped a publication.
class EPublishCancelled : public EAppError {
public:
    EPublishCancelled() : EAppError("Publishing cancelled") {}
};

// The number of workers for ACount items: AOptions.Threads (one per core when 0), at least 1
// and never more than the items.
size_t PipelineWorkerCount(const TPublishOptions& AOptions, size_t ACount);

// Raises EPublishCancelled when AOptions.Cancel is set.
void ThrowIfCancelled(const TPublishOptions& AOptions);

// AProduce(index, worker) for every index below ACount on PipelineWorkerCount workers (worker is
// below that count and no two calls with the same worker run at once); AConsume(index, result)
// on the calling thread in index order, then AOptions.Progress(index + 1, ACount). At most a
// few results per worker wait to be consumed, so memory stays bounded whatever ACount is. The
// first exception in index order (from AProduce or AConsume) stops the workers and is raised;
// so is EPublishCancelled when AOptions.Cancel turns true.
void RunPagePipeline(size_t ACount, const TPublishOptions& AOptions,
                     const std::function<std::string(size_t AIndex, size_t AWorker)>& AProduce,
                     const std::function<void(size_t AIndex, std::string&& AResult)>& AConsume);

// One token expander per worker, all sharing the reusable content read once.
class TExpanderPool {
public:
    TExpanderPool(const TDocProject& AProject, size_t AWorkers);
    ~TExpanderPool();
    TTokenExpander& For(size_t AWorker) { return *FExpanders[AWorker]; }

private:
    std::vector<std::unique_ptr<TTokenExpander>> FExpanders;
};

// Writes ABytes to a file that no one else reads yet (a page in a staging folder): created, or
// overwritten in place and cut to length, without the temporary file and rename of
// WriteFileBytes. The folder must exist. Raises EAppError naming the file.
void WriteOutputFile(const std::string& AFileName, std::string_view ABytes);

// Removes from AFolder every entry whose name is not in AWritten: what a reused output folder
// (TStagedOutput's AReusedFolders) still holds of an earlier publication.
void RemoveEntriesNotWritten(const std::string& AFolder, const std::unordered_set<std::string>& AWritten);

// A publication's output folder, written as a sibling (".<name>.staging-<random>") and swapped
// in by Commit once complete. Without Commit (a failure or a cancel) the sibling is removed and
// the previous folder stays as it was. Left-over siblings of an earlier run that was killed are
// removed when the next one starts.
//
// Making thousands of new files costs far more on some file systems than rewriting existing ones,
// so a publisher may name AReusedFolders: folders of its output (such as "topics") whose files
// it rewrites whole and then prunes with RemoveEntriesNotWritten. Then the folder the previous
// Commit replaced is kept beside the output as ".<name>.spare" and becomes the next staging
// folder: everything in it but plain files (one link each) of those folders is removed first,
// so what the publication does not write again is gone before Commit. Without AReusedFolders
// the staging folder is fresh and the replaced folder is removed.
class TStagedOutput {
public:
    // AFinalFolder: the folder the publication replaces (it need not exist).
    explicit TStagedOutput(const std::string& AFinalFolder, std::vector<std::string> AReusedFolders = {});
    ~TStagedOutput();
    TStagedOutput(const TStagedOutput&) = delete;
    TStagedOutput& operator=(const TStagedOutput&) = delete;

    // The folder to write into (exists, empty at first).
    const std::string& Folder() const { return FStage; }
    const std::string& FinalFolder() const { return FFinal; }
    // AStagedPath (a path inside Folder()) as it will be after Commit.
    std::string FinalPath(const std::string& AStagedPath) const;
    // Replaces the final folder by the staged one; the old one is removed afterwards. Raises
    // EAppError when the swap fails, with the previous folder back in place.
    void Commit();

private:
    std::string SparePath() const;

    std::string FFinal;
    std::string FStage;
    std::vector<std::string> FReused;
    bool FCommitted = false;
};

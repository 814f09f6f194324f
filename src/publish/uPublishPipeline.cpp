#include "uPublishPipeline.h"

#include "uTokenExpansion.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Results a worker may run ahead of the consumer.
constexpr size_t kResultsAheadPerWorker = 4;

struct TSlot {
    bool Ready = false;
    std::string Result;
    std::exception_ptr Error;
};

// The shared state of one pipeline run: the next index to produce, the ring of finished results
// and the stop flag.
class TPipelineState {
public:
    TPipelineState(size_t ACount, size_t AWindow) : FCount(ACount), FSlots(AWindow) {}

    // The next index for a worker, or nothing when the work is done or stopped.
    std::optional<size_t> Take() {
        std::unique_lock lock(FMutex);
        FRoom.wait(lock, [&] { return FStopped || FNext >= FCount || FNext < FConsumed + FSlots.size(); });
        if (FStopped || FNext >= FCount)
            return std::nullopt;
        return FNext++;
    }

    void Put(size_t AIndex, std::string&& AResult, std::exception_ptr AError) {
        {
            std::lock_guard lock(FMutex);
            TSlot& slot = FSlots[AIndex % FSlots.size()];
            slot.Result = std::move(AResult);
            slot.Error = std::move(AError);
            slot.Ready = true;
        }
        FDone.notify_all();
    }

    // Waits for the result of AIndex (the next one in order) and frees its slot.
    TSlot Get(size_t AIndex) {
        std::unique_lock lock(FMutex);
        TSlot& slot = FSlots[AIndex % FSlots.size()];
        FDone.wait(lock, [&] { return slot.Ready; });
        TSlot taken = std::move(slot);
        slot = TSlot{};
        ++FConsumed;
        lock.unlock();
        FRoom.notify_all();
        return taken;
    }

    void Stop() {
        {
            std::lock_guard lock(FMutex);
            FStopped = true;
        }
        FRoom.notify_all();
    }

private:
    std::mutex FMutex;
    std::condition_variable FRoom;
    std::condition_variable FDone;
    const size_t FCount;
    size_t FNext = 0;
    size_t FConsumed = 0;
    bool FStopped = false;
    std::vector<TSlot> FSlots;
};

// Stops and joins the workers however the consumer leaves.
class TWorkerGroup {
public:
    explicit TWorkerGroup(TPipelineState& AState) : FState(AState) {}
    ~TWorkerGroup() {
        FState.Stop();
        for (std::thread& t : FThreads)
            t.join();
    }
    TWorkerGroup(const TWorkerGroup&) = delete;
    TWorkerGroup& operator=(const TWorkerGroup&) = delete;
    void Start(std::function<void()> AWork) { FThreads.emplace_back(std::move(AWork)); }

private:
    TPipelineState& FState;
    std::vector<std::thread> FThreads;
};

void ReportProgress(const TPublishOptions& AOptions, size_t ADone, size_t ATotal) {
    if (AOptions.Progress)
        AOptions.Progress(ADone, ATotal);
    ThrowIfCancelled(AOptions);
}

std::string RandomSuffix() { return NewGuidHex().substr(0, 12); }

void RemoveQuietly(const fs::path& APath) {
    std::error_code ec;
    fs::remove_all(APath, ec);
}

}  // namespace

size_t PipelineWorkerCount(const TPublishOptions& AOptions, size_t ACount) {
    size_t threads = AOptions.Threads;
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    return std::max<size_t>(1, std::min(threads, ACount));
}

void ThrowIfCancelled(const TPublishOptions& AOptions) {
    if (AOptions.Cancel && AOptions.Cancel->load())
        throw EPublishCancelled();
}

void RunPagePipeline(size_t ACount, const TPublishOptions& AOptions,
                     const std::function<std::string(size_t AIndex, size_t AWorker)>& AProduce,
                     const std::function<void(size_t AIndex, std::string&& AResult)>& AConsume) {
    ThrowIfCancelled(AOptions);
    const size_t workers = PipelineWorkerCount(AOptions, ACount);
    if (workers == 1) {
        for (size_t i = 0; i < ACount; ++i) {
            AConsume(i, AProduce(i, 0));
            ReportProgress(AOptions, i + 1, ACount);
        }
        return;
    }

    TPipelineState state(ACount, workers * kResultsAheadPerWorker);
    TWorkerGroup group(state);
    for (size_t w = 0; w < workers; ++w) {
        group.Start([&state, &AProduce, w] {
            while (const std::optional<size_t> index = state.Take()) {
                std::string result;
                std::exception_ptr error;
                try {
                    result = AProduce(*index, w);
                } catch (...) {
                    error = std::current_exception();
                }
                state.Put(*index, std::move(result), std::move(error));
            }
        });
    }
    for (size_t i = 0; i < ACount; ++i) {
        TSlot slot = state.Get(i);
        if (slot.Error)
            std::rethrow_exception(slot.Error);
        AConsume(i, std::move(slot.Result));
        ReportProgress(AOptions, i + 1, ACount);
    }
}

// ---- expanders -------------------------------------------------------------------------------

TExpanderPool::TExpanderPool(const TDocProject& AProject, size_t AWorkers) {
    FExpanders.push_back(std::make_unique<TTokenExpander>(AProject));
    // The first expander owns the store and outlives the others.
    const std::shared_ptr<const TReusableProjectContent> shared(std::shared_ptr<void>(), &FExpanders[0]->Store());
    for (size_t i = 1; i < AWorkers; ++i)
        FExpanders.push_back(std::make_unique<TTokenExpander>(&AProject, shared));
}

TExpanderPool::~TExpanderPool() {
    while (FExpanders.size() > 1)
        FExpanders.pop_back();
}

// ---- files -----------------------------------------------------------------------------------

void WriteOutputFile(const std::string& AFileName, std::string_view ABytes) {
    // An existing file is overwritten from the start and then cut to length, not truncated
    // first: a file of the same size keeps its blocks, which spares freeing and allocating them
    // again (and, where the file system discards freed blocks, waiting for that).
    const int fd = ::open(AFileName.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EAppError("Cannot create file \"" + AFileName + "\": " + std::strerror(errno));
    size_t done = 0;
    int err = 0;
    while (done < ABytes.size()) {
        const ssize_t n = ::write(fd, ABytes.data() + done, ABytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (!err && ::ftruncate(fd, static_cast<off_t>(ABytes.size())) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err)
        throw EAppError("Cannot write file \"" + AFileName + "\": " + std::strerror(err));
}

namespace {

// Empties a reused staging folder but for plain files with one link in the folders named in
// AReused: a link or a shared file would be written through, and anything else is no part of
// the next publication.
void PrepareReusedFolder(const fs::path& AFolder, const std::vector<std::string>& AReused) {
    std::error_code ec;
    for (fs::directory_iterator it(AFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code sec;
        const bool reused = std::find(AReused.begin(), AReused.end(), entry.filename().string()) != AReused.end() &&
                            fs::is_directory(fs::symlink_status(entry, sec));
        if (!reused) {
            RemoveQuietly(entry);
            continue;
        }
        for (fs::directory_iterator in(entry, ec), inEnd; !ec && in != inEnd; in.increment(ec)) {
            std::error_code fec;
            const bool plain = fs::is_regular_file(fs::symlink_status(in->path(), fec)) &&
                               fs::hard_link_count(in->path(), fec) == 1 && !fec;
            if (!plain)
                RemoveQuietly(in->path());
        }
    }
}

}  // namespace

void RemoveEntriesNotWritten(const std::string& AFolder, const std::unordered_set<std::string>& AWritten) {
    std::error_code ec;
    std::vector<fs::path> extra;
    for (fs::directory_iterator it(fs::path(AFolder), ec), end; !ec && it != end; it.increment(ec))
        if (!AWritten.count(it->path().filename().string()))
            extra.push_back(it->path());
    for (const fs::path& path : extra)
        RemoveQuietly(path);
}

TStagedOutput::TStagedOutput(const std::string& AFinalFolder, std::vector<std::string> AReusedFolders)
    : FFinal(ExcludeTrailingPathDelimiter(ExpandFileName(AFinalFolder))), FReused(std::move(AReusedFolders)) {
    const fs::path final(FFinal);
    const fs::path parent = final.parent_path();
    const std::string name = final.filename().string();
    EnsureDir(parent.string());
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string other = it->path().filename().string();
        if (other.rfind("." + name + ".staging-", 0) == 0 || other.rfind("." + name + ".old-", 0) == 0)
            RemoveQuietly(it->path());
    }
    FStage = (parent / ("." + name + ".staging-" + RandomSuffix())).string();
    const fs::path spare(SparePath());
    if (!FReused.empty() && fs::is_directory(fs::symlink_status(spare, ec))) {
        fs::rename(spare, fs::path(FStage), ec);
        if (!ec)
            PrepareReusedFolder(fs::path(FStage), FReused);
        else
            RemoveQuietly(spare);
    }
    EnsureDir(FStage);
}

TStagedOutput::~TStagedOutput() {
    if (!FCommitted)
        RemoveQuietly(FStage);
}

std::string TStagedOutput::SparePath() const {
    const fs::path final(FFinal);
    return (final.parent_path() / ("." + final.filename().string() + ".spare")).string();
}

std::string TStagedOutput::FinalPath(const std::string& AStagedPath) const {
    if (AStagedPath.rfind(FStage, 0) != 0)
        return AStagedPath;
    return FFinal + AStagedPath.substr(FStage.size());
}

void TStagedOutput::Commit() {
    const fs::path final(FFinal);
    const fs::path old = final.parent_path() / ("." + final.filename().string() + ".old-" + RandomSuffix());
    std::error_code ec;
    const bool hadPrevious = fs::exists(final, ec);
    if (hadPrevious) {
        fs::rename(final, old, ec);
        if (ec)
            throw EAppError("Cannot replace folder " + FFinal + ": " + ec.message());
    }
    fs::rename(fs::path(FStage), final, ec);
    if (ec) {
        std::error_code back;
        if (hadPrevious)
            fs::rename(old, final, back);
        throw EAppError("Cannot replace folder " + FFinal + ": " + ec.message());
    }
    FCommitted = true;
    if (!hadPrevious)
        return;
    if (!FReused.empty()) {
        RemoveQuietly(fs::path(SparePath()));
        fs::rename(old, fs::path(SparePath()), ec);
        if (!ec)
            return;
    }
    RemoveQuietly(old);
}

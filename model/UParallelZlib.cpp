#include "model/UParallelZlib.h"

#include "model/URecordCodec.h"
#include "platform/PProcessors.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace model {

namespace {
std::atomic<unsigned> gThreads{0}; // 0: the processor count

// deflateInit's own choice: 15 window bits, memLevel 8, the default strategy; raw (no header).
constexpr int kWindowBits = 15;
constexpr int kMemLevel = 8;
} // namespace

unsigned DeflateThreads() {
    const unsigned set = gThreads.load(std::memory_order_relaxed);
    const unsigned n = set ? set : platform::ProcessorCount();
    return std::clamp(n, 1u, zblock::kMaxThreads);
}

void SetDeflateThreads(unsigned threads) {
    gThreads.store(threads, std::memory_order_relaxed);
}

std::uint16_t ZlibHeader(int level) {
    if (level == Z_DEFAULT_COMPRESSION) level = 6;
    // As deflate writes it: method and window size, the level's two flag bits, then the check bits
    // that make the 16-bit value a multiple of 31.
    unsigned header = (Z_DEFLATED + ((kWindowBits - 8) << 4)) << 8;
    const unsigned levelFlags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    header |= levelFlags << 6;
    header += 31 - header % 31;
    return static_cast<std::uint16_t>(header);
}

// ---- compressor ----

struct TParallelDeflate::TJob {
    // Dictionary room, then the block: the tail of the block before is copied in front of it.
    std::unique_ptr<unsigned char[]> buffer{new unsigned char[zblock::kDictionary + zblock::kBlockSize]};
    std::size_t dictionary = 0; // bytes of dictionary in front of the block (0 for the first)
    std::size_t length = 0;
    bool last = false;
    // Left uninitialised, so that only the pages the compressed bytes fill are ever touched.
    std::unique_ptr<unsigned char[]> output;
    std::size_t outputRoom = 0;
    std::size_t outputLength = 0;

    void Grow(std::size_t room, std::size_t keep) {
        std::unique_ptr<unsigned char[]> bigger(new unsigned char[room]);
        if (keep) std::memcpy(bigger.get(), output.get(), keep);
        output = std::move(bigger);
        outputRoom = room;
    }
    unsigned long adler = 1;
    bool done = false; // under the mutex
    std::exception_ptr error;

    unsigned char* Data() { return buffer.get() + zblock::kDictionary; }
};

struct TParallelDeflate::TStream {
    explicit TStream(int level) {
        if (deflateInit2(&s, level, Z_DEFLATED, -kWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("the compressor cannot start");
    }
    ~TStream() { deflateEnd(&s); }
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    z_stream s{};
};

TParallelDeflate::TParallelDeflate(TByteSink& out, int level, unsigned threads)
    : FOut(out), FLevel(level),
      FThreads(std::clamp(threads ? threads : DeflateThreads(), 1u, zblock::kMaxThreads)),
      FMaxInFlight(2 * static_cast<std::size_t>(FThreads)), FCurrent(std::make_unique<TJob>()) {
    if (level != Z_DEFAULT_COMPRESSION && (level < 0 || level > 9))
        throw std::runtime_error("the compressor cannot start");
    FAlone = FThreads == 1;
}

TParallelDeflate::~TParallelDeflate() {
    StopWorkers();
}

void TParallelDeflate::StopWorkers() noexcept {
    {
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FWork.notify_all();
    for (std::thread& t : FWorkers)
        if (t.joinable()) t.join();
}

void TParallelDeflate::CheckUsable() const {
    if (FFailed) throw std::runtime_error("the compressor failed");
    if (FFinished) throw std::runtime_error("data written after the end of the compressed stream");
}

void TParallelDeflate::Fail() {
    FFailed = true;
}

void TParallelDeflate::Write(const void* data, std::size_t count) {
    CheckUsable();
    auto* p = static_cast<const unsigned char*>(data);
    try {
        while (count > 0) {
            // A full block is handed over only when more data comes, so that the last block is
            // never empty unless the whole stream is.
            if (FUsed == zblock::kBlockSize) Submit(false);
            const std::size_t n = std::min(count, zblock::kBlockSize - FUsed);
            std::memcpy(FCurrent->Data() + FUsed, p, n);
            FUsed += n;
            p += n;
            count -= n;
        }
    } catch (...) {
        Fail();
        throw;
    }
}

void TParallelDeflate::Finish() {
    CheckUsable();
    try {
        Submit(true);
        WriteReady(true);
    } catch (...) {
        Fail();
        throw;
    }
    FFinished = true;
    StopWorkers(); // their deflate states go now, not when the writer goes
}

std::unique_ptr<TParallelDeflate::TJob> TParallelDeflate::TakeJob() {
    if (FSpare.empty()) return std::make_unique<TJob>();
    std::unique_ptr<TJob> job = std::move(FSpare.back());
    FSpare.pop_back();
    return job;
}

void TParallelDeflate::Submit(bool last) {
    TJob& job = *FCurrent;
    job.length = FUsed;
    job.last = last;
    job.done = false;
    job.error = nullptr;
    FBytesIn += FUsed;
    FUsed = 0;

    // The block is compressed here when no worker is to be had, and when it is the whole stream.
    const bool here = FAlone || (last && FBytesIn == job.length);
    if (here)
        WriteReady(true); // blocks handed out before the workers were given up go first
    else
        while (FInFlight.size() >= FMaxInFlight)
            WriteOldest(true);
    std::unique_ptr<TJob> next;
    if (!last) {
        next = TakeJob();
        // The next block's dictionary: the last 32 KiB of this one (blocks are never shorter).
        next->dictionary = zblock::kDictionary;
        std::memcpy(next->buffer.get(), job.Data() + job.length - zblock::kDictionary, zblock::kDictionary);
    }
    if (here) {
        CompressHere(job);
        WriteOut(job);
        if (next) {
            FSpare.push_back(std::move(FCurrent)); // its buffers serve the block after next
            FCurrent = std::move(next);
        }
        return;
    }
    bool startWorker;
    {
        std::lock_guard lock(FMutex);
        FInFlight.push_back(std::move(FCurrent));
        FQueue.push_back(&job);
        startWorker = FQueue.size() > FIdle && FWorkers.size() < FThreads;
    }
    if (startWorker) StartWorker();
    FWork.notify_one();
    if (next) FCurrent = std::move(next);
    WriteReady(false);
}

void TParallelDeflate::StartWorker() {
    try {
        FWorkers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        if (!FWorkers.empty()) return; // the ones running take the blocks
        // No thread at all: the queued blocks, and every later one, are compressed here.
        FAlone = true;
        std::lock_guard lock(FMutex);
        for (TJob* job : FQueue) {
            CompressHere(*job);
            job->done = true;
        }
        FQueue.clear();
    }
}

void TParallelDeflate::CompressHere(TJob& job) {
    try {
        if (!FHere) FHere = std::make_unique<TStream>(FLevel);
        Compress(job, *FHere);
    } catch (...) {
        job.error = std::current_exception();
    }
}

void TParallelDeflate::Work() {
    std::unique_ptr<TStream> stream;
    std::unique_lock lock(FMutex);
    for (;;) {
        ++FIdle;
        FWork.wait(lock, [this] { return FStop || !FQueue.empty(); });
        --FIdle;
        if (FStop) break;
        TJob* job = FQueue.front();
        FQueue.pop_front();
        lock.unlock();
        try {
            if (!stream) stream = std::make_unique<TStream>(FLevel);
            Compress(*job, *stream);
        } catch (...) {
            job->error = std::current_exception();
        }
        lock.lock();
        job->done = true;
        FDone.notify_one();
    }
}

void TParallelDeflate::Compress(TJob& job, TStream& stream) {
    z_stream& s = stream.s;
    if (deflateReset(&s) != Z_OK) throw std::runtime_error("compressor error");
    if (job.dictionary > 0 &&
        deflateSetDictionary(&s, job.Data() - job.dictionary, static_cast<uInt>(job.dictionary)) != Z_OK)
        throw std::runtime_error("compressor error");
    job.adler = adler32(1L, job.Data(), static_cast<uInt>(job.length));
    // A sync flush adds an empty stored block and at most a byte of padding to the bound.
    const std::size_t room = deflateBound(&s, static_cast<uLong>(job.length)) + 16;
    if (job.outputRoom < room) job.Grow(room, 0);
    s.next_in = job.Data();
    s.avail_in = static_cast<uInt>(job.length);
    const int flush = job.last ? Z_FINISH : Z_SYNC_FLUSH;
    std::size_t used = 0;
    for (;;) {
        if (used == job.outputRoom) job.Grow(2 * job.outputRoom, used);
        s.next_out = job.output.get() + used;
        s.avail_out = static_cast<uInt>(job.outputRoom - used);
        const int rc = deflate(&s, flush);
        used = job.outputRoom - s.avail_out;
        if (rc == Z_STREAM_ERROR) throw std::runtime_error("compressor error");
        if (job.last ? rc == Z_STREAM_END : s.avail_in == 0 && s.avail_out != 0) break;
    }
    job.outputLength = used;
}

void TParallelDeflate::WriteOut(TJob& job) {
    if (job.error) std::rethrow_exception(job.error);
    if (!FHeaderWritten) {
        const std::uint16_t h = ZlibHeader(FLevel);
        const unsigned char header[2] = {static_cast<unsigned char>(h >> 8), static_cast<unsigned char>(h)};
        FOut.Write(header, 2);
        FHeaderWritten = true;
    }
    if (job.outputLength > 0) FOut.Write(job.output.get(), job.outputLength);
    FAdler = adler32_combine(FAdler, job.adler, static_cast<z_off_t>(job.length));
    if (job.last) {
        const unsigned char trailer[4] = {
            static_cast<unsigned char>(FAdler >> 24), static_cast<unsigned char>(FAdler >> 16),
            static_cast<unsigned char>(FAdler >> 8), static_cast<unsigned char>(FAdler)};
        FOut.Write(trailer, 4);
    }
}

bool TParallelDeflate::WriteOldest(bool wait) {
    std::unique_ptr<TJob> job;
    {
        std::unique_lock lock(FMutex);
        if (FInFlight.empty()) return false;
        if (wait)
            FDone.wait(lock, [this] { return FInFlight.front()->done; });
        else if (!FInFlight.front()->done)
            return false;
        job = std::move(FInFlight.front());
        FInFlight.pop_front();
    }
    TJob& ref = *job;
    FSpare.push_back(std::move(job)); // kept for reuse whatever happens to it here
    WriteOut(ref);
    return true;
}

void TParallelDeflate::WriteReady(bool wait) {
    while (WriteOldest(wait)) {
    }
}

// ---- decompressor ----

TInflateAheadSource::TInflateAheadSource(TByteSource& in) : FHere(std::make_unique<TInflateSource>(in)) {}

TInflateAheadSource::~TInflateAheadSource() {
    {
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FChanged.notify_all();
    if (FWorker.joinable()) FWorker.join();
}

void TInflateAheadSource::Work(TByteSource& inflater) {
    std::exception_ptr error;
    try {
        std::size_t made = 0;
        for (bool more = true; more;) {
            TChunk chunk;
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [&] { return FStop || !FFree.empty() || made < kChunks; });
                if (FStop) return;
                if (!FFree.empty()) {
                    chunk = std::move(FFree.back());
                    FFree.pop_back();
                }
            }
            if (!chunk.data) {
                chunk.data.reset(new unsigned char[kChunkSize]);
                ++made;
            }
            chunk.length = 0;
            try {
                while (chunk.length < kChunkSize) {
                    const std::size_t n =
                        inflater.Read(chunk.data.get() + chunk.length, kChunkSize - chunk.length);
                    if (n == 0) {
                        more = false;
                        break;
                    }
                    chunk.length += n;
                }
            } catch (...) {
                error = std::current_exception(); // handed over after the bytes before it
                more = false;
            }
            std::lock_guard lock(FMutex);
            if (chunk.length > 0) FFull.push_back(std::move(chunk));
            FChanged.notify_all();
        }
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard lock(FMutex);
        FEnded = true;
        FError = error;
    }
    FChanged.notify_all();
}

std::size_t TInflateAheadSource::ReadHere(unsigned char* out, std::size_t count) {
    if (FError) std::rethrow_exception(FError); // every later call raises it again
    std::size_t given = 0;
    for (;;) {
        while (given < count) {
            const std::size_t room =
                FAlone ? count - given : std::min(count - given, kChunkSize - FGivenHere);
            if (room == 0) break; // the first chunk is read: the rest is the worker's
            std::size_t n;
            try {
                n = FHere->Read(out + given, room);
            } catch (...) {
                if (given == 0) throw;
                FError = std::current_exception(); // the bytes of this call first
                return given;
            }
            if (n == 0) return given;
            given += n;
            FGivenHere += n;
        }
        if (given == count || FAlone || FHere->StreamEnded()) return given;
        // The reader wants more than the first chunk: the worker goes on where this thread stopped.
        try {
            FWorker = std::thread([this, inflater = FHere.get()] { Work(*inflater); });
            return given;
        } catch (const std::system_error&) {
            FAlone = true; // and this thread inflates the rest
        }
    }
}

std::size_t TInflateAheadSource::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t given = 0;
    if (!FWorker.joinable()) {
        given = ReadHere(out, count);
        if (!FWorker.joinable()) return given;
    }
    while (given < count) {
        if (FPos == FReading.length) {
            std::unique_lock lock(FMutex);
            if (FReading.data) {
                FReading.length = 0;
                FFree.push_back(std::move(FReading));
                FReading = {};
                FPos = 0;
                FChanged.notify_all();
            }
            FChanged.wait(lock, [this] { return !FFull.empty() || FEnded; });
            if (FFull.empty()) {
                // The bytes of this call first; a fault is raised by the next one.
                if (FError && given == 0) std::rethrow_exception(FError);
                break;
            }
            FReading = std::move(FFull.front());
            FFull.pop_front();
        }
        const std::size_t n = std::min(count - given, FReading.length - FPos);
        std::memcpy(out + given, FReading.data.get() + FPos, n);
        FPos += n;
        given += n;
    }
    return given;
}

} // namespace model
